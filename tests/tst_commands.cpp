#include "CDeleteItemCommand.h"
#include "CPasteCommand.h"
#include "CPayoff2Command.h"
#include "CTreeFormulas.h"
#include "ContextAction.h"
#include "GuiTest.h"
#include "TestTrees.h"

#include <QBuffer>
#include <QSignalSpy>

using namespace GuiTest;

// What the randomized edits cannot see: which nodes commands hold and free,
// and commands outliving the items they were made from.
class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void pastedOptionOfADecisionIsCertain();
    void commandsOutliveTheirItems();
    void discardedCommandsFreeTheirNodes();
    void closingTheWindowFreesHeldNodes();
    void eachStepEvaluatesOnce();
    void flipIsOneStepThatUndoes();
    void secondPayoffsTravelWithTheirOptions();
};

void TestCommands::pastedOptionOfADecisionIsCertain()
{
    // An option of a Decision is chosen, not drawn: one copied from a
    // Situation must not bring along a share nobody can see or edit.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    w.window.OnItemContextMenu(w.Item(plan.s1), ContextAction::ActionCopy);
    w.window.OnItemContextMenu(w.Item(plan.d), ContextAction::ActionPaste);
    QCOMPARE(plan.d->children.back()->probability, 1.0);
    QCOMPARE(w.window.GetClipboard()->probability, 0.4);
    QCOMPARE(WindowFault(w.window), QString());
}

void TestCommands::commandsOutliveTheirItems()
{
    // Commands are made from items but hold nodes only: the items may be long
    // gone, replaced by new ones, when the commands run.
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
    QCOMPARE(plan.s->children.size(), size_t(3));
    QCOMPARE(WindowFault(w.window), QString());
}

void TestCommands::discardedCommandsFreeTheirNodes()
{
    // The stack drops commands both done and undone; the sanitizer build
    // checks that each frees exactly what it still holds detached.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    w.AddOptions(plan.s, {Row("S3", 0)});
    w.window.DeleteNode(w.Item(plan.a));
    w.window.CopyNode(w.Item(plan.s1));
    w.window.PasteNode(w.Item(plan.d));
    for (int i = 0; i < 3; ++i)
        w.Stack()->undo();
    w.AddBranch(plan.a, NodeType::Situation, "S'", {Row("X")});
    QCOMPARE(w.Stack()->count(), 1);
    QCOMPARE(plan.a->parent, plan.d);
    w.Stack()->undo();
    w.window.DeleteNode(w.Item(plan.b));
    w.Stack()->clear();
    QCOMPARE(plan.d->children, std::vector<CNode *>{plan.a});
    QCOMPARE(WindowFault(w.window), QString());
}

void TestCommands::closingTheWindowFreesHeldNodes()
{
    // Commands in both states, a clipboard, items waiting for deletion and a
    // text being edited: closing frees each node exactly once.
    auto w = std::make_unique<TestWindow>();
    const PlanNodes plan = GrowPlan(*w);
    QVERIFY(w->Show());
    w->AddOptions(plan.s, {Row("S3", 0)});
    w->window.DeleteNode(w->Item(plan.a));
    w->window.CopyNode(w->Item(plan.s));
    w->window.PasteNode(w->Item(plan.s->children.back()));
    w->Stack()->undo();
    const QPointer<CNodeGrapicsItem> item = w->Item(plan.b);
    StartEditing(w->window, PayoffText(w->Item(plan.s1)));
    QTest::keyClicks(w->window.viewport(), QStringLiteral("7"));
    w.reset();
    QVERIFY(!item);
}

void TestCommands::eachStepEvaluatesOnce()
{
    // A command, its undo and its redo each roll the tree back once, and
    // leave every warning where it belongs: a Situation added with shares
    // that do not add up shows it at once, on its own options.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QSignalSpy evaluations(&w.window.GetDocument(), &CProjectDocument::sig_valuesChanged);
    auto check = [&](const char *pStep) {
        const int nCount = evaluations.count();
        evaluations.clear();
        QVERIFY2(nCount == 1, pStep);
        QVERIFY2(WindowFault(w.window).isEmpty(), pStep);
    };
    w.AddBranch(plan.a, NodeType::Situation, "T", {Row("T1", 0.3, 1), Row("T2", 0.3, 2)});
    check("add");
    w.window.CopyNode(w.Item(plan.s));
    w.window.PasteNode(w.Item(plan.s2));
    check("paste");
    w.AddOptions(plan.s, {Row("S3", 0.5, 0), Row("S4", 0, 0)});
    check("add options");
    w.window.DeleteNode(w.Item(plan.b));
    check("delete");
    for (int i = 0; i < 4; ++i) {
        w.Stack()->undo();
        check("undo");
    }
    for (int i = 0; i < 4; ++i) {
        w.Stack()->redo();
        check("redo");
    }
}

RAMIFY_GUI_TEST_MAIN(TestCommands)
void TestCommands::flipIsOneStepThatUndoes()
{
    // State first: a test positive over Dry 0.2 of the time, over Wet 0.6.
    TestWindow w;
    CNode *pOil =
        w.AddBranch(w.Root(), NodeType::Situation, "Oil", {Row("Dry", 0.5, 0), Row("Wet", 0.5, 9)});
    for (CNode *pState : std::vector<CNode *>(pOil->children))
        w.AddBranch(pState, NodeType::Situation, "Test",
                    {Row("pos", pState->name == "Dry" ? 0.2 : 0.6, 1),
                     Row("neg", pState->name == "Dry" ? 0.8 : 0.4, 1)});
    w.window.ArrangeTree();
    CNode *pBefore = w.Root()->Clone();
    const int nSteps = w.Stack()->count();
    w.window.OnItemContextMenu(w.Item(pOil), ContextAction::ActionFlip);
    QCOMPARE(w.Stack()->count(), nSteps + 1);
    const CNode *pTest = w.Root()->children.front();
    QCOMPARE(pTest->name, std::string("Test"));
    QVERIFY(qFuzzyCompare(pTest->children.front()->probability, 0.4));
    QVERIFY(pTest->children.front()->children.front()->HasPosition());
    QCOMPARE(WindowFault(w.window), QString());
    w.Stack()->undo();
    CompareTrees(pBefore, w.Root());
    QCOMPARE(WindowFault(w.window), QString());
    w.Stack()->redo();
    QCOMPARE(w.Root()->children.front()->name, std::string("Test"));
    QCOMPARE(WindowFault(w.window), QString());
    CNode::FreeSubtree(pBefore);
}

#include "tst_commands.moc"

namespace {

// Every option's second payoff and its formula, in file order.
QStringList SecondPayoffs(const CNode *pRoot)
{
    QStringList lines;
    for (const CNode *pNode : Attached(const_cast<CNode *>(pRoot)))
        if (pNode->type == NodeType::Option)
            lines << QStringLiteral("%1 %2 %3")
                         .arg(QString::fromStdString(pNode->name))
                         .arg(pNode->payoff2, 0, 'g', 17)
                         .arg(QString::fromStdString(pNode->payoff2Formula));
    return lines;
}

// The second payoffs of the project as its saved file reads back.
QStringList SecondPayoffsSaved(const CProjectDocument &document)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    QString strError;
    if (!document.Write(buffer, &strError))
        return {strError};
    buffer.seek(0);
    CProjectDocument read;
    read.Read(buffer);
    return SecondPayoffs(read.GetRoot());
}

} // namespace

void TestCommands::secondPayoffsTravelWithTheirOptions()
{
    // A second payoff lives on its option: cut and paste, delete and undo,
    // a flip and a variable's new value must leave every option with the
    // second payoff it had (or, for the flip, the sums it stands for), and
    // the window must show what its saved file reads back as.
    TestWindow w;
    CProjectDocument &document = w.window.GetDocument();
    CProjectSettings settings = document.GetSettings();
    settings.criteria.two = true;
    settings.criteria.weight = 100;
    w.window.ChangeSettings(settings);
    CVariables variables;
    variables.Add({"k", 3, "", false, 0, false, 0, ""});
    w.window.ChangeVariables(QStringLiteral("Variable"), variables, {});
    CNode *pOil =
        w.AddBranch(w.Root(), NodeType::Situation, "Oil", {Row("Dry", 0.5, 0), Row("Wet", 0.5, 9)});
    for (CNode *pState : std::vector<CNode *>(pOil->children))
        w.AddBranch(pState, NodeType::Situation, "Test",
                    {Row("pos", pState->name == "Dry" ? 0.2 : 0.6, 1),
                     Row("neg", pState->name == "Dry" ? 0.8 : 0.4, 1)});
    int nOption = 0;
    for (CNode *pNode : Attached(w.Root()))
        if (pNode->type == NodeType::Option)
            w.Stack()->push(++nOption == 3 ? new CPayoff2Command(document, pNode, 3, "k")
                                           : new CPayoff2Command(document, pNode, nOption, ""));
    const auto same = [&](const char *pStep) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(WindowFault(w.window), QString());
        QVERIFY2(SecondPayoffs(w.Root()) == SecondPayoffsSaved(document), pStep);
    };
    const QStringList start = SecondPayoffs(w.Root());
    same("typed");

    CNode *pWet = pOil->children[1];
    w.window.OnItemContextMenu(w.Item(pWet), ContextAction::ActionCut);
    same("cut");
    w.window.OnItemContextMenu(w.Item(pOil), ContextAction::ActionPaste);
    same("pasted");
    QCOMPARE(SecondPayoffs(w.Root()), start);

    w.window.OnItemContextMenu(w.Item(pOil->children[0]), ContextAction::ActionDelete);
    w.Stack()->undo();
    same("deleted and undone");
    QCOMPARE(SecondPayoffs(w.Root()), start);

    const double dSecondBefore = pOil->expected2;
    w.window.OnItemContextMenu(w.Item(pOil), ContextAction::ActionFlip);
    same("flipped");
    QVERIFY(qFuzzyCompare(w.Root()->children.front()->expected2, dSecondBefore));
    w.Stack()->undo();
    same("flip undone");

    variables.Set(0, {"k", 5, "", false, 0, false, 0, ""});
    w.window.ChangeVariables(QStringLiteral("Variable"), variables, {});
    same("variable");
    QVERIFY(SecondPayoffs(w.Root()).join(QLatin1Char('\n')).contains(QStringLiteral(" 5 k")));

    // A rename reaches the second payoff's formula, and its undo takes it back.
    const auto lines = [&w] { return SecondPayoffs(w.Root()).join(QLatin1Char('\n')) + '\n'; };
    CVariables renamed = document.GetVariables();
    const auto formulas = CTreeFormulas::Rename(w.Root(), renamed, 0, "kRenamed");
    w.window.ChangeVariables(QStringLiteral("Rename"), renamed, formulas);
    same("renamed");
    QVERIFY(lines().contains(QStringLiteral(" 5 kRenamed\n")));
    w.Stack()->undo();
    same("rename undone");
    QVERIFY(lines().contains(QStringLiteral(" 5 k\n")));
}
