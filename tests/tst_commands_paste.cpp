#include "tst_commands.h"

#include "CommandTestKit.h"
#include "ContextAction.h"

using namespace CommandTestKit;

void TestCommands::deleteDecisionUnderOption()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    const QStringList before = Snapshot(w.Root());
    const std::vector<CNode *> subtree = Attached(plan.s);

    w.window.DeleteNode(w.Item(plan.s));
    QCOMPARE(w.Stack()->count(), 1);
    QVERIFY(w.window.isWindowModified());
    QCOMPARE(plan.b->children.size(), size_t(1));
    CNode *pTerminal = Child(plan.b, 0);
    QCOMPARE(pTerminal->type, int(NodeType::Terminal));
    const QPointF anchor = RightAnchorOf(w.Item(plan.b));
    QCOMPARE(w.Item(pTerminal)->pos().x(), std::trunc(anchor.x() + 100));
    QVERIFY(qAbs(CentreY(w.Item(pTerminal)) - anchor.y()) <= 1);
    for (const CNode *pNode : subtree)
        QVERIFY(!w.Item(pNode));
    // B now ends at once and is worth 0; A stays the choice.
    QCOMPARE(plan.d->payoff, 10.0);
    QCOMPARE(SceneFault(w.window), QString());

    w.Stack()->undo();
    QCOMPARE(plan.b->children, std::vector<CNode *>({plan.s}));
    QCOMPARE(Attached(plan.s), subtree);
    QCOMPARE(Snapshot(w.Root()), before);
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());
    QCOMPARE(RedArrowCount(w.window), 3);
}

void TestCommands::deleteMiddleOptionKeepsPlaceAndIndex()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    CNode *pS3 = w.AddOptions(plan.s, {Row(QStringLiteral("S3"), 0, 100)}).front();
    w.Stack()->clear();
    const QStringList before = Snapshot(w.Root());
    const QPointF oldPos = w.Item(plan.s2)->pos();

    w.window.DeleteNode(w.Item(plan.s2));
    QCOMPARE(plan.s->children, std::vector<CNode *>({plan.s1, pS3}));
    // 0.4 + 0 no longer adds up: both remaining options are flagged.
    QVERIFY(ErrorShown(w.Item(plan.s1)));
    QVERIFY(ErrorShown(w.Item(pS3)));
    QCOMPARE(RedArrowCount(w.window), 0);

    w.Stack()->undo();
    QCOMPARE(plan.s->children, std::vector<CNode *>({plan.s1, plan.s2, pS3}));
    QCOMPARE(w.Item(plan.s2)->pos(), oldPos);
    QVERIFY(!ErrorShown(w.Item(plan.s1)));
    QVERIFY(!ErrorShown(w.Item(pS3)));
    QCOMPARE(Snapshot(w.Root()), before);
    QCOMPARE(SceneFault(w.window), QString());
}

void TestCommands::undoneDeleteKeepsTheChoiceOnATie()
{
    // Two options worth the same: the first one is the choice. Undoing the
    // delete of the first must not hand the choice to the second.
    TestWindow w;
    CNode *pDecision =
        w.AddBranch(w.Root(), NodeType::Decision, QStringLiteral("D"),
                    {Row(QStringLiteral("X"), 1, 5), Row(QStringLiteral("Y"), 1, 5)});
    CNode *pX = Child(pDecision, 0);
    CNode *pY = Child(pDecision, 1);
    QVERIFY(pX->active && !pY->active);

    w.window.DeleteNode(w.Item(pX));
    QVERIFY(pY->active);
    w.Stack()->undo();
    QCOMPARE(pDecision->children, std::vector<CNode *>({pX, pY}));
    QVERIFY(pX->active);
    QVERIFY(!pY->active);
    QVERIFY(ArrowIsRed(w.Item(pX)));
    QVERIFY(!ArrowIsRed(w.Item(pY)));
}

void TestCommands::cutThenPasteAreTwoSteps()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    CNode *pTerminalA = Child(plan.a, 0);
    const QPoint terminalPos(pTerminalA->x, pTerminalA->y);

    w.window.OnItemContextMenu(w.Item(plan.s), ContextAction::ActionCut);
    QCOMPARE(w.Stack()->count(), 1);
    QCOMPARE(Child(plan.b, 0)->type, int(NodeType::Terminal));
    const CNode *pClipboard = w.window.GetClipboard();
    QVERIFY(pClipboard && pClipboard != plan.s);
    QCOMPARE(pClipboard->name, std::string("S"));
    QVERIFY(!pClipboard->parent);
    for (const CNode *pNode : Attached(const_cast<CNode *>(pClipboard)))
        QVERIFY(!pNode->HasPosition());

    w.window.OnItemContextMenu(w.Item(plan.a), ContextAction::ActionPaste);
    QCOMPARE(w.Stack()->count(), 2);
    QCOMPARE(plan.a->children.size(), size_t(1));
    CNode *pPasted = Child(plan.a, 0);
    QVERIFY(pPasted != plan.s && pPasted != pClipboard);
    QCOMPARE(pPasted->type, int(NodeType::Situation));
    QCOMPARE(pPasted->children.size(), size_t(2));
    QCOMPARE(Child(pPasted, 1)->payoff, -5.0);
    // Laid out afresh to the right of A.
    const QPointF anchor = RightAnchorOf(w.Item(plan.a));
    QCOMPARE(w.Item(pPasted)->pos().x(), std::trunc(anchor.x() + 100));
    QVERIFY(qAbs(CentreY(w.Item(pPasted)) - anchor.y()) <= 1);
    // Under A it is worth 0.4 * (10 + 30) + 0.6 * (10 - 5) = 19.
    QCOMPARE(pPasted->payoff, 19.0);
    QCOMPARE(plan.d->payoff, 19.0);
    QCOMPARE(TreeFault(w.window.GetTree()), QString());
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());

    w.Stack()->undo();
    QCOMPARE(Child(plan.a, 0)->type, int(NodeType::Terminal));
    QCOMPARE(QPoint(Child(plan.a, 0)->x, Child(plan.a, 0)->y), terminalPos);
    w.Stack()->undo();
    QCOMPARE(plan.b->children, std::vector<CNode *>({plan.s}));
    QCOMPARE(w.window.GetClipboard(), pClipboard);
    QCOMPARE(plan.d->payoff, 10.0);
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::pasteOptionOnSituationTakesLastSlot()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    // Wherever the user dragged the existing options to.
    w.Item(plan.s1)->setPos(-300, 900);
    w.Item(plan.s2)->setPos(40, -700);
    w.window.CopyNode(w.Item(plan.s1));
    w.window.PasteNode(w.Item(plan.s));
    QCOMPARE(plan.s->children.size(), size_t(3));
    CNode *pPasted = Child(plan.s, 2);
    QCOMPARE(pPasted->name, std::string("S1"));
    const QPointF anchor = RightAnchorOf(w.Item(plan.s));
    QCOMPARE(w.Item(pPasted)->pos().x(), std::trunc(anchor.x() + 100));
    QVERIFY(qAbs(CentreY(w.Item(pPasted)) - (anchor.y() + 100)) <= 1);
    QCOMPARE(w.Item(plan.s1)->pos(), QPointF(-300, 900));
    QCOMPARE(SceneFault(w.window), QString());

    w.Stack()->undo();
    QCOMPARE(plan.s->children, std::vector<CNode *>({plan.s1, plan.s2}));
    QCOMPARE(SceneFault(w.window), QString());
}

void TestCommands::pasteTwiceGivesIndependentCopies()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    CNode *pOther = w.AddBranch(plan.a, NodeType::Situation, QStringLiteral("T"),
                                {Row(QStringLiteral("T1"), 0.5), Row(QStringLiteral("T2"), 0.5)});
    plan.s1->payoffComment = "note";
    w.Item(plan.s1)->SetPayoffToolTip(QStringLiteral("note"));
    w.window.CopyNode(w.Item(plan.s1));
    const CNode *pClipboard = w.window.GetClipboard();

    w.window.PasteNode(w.Item(plan.s));
    w.window.PasteNode(w.Item(pOther));
    QCOMPARE(w.Stack()->count(), 3);
    QCOMPARE(w.window.GetClipboard(), pClipboard);
    CNode *pFirst = Child(plan.s, 2);
    CNode *pSecond = Child(pOther, 2);
    QVERIFY(pFirst != pSecond && pFirst != pClipboard && pSecond != pClipboard);
    QVERIFY(Child(pFirst, 0) != Child(pSecond, 0));
    for (const CNode *pCopy : {pFirst, pSecond}) {
        QCOMPARE(pCopy->name, std::string("S1"));
        QCOMPARE(pCopy->probability, 0.4);
        QCOMPARE(pCopy->payoff, 30.0);
        QCOMPARE(pCopy->payoffComment, std::string("note"));
    }

    w.window.ApplyNodeValues(pFirst, QStringLiteral("changed"), 0.1, 99);
    QCOMPARE(pSecond->name, std::string("S1"));
    QCOMPARE(pSecond->payoff, 30.0);
    QCOMPARE(pClipboard->payoff, 30.0);
    QCOMPARE(ValueFault(w.window), QString());

    w.Stack()->undo();
    w.Stack()->undo();
    QCOMPARE(plan.s->children.size(), size_t(2));
    QCOMPARE(pOther->children.size(), size_t(2));
    QCOMPARE(SceneFault(w.window), QString());
}

void TestCommands::pastedOptionOfADecisionIsCertain()
{
    // A Decision's options are chosen, not drawn, and carry no probability
    // text: an option from a Situation must not bring its 0.4 along, where it
    // would shrink the path's probability with no way to edit it.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    w.window.CopyNode(w.Item(plan.s1));
    w.window.PasteNode(w.Item(plan.d));
    CNode *pPasted = Child(plan.d, 2);
    QCOMPARE(pPasted->probability, 1.0);
    QCOMPARE(pPasted->payoff, 30.0);
    QVERIFY(!ProbabilityText(w.Item(pPasted)));
    QCOMPARE(Child(pPasted, 0)->probability, 1.0);
    QCOMPARE(plan.d->payoff, 30.0);
    QCOMPARE(w.window.GetClipboard()->probability, 0.4);
}

void TestCommands::noSecondBranchOnAContinuingPath()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    const QStringList before = Snapshot(w.Root());
    w.window.CopyNode(w.Item(plan.s));
    DialogTrap trap;
    // B already leads to S, and the Root to D.
    w.window.PasteNode(w.Item(plan.b));
    w.window.PasteNode(w.Item(plan.root));
    w.window.AddDecision(w.Item(plan.b));
    w.window.AddSituation(w.Item(plan.b));
    w.window.AddDecision(w.Item(plan.root));
    // Nor do options or branches go where they do not belong.
    w.window.CopyNode(w.Item(plan.a));
    w.window.PasteNode(w.Item(plan.b));
    w.window.AddOption(w.Item(plan.a));
    w.window.AddDecision(w.Item(plan.d));
    QCOMPARE(trap.Count(), 0);
    QCOMPARE(w.Stack()->count(), 0);
    QCOMPARE(Snapshot(w.Root()), before);
}
