#include "tst_commands.h"

#include "CDeleteItemCommand.h"
#include "CPasteCommand.h"
#include "CommandTestKit.h"
#include "ContextAction.h"

#include <QInputDialog>

using namespace CommandTestKit;

namespace {

// The node of the worked example that a row names; "Root, Terminal child"
// is the Root after D was deleted.
CNode *NodeNamed(const PlanNodes &plan, const QString &strName)
{
    if (strName.startsWith(QLatin1String("Root")))
        return plan.root;
    const QMap<QString, CNode *> nodes{{"D", plan.d},           {"S", plan.s},   {"A", plan.a},
                                       {"B", plan.b},           {"S1", plan.s1}, {"S2", plan.s2},
                                       {"TA", Child(plan.a, 0)}};
    return nodes.value(strName);
}

} // namespace

void TestCommands::pasteEnabled_data()
{
    QTest::addColumn<QString>("copied"); // what was copied last; "" nothing
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("paste"); // 1 enabled, 0 disabled, -1 no menu at all

    const QStringList copies{"", "D", "S", "S1"};
    const QStringList kinds{"nothing", "Decision", "Situation", "Option"};
    // Per target, the expectation for each entry of `copies`.
    const QList<QPair<QString, QList<int>>> targets{
        {"Root, Terminal child", {0, 1, 1, 0}},
        {"Root, Decision child", {0, 0, 0, 0}},
        {"D", {0, 0, 0, 1}},
        {"S", {0, 0, 0, 1}},
        {"A", {0, 1, 1, 0}}, // an option that ends in a Terminal
        {"B", {0, 0, 0, 0}}, // an option that already leads to S
        {"TA", {-1, -1, -1, -1}},
    };
    for (const auto &target : targets)
        for (int i = 0; i < copies.size(); ++i)
            QTest::addRow("%s on %s", qPrintable(kinds[i]), qPrintable(target.first))
                << copies[i] << target.first << target.second[i];
}

void TestCommands::pasteEnabled()
{
    QFETCH(QString, copied);
    QFETCH(QString, target);
    QFETCH(int, paste);

    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    if (!copied.isEmpty())
        w.window.CopyNode(w.Item(NodeNamed(plan, copied)));
    if (target == QLatin1String("Root, Terminal child"))
        w.window.DeleteNode(w.Item(plan.d));
    const int nSteps = w.Stack()->count();
    CNodeGrapicsItem *pItem = w.Item(NodeNamed(plan, target));

    const std::optional<QList<int>> enabled = RightClick(w.window, pItem);
    QCOMPARE(bool(enabled), paste >= 0);
    if (enabled)
        QCOMPARE(enabled->contains(ContextAction::ActionPaste), paste == 1);

    // Choosing it pastes exactly when it is offered.
    RightClick(w.window, pItem, ContextAction::ActionPaste);
    QCOMPARE(w.Stack()->count(), nSteps + (paste == 1 ? 1 : 0));
    QCOMPARE(TreeFault(w.window.GetTree()), QString());
    QCOMPARE(SceneFault(w.window), QString());
}

void TestCommands::onlyOptionStays()
{
    // Like "Delete", "Cut" leaves a Decision or Situation its last option.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    w.window.DeleteNode(w.Item(plan.s2));
    QCOMPARE(plan.s->children, std::vector<CNode *>({plan.s1}));
    const QStringList before = Snapshot(w.Root());

    const std::optional<QList<int>> enabled = RightClick(w.window, w.Item(plan.s1));
    QVERIFY(enabled);
    QVERIFY(enabled->contains(ContextAction::ActionCopy));
    QVERIFY(!enabled->contains(ContextAction::ActionCut));
    QVERIFY(!enabled->contains(ContextAction::ActionDelete));
    // With a sibling the option may go again.
    QVERIFY(RightClick(w.window, w.Item(plan.a))->contains(ContextAction::ActionCut));

    w.window.OnItemContextMenu(w.Item(plan.s1), ContextAction::ActionCut);
    w.window.OnItemContextMenu(w.Item(plan.s1), ContextAction::ActionDelete);
    QCOMPARE(w.Stack()->count(), 1);
    QCOMPARE(Snapshot(w.Root()), before);
    QVERIFY(!w.window.GetClipboard());
}

void TestCommands::addThroughMenuAndDialog()
{
    TestWindow w;
    QVERIFY(w.Show());
    CNode *pRoot = w.Root();
    QString strTitle;

    AnswerAddDialog(QStringLiteral("D"), {Row("A", 1, 10), Row("B", 1, 0), Row("C", 1, 2)}, true,
                    &strTitle);
    RightClick(w.window, w.Item(pRoot), ContextAction::ActionAddDecision);
    QCOMPARE(strTitle, QStringLiteral("Add Decision Dialog"));
    QCOMPARE(w.Stack()->count(), 1);
    CNode *pDecision = Child(pRoot, 0);
    QCOMPARE(pDecision->type, int(NodeType::Decision));
    QCOMPARE(pDecision->name, std::string("D"));
    QCOMPARE(pDecision->children.size(), size_t(3));
    QCOMPARE(Child(pDecision, 2)->name, std::string("C"));
    QCOMPARE(pDecision->payoff, 10.0);

    AnswerAddDialog(QString(), {Row("E", 0.5, -3, "worst")}, true, &strTitle);
    RightClick(w.window, w.Item(pDecision), ContextAction::ActionAddOption);
    QCOMPARE(strTitle, QStringLiteral("Add Option Dialog"));
    QCOMPARE(pDecision->children.size(), size_t(4));
    CNode *pE = Child(pDecision, 3);
    QCOMPARE(pE->name, std::string("E"));
    QCOMPARE(pE->payoff, -3.0);
    QCOMPARE(pE->payoffComment, std::string("worst"));
    // The share typed for it means nothing under a Decision.
    QCOMPARE(pE->probability, 1.0);
    QCOMPARE(Child(pE, 0)->probability, 1.0);

    CNode *pB = Child(pDecision, 1);
    AnswerAddDialog(QStringLiteral("Weather"), {Row("Sun", 0.7, 20), Row("Rain", 0.3, -10)}, true,
                    &strTitle);
    RightClick(w.window, w.Item(pB), ContextAction::ActionAddSituation);
    QCOMPARE(strTitle, QStringLiteral("Add Situation Dialog"));
    CNode *pWeather = Child(pB, 0);
    QCOMPARE(pWeather->name, std::string("Weather"));
    QCOMPARE(Child(pWeather, 0)->probability, 0.7);
    // 0.7 * 20 + 0.3 * -10 = 11 beats A's 10.
    QCOMPARE(pDecision->payoff, 11.0);
    QVERIFY(pB->active);
    QCOMPARE(w.Stack()->count(), 3);
    QCOMPARE(TreeFault(w.window.GetTree()), QString());
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::cancelledAddDialog_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("modified");
    for (bool bModified : {false, true}) {
        const char *pState = bModified ? "modified" : "unmodified";
        QTest::addRow("Add Decision, %s", pState)
            << "A" << int(ContextAction::ActionAddDecision) << bModified;
        QTest::addRow("Add Situation, %s", pState)
            << "A" << int(ContextAction::ActionAddSituation) << bModified;
        QTest::addRow("Add Option, %s", pState)
            << "S" << int(ContextAction::ActionAddOption) << bModified;
    }
}

void TestCommands::cancelledAddDialog()
{
    QFETCH(QString, target);
    QFETCH(int, action);
    QFETCH(bool, modified);
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    w.window.setWindowModified(modified);
    const QStringList before = Snapshot(w.Root());
    QString strTitle;
    AnswerAddDialog(QStringLiteral("Never"), {Row("X"), Row("Y")}, false, &strTitle);
    RightClick(w.window, w.Item(NodeNamed(plan, target)), action);
    QVERIFY(!strTitle.isEmpty());
    QCOMPARE(w.Stack()->count(), 0);
    QCOMPARE(w.window.isWindowModified(), modified);
    QCOMPARE(Snapshot(w.Root()), before);
}

void TestCommands::payoffComment_data()
{
    QTest::addColumn<bool>("retype");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");
    QTest::newRow("edited") << true << "new note, ünïcode" << true << "new note, ünïcode";
    QTest::newRow("kept") << false << "" << true << "old note";
    QTest::newRow("cleared") << true << "" << true << "";
    QTest::newRow("cancelled") << true << "typed" << false << "old note";
}

void TestCommands::payoffComment()
{
    QFETCH(bool, retype);
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(QString, expected);
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    plan.a->payoffComment = "old note";
    w.Item(plan.a)->SetPayoffToolTip(QStringLiteral("old note"));

    QString strAsked;
    AnswerModal<QInputDialog>([&](QInputDialog *pDialog) {
        strAsked = pDialog->windowTitle() + '|' + pDialog->labelText() + '|' + pDialog->textValue();
        if (retype)
            pDialog->setTextValue(typed);
        if (accept)
            pDialog->accept();
        else
            pDialog->reject();
    });
    RightClick(w.window, w.Item(plan.a), ContextAction::ActionChangePayoffComment);
    QCOMPARE(strAsked, QStringLiteral("Input Payoff Comment|Payoff Comment:|old note"));
    QCOMPARE(QString::fromStdString(plan.a->payoffComment), expected);
    QCOMPARE(PayoffText(w.Item(plan.a))->toolTip(), expected);
    QCOMPARE(w.Stack()->count(), 0);
    QVERIFY(!w.window.isWindowModified());
}

void TestCommands::commandOutlivesItsItem()
{
    // Commands are made from items but must hold on to nodes only: the items
    // may be long gone when the commands run.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    w.window.CopyNode(w.Item(plan.s2));
    auto *pAdd = new CAddOptionCommand(w.Item(plan.s), QString(), {Row("S3", 0)}, &w.window);
    auto *pDelete = new CDeleteItemCommand(w.Item(plan.s1), &w.window);
    auto *pPaste = new CPasteCommand(w.Item(plan.s), w.window.GetClipboard(), &w.window);
    const QPointer<CNodeGrapicsItem> oldItem = w.Item(plan.s);

    w.window.DeleteNode(w.Item(plan.b));
    w.Stack()->undo();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!oldItem);

    w.Stack()->push(pAdd);
    w.Stack()->push(pDelete);
    w.Stack()->push(pPaste);
    QCOMPARE(w.Stack()->count(), 3);
    QCOMPARE(plan.s->children.size(), size_t(3));
    QCOMPARE(Child(plan.s, 0)->name, std::string("S2"));
    QCOMPARE(Child(plan.s, 1)->name, std::string("S3"));
    QCOMPARE(Child(plan.s, 2)->name, std::string("S2"));
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::valueEditAcrossUndoneAdd()
{
    TestWindow w;
    QVERIFY(w.Show());
    CNode *pDecision = w.AddBranch(w.Root(), NodeType::Decision, QStringLiteral("D"),
                                   {Row("A", 1, 10), Row("B", 1, 0)});
    CNode *pA = Child(pDecision, 0);
    TypeInto(w.window, PayoffText(w.Item(pA)), QStringLiteral("25"));
    TypeInto(w.window, w.Item(pDecision), QStringLiteral("Choice"));
    QCOMPARE(w.Stack()->count(), 3);
    const QStringList done = Snapshot(w.Root());

    // Back to before the add, so A and its item leave; then forward again.
    for (int i = 0; i < 3; ++i)
        w.Stack()->undo();
    QCOMPARE(Child(w.Root(), 0)->type, int(NodeType::Terminal));
    QCOMPARE(pA->payoff, 10.0);
    QCOMPARE(pDecision->name, std::string("D"));
    for (int i = 0; i < 3; ++i)
        w.Stack()->redo();
    QCOMPARE(Snapshot(w.Root()), done);
    QCOMPARE(PayoffText(w.Item(pA))->toPlainText(), QStringLiteral("25"));
    QCOMPARE(w.Item(pDecision)->toPlainText(), QStringLiteral("Choice"));
    QCOMPARE(pDecision->payoff, 25.0);
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::sumsMendedBySiblingSolveEveryOption()
{
    // While a Situation's options do not add up nothing is solved; once the
    // sum is mended, from whichever option, the paths below all of them show
    // their probability again.
    TestWindow w;
    QVERIFY(w.Show());
    CNode *pSituation = w.AddBranch(w.Root(), NodeType::Situation, QStringLiteral("S"),
                                    {Row("X", 0.5, 10), Row("Y", 0.5, 20)});
    CNode *pX = Child(pSituation, 0);
    CNode *pY = Child(pSituation, 1);
    TypeInto(w.window, ProbabilityText(w.Item(pX)), QStringLiteral("0.3"));
    QVERIFY(ErrorShown(w.Item(pY)));
    TypeInto(w.window, ProbabilityText(w.Item(pY)), QStringLiteral("0.7"));
    QVERIFY(!ErrorShown(w.Item(pX)));
    QCOMPARE(pSituation->payoff, 17.0);
    QCOMPARE(Child(pX, 0)->probability, 0.3);
    QCOMPARE(Child(pY, 0)->probability, 0.7);
    QCOMPARE(ProbabilityText(w.Item(Child(pX, 0)))->toPlainText(), QStringLiteral("30%"));
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::undoWhileEditingARemovedText()
{
    // The main window's Undo can run while a text is being edited; when the
    // undo takes that text off the scene, its lost focus must not push a new
    // step from inside the undo.
    TestWindow w;
    QVERIFY(w.Show());
    CNode *pDecision = w.AddBranch(w.Root(), NodeType::Decision, QStringLiteral("D"),
                                   {Row("A", 1, 10), Row("B", 1, 0)});
    CNode *pA = Child(pDecision, 0);
    QGraphicsTextItem *pPayoff = PayoffText(w.Item(pA));
    StartEditing(w.window, pPayoff);
    QVERIFY(pPayoff->hasFocus());
    QTest::keyClick(w.window.viewport(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w.window.viewport(), QStringLiteral("99"));

    w.Stack()->undo();
    QCOMPARE(w.Stack()->count(), 1);
    QCOMPARE(w.Stack()->index(), 0);
    QCOMPARE(Child(w.Root(), 0)->type, int(NodeType::Terminal));
    QCOMPARE(SceneFault(w.window), QString());
    w.Stack()->redo();
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(ValueFault(w.window), QString());
}

void TestCommands::closingWindowFreesHeldNodes()
{
    // Commands in both states, a clipboard, items waiting for deletion and a
    // text being edited: closing the window frees each node exactly once.
    auto w = std::make_unique<TestWindow>();
    const PlanNodes plan = GrowPlan(*w);
    QVERIFY(w->Show());
    CNode *pS3 = w->AddOptions(plan.s, {Row("S3", 0)}).front();
    w->window.DeleteNode(w->Item(plan.a));
    w->window.CopyNode(w->Item(plan.s));
    w->window.PasteNode(w->Item(pS3));
    w->Stack()->undo();
    QCOMPARE(w->Stack()->count(), 3);
    QCOMPARE(w->Stack()->index(), 2);
    const QPointer<CNodeGrapicsItem> item = w->Item(plan.b);
    QGraphicsTextItem *pPayoff = PayoffText(w->Item(plan.s1));
    StartEditing(w->window, pPayoff);
    QVERIFY(pPayoff->hasFocus());
    QTest::keyClicks(w->window.viewport(), QStringLiteral("7"));

    w.reset();
    QVERIFY(!item);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
