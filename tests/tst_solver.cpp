#include "CDecisionSolver.h"
#include "TreeBuilders.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace TreeBuilders;

class TestSolver : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void workedExampleTwiceIsStable();
    void tieKeepsFirstOption();
    void situationActivity_data();
    void situationActivity();
    void unusablePayoffs_data();
    void unusablePayoffs();
    void terminalUnderRoot();
    void solveFromOptionLeavesSiblingsAlone();
    void optionWithoutChildCountsZero();
    void emptyDecisionIsLeaf();
    void nullStart();
    void ownerLeftWithTerminal();
    void deepChain();
    void visitingMatchesList();
};

void TestSolver::workedExample()
{
    WorkedExample ex;
    for (CNode *pNode : {ex.d, ex.s, ex.ta, ex.t1, ex.t2})
        pNode->payoff = 0.0;

    CDecisionSolver solver;
    const std::vector<CNode *> result = solver.Solve(ex.root);
    const std::vector<CNode *> expected{ex.ta, ex.d, ex.t1, ex.s, ex.d, ex.t2, ex.s, ex.d};
    QCOMPARE(result, expected);

    QCOMPARE(ex.d->payoff, 10.0);
    QCOMPARE(ex.s->payoff, 9.0);
    QCOMPARE(ex.ta->payoff, 10.0);
    QCOMPARE(ex.ta->probability, 1.0);
    QCOMPARE(ex.t1->payoff, 30.0);
    QCOMPARE(ex.t1->probability, 0.4);
    QCOMPARE(ex.t2->payoff, -5.0);
    QCOMPARE(ex.t2->probability, 0.6);
    QVERIFY(ex.a->active);
    QVERIFY(!ex.b->active);
    QVERIFY(ex.s1->active);
    QVERIFY(ex.s2->active);
    // Inputs are untouched.
    QCOMPARE(ex.a->payoff, 10.0);
    QCOMPARE(ex.s1->probability, 0.4);
}

void TestSolver::workedExampleTwiceIsStable()
{
    // The second run starts from solved values; the intermediate D of 12 must
    // not appear, since S already shows 9 when T1 is reached again.
    WorkedExample ex;
    CDecisionSolver solver;
    solver.Solve(ex.root);
    ex.s2->payoff = 5.0;
    solver.Solve(ex.root);
    QCOMPARE(ex.s->payoff, 15.0);
    QCOMPARE(ex.d->payoff, 15.0);
    QVERIFY(ex.b->active);
    QVERIFY(!ex.a->active);
}

void TestSolver::tieKeepsFirstOption()
{
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pDecision = CNode::CreateDecision(pRoot, "d");
    CNode *pFirst = AddOption(pDecision, "first", 1, 7);
    CNode *pSecond = AddOption(pDecision, "second", 1, 7);
    pSecond->active = true;
    CDecisionSolver().Solve(pRoot);
    QVERIFY(pFirst->active);
    QVERIFY(!pSecond->active);
    QCOMPARE(pDecision->payoff, 7.0);
}

void TestSolver::situationActivity_data()
{
    QTest::addColumn<double>("probability");
    QTest::addColumn<bool>("active");
    QTest::newRow("0.00005") << 0.00005 << false;
    QTest::newRow("0.0001 boundary") << 0.0001 << false;
    QTest::newRow("0.0002") << 0.0002 << true;
    QTest::newRow("-0.5") << -0.5 << true;
    QTest::newRow("0") << 0.0 << false;
}

void TestSolver::situationActivity()
{
    QFETCH(double, probability);
    QFETCH(bool, active);
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pSituation = CNode::CreateSituation(pRoot, "s");
    CNode *pOption = AddOption(pSituation, "o", probability, 100);
    CNode *pOther = AddOption(pSituation, "other", 1.0, 1);
    CDecisionSolver().Solve(pRoot);
    QCOMPARE(pOption->active, active);
    QVERIFY(pOther->active);
    QCOMPARE(pSituation->payoff, probability * 100 + 1.0);
}

void TestSolver::unusablePayoffs_data()
{
    QTest::addColumn<double>("payoff");
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("-infinity") << -std::numeric_limits<double>::infinity();
    QTest::newRow("lowest") << std::numeric_limits<double>::lowest();
}

void TestSolver::unusablePayoffs()
{
    QFETCH(double, payoff);
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pDecision = CNode::CreateDecision(pRoot, "d");
    CNode *pFirst = AddOption(pDecision, "a", 1, payoff);
    CNode *pSecond = AddOption(pDecision, "b", 1, payoff);
    const std::vector<CNode *> result = CDecisionSolver().Solve(pRoot);
    QCOMPARE(result.size(), size_t(4));
    QCOMPARE(pDecision->payoff, std::numeric_limits<double>::lowest());
    QVERIFY(!pFirst->active);
    QVERIFY(!pSecond->active);
}

void TestSolver::terminalUnderRoot()
{
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    pRoot->probability = 0.5;
    pRoot->payoff = 7;
    CNode *pTerminal = CNode::CreateTerminal(pRoot, "");
    pTerminal->payoff = 99;
    const std::vector<CNode *> result = CDecisionSolver().Solve(pRoot);
    QCOMPARE(result, std::vector<CNode *>{pTerminal});
    QCOMPARE(pTerminal->probability, 0.5);
    QCOMPARE(pTerminal->payoff, 7.0);

    // A Root without children is a leaf of its own.
    CNode *pLonely = CNode::CreateRoot(nullptr, "alone");
    pLonely->probability = 0.3;
    pLonely->payoff = 4;
    QCOMPARE(CDecisionSolver().Solve(pLonely), std::vector<CNode *>{pLonely});
    QCOMPARE(pLonely->probability, 1.0);
    QCOMPARE(pLonely->payoff, 0.0);
    CNode::FreeSubtree(pLonely);
}

void TestSolver::solveFromOptionLeavesSiblingsAlone()
{
    WorkedExample ex;
    CDecisionSolver solver;
    solver.Solve(ex.root);
    // Stale values in the sibling subtree must survive a partial solve.
    ex.ta->payoff = 1234;
    ex.ta->probability = 0.25;
    ex.s1->payoff = 40; // S becomes 0.4 * 40 - 3 = 13, D picks B
    const std::vector<CNode *> result = solver.Solve(ex.s1);
    QCOMPARE(result, (std::vector<CNode *>{ex.t1, ex.s, ex.d}));
    QCOMPARE(ex.t1->payoff, 40.0);
    QCOMPARE(ex.s->payoff, 13.0);
    QCOMPARE(ex.ta->payoff, 1234.0);
    QCOMPARE(ex.ta->probability, 0.25);
    // D compares against TA's stale value, as the user last saw it.
    QCOMPARE(ex.d->payoff, 1234.0);
    QVERIFY(ex.a->active);
}

void TestSolver::optionWithoutChildCountsZero()
{
    // A crafted file can leave an option without a child. It counts as 0 for
    // its owner and is then reached as a leaf itself.
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pDecision = CNode::CreateDecision(pRoot, "d");
    CNode *pLosing = AddOption(pDecision, "losing", 1, -5);
    CNode *pBare = CNode::CreateOption(pDecision, "bare");
    pBare->payoff = 1000;

    const std::vector<CNode *> result = CDecisionSolver().Solve(pRoot);
    QCOMPARE(result, (std::vector<CNode *>{pLosing->children[0], pDecision, pBare}));
    QCOMPARE(pDecision->payoff, 0.0);
    QVERIFY(pBare->active);
    QVERIFY(!pLosing->active);

    CNode *pSituation = ReplaceTerminal(pLosing, &CNode::CreateSituation, "s");
    AddOption(pSituation, "full", 0.5, 10);
    CNode::CreateOption(pSituation, "bare")->probability = 0.5;
    CDecisionSolver().Solve(pSituation);
    QCOMPARE(pSituation->payoff, 0.5 * 5.0);
}

void TestSolver::emptyDecisionIsLeaf()
{
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pSituation = CNode::CreateSituation(pRoot, "s");
    CNode *pOption = AddOption(pSituation, "o", 0.5, 6);
    CNode *pEmpty = ReplaceTerminal(pOption, &CNode::CreateDecision, "empty");
    const std::vector<CNode *> result = CDecisionSolver().Solve(pRoot);
    QCOMPARE(result, (std::vector<CNode *>{pEmpty, pSituation}));
    QCOMPARE(pEmpty->probability, 0.5);
    QCOMPARE(pEmpty->payoff, 6.0);
    QCOMPARE(pSituation->payoff, 3.0);
}

void TestSolver::ownerLeftWithTerminal()
{
    // The state after the last options of a Decision were taken away: its path
    // ends in a Terminal right below it. Its value and everything above it
    // must follow, instead of keeping values of the options that are gone.
    WorkedExample ex;
    CDecisionSolver solver;
    solver.Solve(ex.root);
    QCOMPARE(ex.d->payoff, 10.0);
    for (CNode *pOption : {ex.s1, ex.s2}) {
        ex.s->RemoveChild(pOption);
        CNode::FreeSubtree(pOption);
    }
    CNode *pEnd = CNode::CreateTerminal(ex.s, "");
    ex.b->payoff = 50;
    const std::vector<CNode *> result = solver.Solve(ex.s);
    QCOMPARE(result, (std::vector<CNode *>{pEnd, ex.s, ex.d}));
    QCOMPARE(pEnd->payoff, 50.0);
    QCOMPARE(ex.s->payoff, 50.0);
    QCOMPARE(ex.d->payoff, 50.0);
    QVERIFY(ex.b->active);
    QVERIFY(!ex.a->active);
}

void TestSolver::nullStart()
{
    QVERIFY(CDecisionSolver().Solve(nullptr).empty());
}

void TestSolver::deepChain()
{
    const int nDepth = 100000;
    CDecisionTree tree;
    tree.SetRoot(MakeChain(nDepth));
    const std::vector<CNode *> result = CDecisionSolver().Solve(tree.GetRoot());
    // The Terminal, then every Decision on the way up: nodes 99997, 99995, ..., 1.
    QCOMPARE(result.size(), size_t(1 + (nDepth - 2) / 2));
    const CNode *pTerminal = result.front();
    QCOMPARE(pTerminal->type, int(NodeType::Terminal));
    const double dOptions = (nDepth - 2) / 2;
    QCOMPARE(pTerminal->payoff, dOptions);
    QCOMPARE(result.back(), tree.GetRoot()->children.front());
    QCOMPARE(result.back()->payoff, dOptions);
}

void TestSolver::visitingMatchesList()
{
    // The order of writes does not depend on the values, so a second run over
    // the same tree must visit exactly what the first one listed.
    WorkedExample ex;
    const std::vector<CNode *> listed = CDecisionSolver().Solve(ex.root);
    std::vector<CNode *> visited;
    CDecisionSolver().Solve(ex.root, [&visited](CNode *pNode) { visited.push_back(pNode); });
    QCOMPARE(visited, listed);
    QCOMPARE(ex.d->payoff, 10.0);
    QCOMPARE(ex.s->payoff, 9.0);
}

QTEST_APPLESS_MAIN(TestSolver)
#include "tst_solver.moc"
