#include "CDecisionSolver.h"
#include "CEditRules.h"
#include "ContextAction.h"
#include "TestTrees.h"
#include "TextNumber.h"

#include <cmath>
#include <limits>

// The tree, its editing rules and the rollback, without any graphics.
class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void childListEdits();
    void cloneIsDeepAndIndependent();
    void probabilityConsistency_data();
    void probabilityConsistency();
    void editRules_data();
    void editRules();
    void typedNumbers_data();
    void typedNumbers();
    void workedExampleRollback();
    void decisionChoice_data();
    void decisionChoice();
    void situationActivity_data();
    void situationActivity();
    void ownerLeftWithOnlyATerminal();
    void solveFromAnOptionLeavesSiblingsAlone();
    void examplesHoldTheirRollback_data();
    void examplesHoldTheirRollback();
    void deepChainStaysOffTheStack();
};

void TestModel::childListEdits()
{
    CNode *pOwner = CNode::CreateDecision(nullptr, "d");
    CNode *pA = CNode::CreateOption(pOwner, "a");
    CNode *pB = CNode::CreateOption(pOwner, "b");
    CNode *pC = CNode::CreateOption(pOwner, "c");
    // Undo of a delete puts the node back where it was, not at the end.
    const int nIndex = pOwner->IndexOfChild(pB);
    pOwner->RemoveChild(pB);
    QVERIFY(!pB->parent);
    pOwner->InsertChild(nIndex, pB);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pA, pB, pC}));
    // Places out of range clamp instead of writing past the end; attaching
    // or inserting a child that is there already adds no second entry.
    pOwner->RemoveChild(pC);
    pOwner->InsertChild(99, pC);
    pOwner->AttachChild(pC);
    pOwner->InsertChild(-5, pA);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pA, pB, pC}));
    // A node that is not a child changes nothing.
    CNode *pStranger = CNode::CreateOption(nullptr, "x");
    pOwner->RemoveChild(pStranger);
    QCOMPARE(pOwner->children.size(), size_t(3));
    CNode::FreeSubtree(pStranger);
    CNode::FreeSubtree(pOwner);
}

void TestModel::cloneIsDeepAndIndependent()
{
    WorkedExample ex;
    ex.s1->payoffComment = "bonus \xc3\xa9";
    ex.s1->x = 12;
    CNode *pCopy = ex.b->Clone();
    // The copy names the source's parent but is not among its children.
    QCOMPARE(pCopy->parent, ex.d);
    QCOMPARE(ex.d->IndexOfChild(pCopy), -1);
    CompareTrees(ex.b, pCopy);
    pCopy->ClearPositions();
    QVERIFY(!pCopy->children[0]->children[0]->HasPosition());
    QCOMPARE(ex.s1->x, 12);
    QVERIFY(pCopy->children[0] != ex.s);
    CNode::FreeSubtree(pCopy);
}

void TestModel::probabilityConsistency_data()
{
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<bool>("consistent");
    QTest::newRow("exact") << 0.4 << 0.6 << true;
    QTest::newRow("within tolerance") << 0.5 << 0.49995 << true;
    QTest::newRow("below tolerance") << 0.5 << 0.4998 << false;
    QTest::newRow("above one") << 0.5 << 0.5002 << false;
    QTest::newRow("not a number") << 0.5 << std::nan("") << false;
}

void TestModel::probabilityConsistency()
{
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(bool, consistent);
    WorkedExample ex;
    ex.s1->probability = first;
    ex.s2->probability = second;
    QCOMPARE(ex.tree.IsProbabilityConsistent(), consistent);
    // A Situation without options adds up to nothing; no Root, no consistency.
    ex.s1->probability = 0.4;
    ex.s2->probability = 0.6;
    CNode::CreateSituation(ex.ta, "empty");
    QVERIFY(!ex.tree.IsProbabilityConsistent());
    QVERIFY(!CDecisionTree().IsProbabilityConsistent());
}

void TestModel::editRules_data()
{
    // Which actions each node of the worked example admits, after D's option
    // A was given a second Terminal-ending sibling C, with an Option and with
    // a Decision in the clipboard. Letters: a add Decision/Situation, o add
    // options, c copy, x cut, d delete, m comment, then the paste targets.
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<bool>("pasteOption");
    QTest::addColumn<bool>("pasteDecision");
    QTest::newRow("Root with a Decision") << "Plan"
                                          << "" << false << false;
    QTest::newRow("Decision") << "D"
                              << "ocxd" << true << false;
    QTest::newRow("option ending in a Terminal") << "A"
                                                 << "acxdm" << false << true;
    QTest::newRow("option leading on") << "B"
                                       << "cxdm" << false << false;
    QTest::newRow("Situation") << "S"
                               << "ocxd" << true << false;
    QTest::newRow("only option left") << "S2"
                                      << "acm" << false << true;
    QTest::newRow("Terminal") << ""
                              << "" << false << false;
}

void TestModel::editRules()
{
    QFETCH(QString, node);
    QFETCH(QString, allowed);
    QFETCH(bool, pasteOption);
    QFETCH(bool, pasteDecision);
    using namespace ContextAction;
    WorkedExample ex;
    AddOption(ex.d, "C", 1, 0);
    ex.s->RemoveChild(ex.s1);
    CNode::FreeSubtree(ex.s1);
    const std::map<QString, CNode *> nodes{{"Plan", ex.root}, {"D", ex.d}, {"A", ex.a},
                                           {"B", ex.b},       {"S", ex.s}, {"S2", ex.s2},
                                           {"", ex.t2}};
    const CNode *pNode = nodes.at(node);
    QString strAllowed;
    const std::pair<int, char> letters[] = {
        {ActionAddDecision, 'a'}, {ActionAddOption, 'o'}, {ActionCopy, 'c'},
        {ActionCut, 'x'},         {ActionDelete, 'd'},    {ActionChangePayoffComment, 'm'}};
    for (const auto &[nAction, cLetter] : letters)
        if (CEditRules::Allows(nAction, pNode, nullptr))
            strAllowed += QLatin1Char(cLetter);
    QCOMPARE(strAllowed, allowed);
    QCOMPARE(CEditRules::Allows(ActionAddSituation, pNode, nullptr), allowed.contains('a'));
    QCOMPARE(CEditRules::Allows(ActionPaste, pNode, ex.a), pasteOption);
    QCOMPARE(CEditRules::Allows(ActionPaste, pNode, ex.d), pasteDecision);
    QVERIFY(!CEditRules::Allows(ActionPaste, pNode, ex.root));
    QVERIFY(!CEditRules::Allows(ActionPaste, pNode, nullptr));
    // The menu offers Paste wherever some clipboard could go.
    QCOMPARE(CEditRules::Offers(ActionPaste, pNode), pasteOption || pasteDecision);
}

void TestModel::typedNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("exponent") << "-1e3" << -1000.0;
    QTest::newRow("digits then letters") << "12abc" << 0.0;
    QTest::newRow("nan") << "nan" << 0.0;
    QTest::newRow("infinity") << "-inf" << 0.0;
    QTest::newRow("overflow") << "1e999" << 0.0;
    QTest::newRow("largest finite") << "1.7976931348623157e308" << 1.7976931348623157e308;
}

void TestModel::typedNumbers()
{
    // No NaN or infinity may reach the rollback, where it spreads upwards.
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(TextToNumber(text), value);
}

void TestModel::workedExampleRollback()
{
    WorkedExample ex;
    const std::vector<CNode *> written = CDecisionSolver().Solve(ex.root);
    // The order in which values are written is what the window refreshes by.
    QCOMPARE(written, (std::vector<CNode *>{ex.ta, ex.d, ex.t1, ex.s, ex.d, ex.t2, ex.s, ex.d}));
    QCOMPARE(ex.d->payoff, 10.0);
    QCOMPARE(ex.s->payoff, 9.0);
    QCOMPARE(ex.t1->payoff, 30.0);
    QCOMPARE(ex.t1->probability, 0.4);
    QVERIFY(ex.a->active && !ex.b->active && ex.s1->active && ex.s2->active);
    // Solving again changes nothing.
    CDecisionSolver().Solve(ex.root);
    QCOMPARE(ex.d->payoff, 10.0);
    QVERIFY(ex.a->active && !ex.b->active);
}

void TestModel::decisionChoice_data()
{
    QTest::addColumn<double>("payoffA");
    QTest::addColumn<double>("payoffB");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("chooseA");
    QTest::addColumn<bool>("chooseB");
    const double dLowest = std::numeric_limits<double>::lowest();
    QTest::newRow("tie keeps the first") << 9.0 << 9.0 << 9.0 << true << false;
    QTest::newRow("second better") << 1.0 << 9.0 << 9.0 << false << true;
    QTest::newRow("nan never chosen") << std::nan("") << 2.0 << 2.0 << false << true;
    QTest::newRow("nothing usable") << std::nan("") << dLowest << dLowest << false << false;
}

void TestModel::decisionChoice()
{
    QFETCH(double, payoffA);
    QFETCH(double, payoffB);
    QFETCH(double, value);
    QFETCH(bool, chooseA);
    QFETCH(bool, chooseB);
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pDecision = CNode::CreateDecision(pRoot, "d");
    CNode *pA = AddOption(pDecision, "a", 1, payoffA);
    CNode *pB = AddOption(pDecision, "b", 1, payoffB);
    CDecisionSolver().Solve(pRoot);
    QCOMPARE(pDecision->payoff, value);
    QCOMPARE(pA->active, chooseA);
    QCOMPARE(pB->active, chooseB);
}

void TestModel::situationActivity_data()
{
    QTest::addColumn<double>("probability");
    QTest::addColumn<bool>("active");
    QTest::newRow("0.00005") << 0.00005 << false;
    QTest::newRow("0.0001 boundary") << 0.0001 << false;
    QTest::newRow("0.0002") << 0.0002 << true;
    QTest::newRow("negative") << -0.5 << true;
}

void TestModel::situationActivity()
{
    QFETCH(double, probability);
    QFETCH(bool, active);
    WorkedExample ex;
    ex.s1->probability = probability;
    CDecisionSolver().Solve(ex.root);
    QCOMPARE(ex.s1->active, active);
    QCOMPARE(ex.s->payoff, probability * 30 + 0.6 * -5);
}

void TestModel::ownerLeftWithOnlyATerminal()
{
    // When S's options are all gone, S ends in a Terminal and must take that
    // path's value, and D above must be recomputed from it, not keep the
    // values of options that no longer exist.
    WorkedExample ex;
    CDecisionSolver().Solve(ex.root);
    for (CNode *pOption : {ex.s1, ex.s2}) {
        ex.s->RemoveChild(pOption);
        CNode::FreeSubtree(pOption);
    }
    ex.b->payoff = 25;
    CNode::CreateTerminal(ex.s, "");
    CDecisionSolver().Solve(ex.s);
    QCOMPARE(ex.s->payoff, 25.0);
    QCOMPARE(ex.d->payoff, 25.0);
    QVERIFY(ex.b->active && !ex.a->active);
}

void TestModel::solveFromAnOptionLeavesSiblingsAlone()
{
    WorkedExample ex;
    CDecisionSolver().Solve(ex.root);
    ex.a->payoff = 50;
    ex.s2->payoff = 100; // not solved: A's subtree is the one that changed
    const std::vector<CNode *> written = CDecisionSolver().Solve(ex.a);
    QCOMPARE(written, (std::vector<CNode *>{ex.ta, ex.d}));
    QCOMPARE(ex.t2->payoff, -5.0);
    QCOMPARE(ex.d->payoff, 50.0);
    // A Terminal right under the Root takes the Root's own numbers.
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    pRoot->payoff = 7;
    CNode *pEnd = CNode::CreateTerminal(pRoot, "");
    QCOMPARE(CDecisionSolver().Solve(pRoot), std::vector<CNode *>{pEnd});
    QCOMPARE(pEnd->payoff, 7.0);
}

void TestModel::examplesHoldTheirRollback_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("value");
    QTest::addColumn<QStringList>("chosen");
    QTest::newRow("Plan") << "Plan.rmproj" << 10.0 << QStringList{"A"};
    QTest::newRow("oil") << "OilWildcatter.rmproj" << 20000.0 << QStringList{"Drill"};
    QTest::newRow("Party") << "Party.rmproj" << 70.0 << QStringList{"Outdoors", "Indoors"};
    QTest::newRow("launch") << "Launch.rmproj" << 690000.0
                            << QStringList{"Nationwide", "Build", "Withdraw", "Launch",
                                           "Sell the idea"};
}

void TestModel::examplesHoldTheirRollback()
{
    // The committed examples carry a finished rollback with the values worked
    // out by hand; solving them again changes nothing.
    QFETCH(QString, file);
    QFETCH(double, value);
    QFETCH(QStringList, chosen);
    CDecisionTree tree;
    const auto result = CProjectFile::Read(QStringLiteral(RAMIFY_EXAMPLES_DIR "/") + file, tree);
    QVERIFY2(result.Succeeded(), qPrintable(result.Message()));
    for (int nPass = 0; nPass < 2; ++nPass) {
        QCOMPARE(tree.GetRoot()->children.at(0)->payoff, value);
        QStringList chosenNow;
        std::vector<const CNode *> queue{tree.GetRoot()};
        for (size_t i = 0; i < queue.size(); ++i) {
            for (const CNode *pChild : queue[i]->children) {
                if (queue[i]->type == NodeType::Decision && pChild->active)
                    chosenNow << QString::fromStdString(pChild->name);
                queue.push_back(pChild);
            }
        }
        QCOMPARE(chosenNow, chosen);
        CDecisionSolver().Solve(tree.GetRoot());
    }
}

void TestModel::deepChainStaysOffTheStack()
{
    // A file can make a tree as deep as it likes; nothing may recurse on it.
    CDecisionTree tree;
    tree.SetRoot(MakeChain(100000));
    const std::vector<CNode *> written = CDecisionSolver().Solve(tree.GetRoot());
    QCOMPARE(tree.GetRoot()->children[0]->payoff, 49999.0);
    QCOMPARE(written.size(), size_t(1 + 49999));
    QVERIFY(tree.IsProbabilityConsistent());
    CNode *pCopy = tree.GetRoot()->Clone();
    pCopy->ClearPositions();
    CNode::FreeSubtree(pCopy);
}

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
