#include "tst_commands.h"

#include "CommandTestKit.h"
#include "GuiTestMain.h"

using namespace CommandTestKit;

void TestCommands::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestCommands::addBranchUnderRoot_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("Decision") << int(NodeType::Decision);
    QTest::newRow("Situation") << int(NodeType::Situation);
}

void TestCommands::addBranchUnderRoot()
{
    QFETCH(int, kind);
    TestWindow w;
    CNode *pRoot = w.Root();
    const QPointF anchor = RightAnchorOf(w.Item(pRoot));
    const CNode *pOldTerminal = Child(pRoot, 0);
    const QPoint oldTerminalPos(pOldTerminal->x, pOldTerminal->y);
    QVERIFY(!w.window.isWindowModified());

    CNode *pNew = w.AddBranch(pRoot, kind, QStringLiteral("New"),
                              {Row(QStringLiteral("X"), 0.25, 3, QStringLiteral("cx")),
                               Row(QStringLiteral("Y"), 0.75, -4)});
    QCOMPARE(pRoot->children.size(), size_t(1));
    QCOMPARE(pNew->type, kind);
    QCOMPARE(pNew->name, std::string("New"));
    QVERIFY(pNew->active);
    QCOMPARE(w.Stack()->count(), 1);
    QVERIFY(w.window.isWindowModified());

    // The new node 100 right of the Root's anchor and centred on it; its options
    // 100 further, centred 50 above and below its own anchor.
    CNodeGrapicsItem *pNewItem = w.Item(pNew);
    QCOMPARE(pNewItem->pos().x(), std::trunc(anchor.x() + 100));
    QVERIFY(qAbs(CentreY(pNewItem) - anchor.y()) <= 1);
    const QPointF newAnchor = RightAnchorOf(pNewItem);
    QCOMPARE(pNew->children.size(), size_t(2));
    for (int i = 0; i < 2; ++i) {
        CNode *pOption = Child(pNew, i);
        QCOMPARE(pOption->type, int(NodeType::Option));
        QCOMPARE(w.Item(pOption)->pos().x(), std::trunc(newAnchor.x() + 100));
        QVERIFY(qAbs(CentreY(w.Item(pOption)) - (newAnchor.y() - 50 + 100 * i)) <= 1);
        QCOMPARE(pOption->children.size(), size_t(1));
        QCOMPARE(Child(pOption, 0)->type, int(NodeType::Terminal));
        QVERIFY(w.Item(Child(pOption, 0)));
    }
    QCOMPARE(Child(pNew, 0)->name, std::string("X"));
    // A Decision's options are certain, whatever the rows say.
    QCOMPARE(Child(pNew, 0)->probability, kind == NodeType::Decision ? 1.0 : 0.25);
    QCOMPARE(Child(pNew, 0)->payoff, 3.0);
    QCOMPARE(Child(pNew, 0)->payoffComment, std::string("cx"));
    QCOMPARE(Child(pNew, 1)->payoff, -4.0);
    QCOMPARE(TreeFault(w.window.GetTree()), QString());
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());

    const QStringList done = Snapshot(pRoot);
    const std::vector<CNode *> doneNodes = Attached(pNew);
    const QPointF donePos = pNewItem->pos();

    // Undo: a fresh Terminal at the default slot; the mark stays.
    w.Stack()->undo();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(pRoot->children.size(), size_t(1));
    CNode *pTerminal = Child(pRoot, 0);
    QCOMPARE(pTerminal->type, int(NodeType::Terminal));
    QCOMPARE(QPoint(pTerminal->x, pTerminal->y), oldTerminalPos);
    QVERIFY(!w.Item(pNew));
    QCOMPARE(CountItems(w.window), 2);
    QCOMPARE(SceneFault(w.window), QString());
    QVERIFY(w.window.isWindowModified());

    // Redo: the very same nodes where they were.
    w.window.setWindowModified(false);
    w.Stack()->redo();
    QCOMPARE(Child(pRoot, 0), pNew);
    QCOMPARE(Attached(pNew), doneNodes);
    QCOMPARE(Snapshot(pRoot), done);
    QCOMPARE(w.Item(pNew)->pos(), donePos);
    QVERIFY(w.window.isWindowModified());
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::addOptionsAppendUndoRedo()
{
    TestWindow w;
    CNode *pDecision = w.AddBranch(w.Root(), NodeType::Decision, QStringLiteral("D"),
                                   {Row(QStringLiteral("A"), 1, 10), Row(QStringLiteral("B"))});
    CNode *pA = Child(pDecision, 0);
    CNode *pB = Child(pDecision, 1);
    const QPointF posA = w.Item(pA)->pos();
    const QPointF posB = w.Item(pB)->pos();
    QCOMPARE(pDecision->payoff, 10.0);
    QVERIFY(ArrowIsRed(w.Item(pA)));

    const std::vector<CNode *> added =
        w.AddOptions(pDecision, {Row(QStringLiteral("C"), 1, 50, QStringLiteral("best")),
                                 Row(QStringLiteral("E"), 1, -1)});
    QCOMPARE(w.Stack()->count(), 2);
    QCOMPARE(pDecision->children, std::vector<CNode *>({pA, pB, added[0], added[1]}));
    QCOMPARE(added[0]->name, std::string("C"));
    QCOMPARE(added[0]->payoff, 50.0);
    QCOMPARE(added[0]->payoffComment, std::string("best"));
    QCOMPARE(PayoffText(w.Item(added[0]))->toolTip(), QStringLiteral("best"));
    // Re-evaluated at once: the new option is the choice now.
    QCOMPARE(pDecision->payoff, 50.0);
    QCOMPARE(PayoffText(w.Item(pDecision))->toPlainText(), QStringLiteral("50"));
    QVERIFY(ArrowIsRed(w.Item(added[0])));
    QVERIFY(!ArrowIsRed(w.Item(pA)));
    // The old options stay put; the new ones take slots 2 and 3 of 4.
    QCOMPARE(w.Item(pA)->pos(), posA);
    QCOMPARE(w.Item(pB)->pos(), posB);
    const QPointF anchor = RightAnchorOf(w.Item(pDecision));
    QVERIFY(qAbs(CentreY(w.Item(added[0])) - (anchor.y() + 50)) <= 1);
    QVERIFY(qAbs(CentreY(w.Item(added[1])) - (anchor.y() + 150)) <= 1);
    const QStringList done = Snapshot(w.Root());

    w.Stack()->undo();
    QCOMPARE(pDecision->children, std::vector<CNode *>({pA, pB}));
    QCOMPARE(pDecision->payoff, 10.0);
    QVERIFY(ArrowIsRed(w.Item(pA)));
    QCOMPARE(SceneFault(w.window), QString());

    w.Stack()->redo();
    QCOMPARE(pDecision->children, std::vector<CNode *>({pA, pB, added[0], added[1]}));
    QCOMPARE(Snapshot(w.Root()), done);
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::emptyRowList_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("Decision") << int(NodeType::Decision);
    QTest::newRow("Situation") << int(NodeType::Situation);
}

void TestCommands::emptyRowList()
{
    QFETCH(int, kind);
    TestWindow w;
    CNode *pNew = w.AddBranch(w.Root(), kind, QStringLiteral("Bare"), {});
    QCOMPARE(pNew->type, kind);
    QVERIFY(pNew->children.empty());
    QCOMPARE(CountItems(w.window), 2);
    QCOMPARE(TreeFault(w.window.GetTree()), QString());
    QCOMPARE(SceneFault(w.window), QString());

    // Options join the bare node; undoing them ends its path with a Terminal.
    const std::vector<CNode *> added = w.AddOptions(pNew, {Row(QStringLiteral("O"), 1, 7)});
    QCOMPARE(pNew->children, added);
    w.Stack()->undo();
    QCOMPARE(pNew->children.size(), size_t(1));
    QCOMPARE(Child(pNew, 0)->type, int(NodeType::Terminal));
    QCOMPARE(SceneFault(w.window), QString());
    w.Stack()->redo();
    QCOMPARE(pNew->children, added);
    QCOMPARE(SceneFault(w.window), QString());
}

void TestCommands::discardedCommandsFreeTheirNodes()
{
    // Each command is dropped by the stack in the state that holds its nodes
    // detached; the sanitizer build checks that every one is freed once.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    w.AddOptions(plan.s, {Row(QStringLiteral("S3"), 0)});
    w.window.DeleteNode(w.Item(plan.a));
    w.window.CopyNode(w.Item(plan.s1));
    w.window.PasteNode(w.Item(plan.d));
    QCOMPARE(w.Stack()->count(), 3);
    w.Stack()->undo();
    w.Stack()->undo();
    w.Stack()->undo();
    QCOMPARE(plan.d->children, std::vector<CNode *>({plan.a, plan.b}));
    QCOMPARE(plan.s->children, std::vector<CNode *>({plan.s1, plan.s2}));

    // A new step drops the three undone ones.
    w.AddBranch(plan.a, NodeType::Situation, QStringLiteral("S'"), {Row(QStringLiteral("X"))});
    QCOMPARE(w.Stack()->count(), 1);
    // The delete was dropped in its undone state: A belongs to the tree again.
    QCOMPARE(plan.a->parent, plan.d);
    QCOMPARE(Child(plan.a, 0)->name, std::string("S'"));
    QCOMPARE(TreeFault(w.window.GetTree()), QString());
    QCOMPARE(SceneFault(w.window), QString());

    // And a delete dropped in its done state frees what it took out.
    w.Stack()->undo();
    w.window.DeleteNode(w.Item(plan.b));
    w.Stack()->clear();
    QCOMPARE(plan.d->children, std::vector<CNode *>({plan.a}));
    QCOMPARE(SceneFault(w.window), QString());
}

RAMIFY_GUI_TEST_MAIN(TestCommands)
