// One-way sensitivity and tornado: the oil example worked out by hand, and
// random trees checked against full re-solves of changed copies.
#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"
#include "CSensitivityAnalysis.h"
#include "CTornado.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

using Parameter = CSensitivityAnalysis::Parameter;
Q_DECLARE_METATYPE(Parameter)

namespace {

// An option leading to a new node made by fnCreate; returns that node, or the
// option when there is no fnCreate.
CNode *Add(CNode *pOwner, const char *pName, double dProbability, double dPayoff,
           CNode *(*fnCreate)(CNode *, const std::string &) = &CNode::CreateTerminal)
{
    CNode *pOption = CNode::CreateOption(pOwner, pName);
    pOption->probability = dProbability;
    pOption->payoff = dPayoff;
    return fnCreate ? fnCreate(pOption, "") : pOption;
}

// Sell 750; drill now -250 (oil 0.5 paying 2500); test -100 (positive 0.6 /
// negative 0.4), then install -250 (oil 0.75 or 0.125 paying 2500) or sell
// for 1000 or 500. By hand: drill 1000; after a positive test install 1525,
// after a negative one sell 400; the test 0.6 * 1525 + 0.4 * 400 = 1075.
CNode *OilTree()
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Oil");
    CNode *pChoice = CNode::CreateDecision(pRoot, "Drill?");
    Add(pChoice, "sell", 1, 750);
    CNode *pDrill = Add(pChoice, "drill now", 1, -250, &CNode::CreateSituation);
    CNode *pTest = Add(pChoice, "test", 1, -100, &CNode::CreateSituation);
    Add(pDrill, "oil", 0.5, 2500);
    Add(pDrill, "dry", 0.5, 0);
    for (auto [pName, dChance, dOil, dSell] :
         {std::tuple{"positive", 0.6, 0.75, 1000.0}, std::tuple{"negative", 0.4, 0.125, 500.0}}) {
        CNode *pAfter = Add(pTest, pName, dChance, 0, &CNode::CreateDecision);
        CNode *pInstall = Add(pAfter, "install", 1, -250, &CNode::CreateSituation);
        Add(pAfter, "sell", 1, dSell);
        Add(pInstall, "oil", dOil, 2500);
        Add(pInstall, "dry", 1 - dOil, 0);
    }
    return pRoot;
}

// One to three options per Decision or Situation, small integer payoffs and
// probabilities in quarters from -1/4 to 1: the rollback's arithmetic stays
// exact, ties are common, and most Situations do not add up to 1.
CNode *RandomTree(std::mt19937 &random)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "R");
    std::vector<std::pair<CNode *, unsigned>> ends{{pRoot, 0}};
    while (!ends.empty()) {
        const auto [pEnd, nDepth] = ends.back();
        ends.pop_back();
        const unsigned nRoll = nDepth < 4 ? random() % 10 : 0;
        CNode *pOwner = nRoll < 3   ? CNode::CreateTerminal(pEnd, "")
                        : nRoll < 7 ? CNode::CreateDecision(pEnd, "D")
                                    : CNode::CreateSituation(pEnd, "S");
        for (unsigned i = 0, nCount = nRoll < 3 ? 0 : 1 + random() % 3; i < nCount; ++i) {
            const double dProbability = nRoll < 7 ? 1.0 : (int(random() % 6) - 1) / 4.0;
            ends.emplace_back(Add(pOwner, "O", dProbability, int(random() % 7) - 3, nullptr),
                              nDepth + 1);
        }
    }
    return pRoot;
}

// The editor's own solver on a changed copy of the tree: the Root's value and,
// per Decision, the chosen option (-1 for none). A moved probability is made
// up for by its siblings in proportion, or in equal parts when they add up to 0.
std::pair<double, std::vector<int>> Resolve(const CNode *pRoot, int nOption, Parameter parameter,
                                            double dValue)
{
    CDecisionTree copy;
    copy.SetRoot(pRoot->Clone());
    const CTreeIndex index(copy.GetRoot());
    CNode *pOption = const_cast<CNode *>(index.Node(nOption));
    const std::vector<CNode *> &siblings = pOption->parent->children;
    double dRest = -pOption->probability;
    for (const CNode *pSibling : siblings)
        dRest += pSibling->probability;
    const double dLeft = dRest - (dValue - pOption->probability);
    for (CNode *pSibling : siblings)
        if (parameter == Parameter::Probability)
            pSibling->probability =
                dRest != 0 ? pSibling->probability * dLeft / dRest
                           : pSibling->probability + dLeft / double(siblings.size() - 1);
    (parameter == Parameter::Payoff ? pOption->payoff : pOption->probability) = dValue;
    CDecisionSolver().Solve(copy.GetRoot(), [](CNode *) {});
    std::vector<int> chosen(size_t(index.Size()), -1);
    for (int n = 1; n < index.Size(); ++n)
        if (index.Node(n)->active && index.Type(index.Parent(n)) == NodeType::Decision)
            chosen[size_t(index.Parent(n))] = n;
    return {copy.GetRoot()->children[0]->payoff, chosen};
}

} // namespace

class TestSensitivity : public QObject
{
    Q_OBJECT

private slots:
    void oilBreakEven_data();
    void oilBreakEven();
    void agreesWithResolves();
    void deepChain();
    void commandLine_data();
    void commandLine();
};

void TestSensitivity::oilBreakEven_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("breakEven");
    QTest::addColumn<QString>("change");
    // 1075 = the test's value; 400 + 1125 p > 1000 (drill) from p = 8/15 on.
    QTest::newRow("sell payoff 500..1500")
        << 2 << Parameter::Payoff << 1500.0 << 1075.0 << "test > sell";
    QTest::newRow("positive test 0..1")
        << 10 << Parameter::Probability << 1.0 << 8.0 / 15 << "drill now > test";
}

void TestSensitivity::oilBreakEven()
{
    QFETCH(int, option);
    QFETCH(Parameter, parameter);
    QFETCH(double, high);
    QFETCH(double, breakEven);
    QFETCH(QString, change);
    CDecisionTree tree;
    tree.SetRoot(OilTree());
    const CTreeIndex index(tree.GetRoot());
    const CTreeEvaluation evaluation(index);
    QCOMPARE(evaluation.RootValue(), 1075.0);
    CSensitivityAnalysis analysis(evaluation);
    QVERIFY(analysis.Run(option, parameter, high == 1 ? 0 : 500, high));
    QCOMPARE(analysis.BreakEvens().size(), size_t(1));
    const CSensitivityAnalysis::BreakEven &found = analysis.BreakEvens().front();
    QCOMPARE(found.parameter, breakEven);
    QCOMPARE(found.decision, 1);
    QCOMPARE(QString::fromStdString(index.Node(found.below)->name + " > " +
                                    index.Node(found.above)->name),
             change);
}

void TestSensitivity::agreesWithResolves()
{
    std::mt19937 random(13);
    for (int nTrial = 0; nTrial < 1000; ++nTrial) {
        CDecisionTree tree;
        tree.SetRoot(RandomTree(random));
        const CTreeIndex index(tree.GetRoot());
        const CTreeEvaluation evaluation(index);
        const Parameter parameter = nTrial % 2 ? Parameter::Probability : Parameter::Payoff;
        const bool bPayoff = parameter == Parameter::Payoff;
        std::vector<int> inputs;
        for (int n = 1; n < index.Size(); ++n)
            if (index.Type(n) == NodeType::Option &&
                (bPayoff || index.Type(index.Parent(n)) == NodeType::Situation))
                inputs.push_back(n);
        if (inputs.empty())
            continue;
        auto resolve = [&](int n, double dValue) {
            return Resolve(tree.GetRoot(), n, parameter, dValue);
        };
        // Options near the top have more below them that can react.
        const int nOption = inputs[random() % std::min(inputs.size(), size_t(1 + nTrial % 6))];
        const double dLow = bPayoff ? index.Node(nOption)->payoff - random() % 80 : 0.0;
        const double dHigh = bPayoff ? index.Node(nOption)->payoff + 1 + random() % 80 : 1.0;
        CSensitivityAnalysis analysis(evaluation);
        QVERIFY(analysis.Run(nOption, parameter, dLow, dHigh, 16));

        // A wrong weight, radius or tie rule shows as a value or choice that
        // the editor's solver does not reach.
        for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
            const auto [dValue, chosen] = resolve(nOption, step.parameter);
            QVERIFY(qAbs(step.value - dValue) < 1e-9);
            for (int n = 0; n < index.Size() && bPayoff; ++n)
                if (index.Type(n) == NodeType::Decision)
                    QCOMPARE(analysis.ChosenAt(n, step.parameter), chosen[size_t(n)]);
        }
        const double dNear = 1e-6 * (dHigh - dLow);
        for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens()) {
            const size_t decision = size_t(found.decision);
            QVERIFY(qAbs(found.value - resolve(nOption, found.parameter).first) < 1e-9);
            QCOMPARE(resolve(nOption, found.parameter - dNear).second[decision], found.below);
            QCOMPARE(resolve(nOption, found.parameter + dNear).second[decision], found.above);
        }

        // Exactly the inputs that swing the Root are listed, at the solver's values.
        CTornado tornado(evaluation);
        QVERIFY(tornado.Run(50));
        long nSwinging = 0;
        for (int n : inputs) {
            const double dNow = bPayoff ? index.Node(n)->payoff : index.Node(n)->probability;
            // A probability stays within 0 and 1.
            const double dFloor = bPayoff ? -qInf() : 0.0, dCeiling = bPayoff ? qInf() : 1.0;
            const double dMove = qAbs(dNow) / 2;
            const double dValueLow = resolve(n, qBound(dFloor, dNow - dMove, dCeiling)).first;
            const double dValueHigh = resolve(n, qBound(dFloor, dNow + dMove, dCeiling)).first;
            const bool bSwings = qAbs(dValueHigh - dValueLow) > 1e-9;
            nSwinging += bSwings;
            for (const CTornado::Bar &bar : tornado.Bars())
                if (bar.option == n && bar.kind == parameter)
                    QVERIFY(bSwings && qAbs(bar.valueLow - dValueLow) < 1e-9 &&
                            qAbs(bar.valueHigh - dValueHigh) < 1e-9);
        }
        QCOMPARE(std::count_if(tornado.Bars().begin(), tornado.Bars().end(),
                               [&](const CTornado::Bar &bar) { return bar.kind == parameter; }),
                 nSwinging);
    }
}

void TestSensitivity::deepChain()
{
    // 100,000 nodes: any recursion along the chain would overflow the stack.
    CDecisionTree tree;
    CNode *pTail = CNode::CreateRoot(nullptr, "Deep");
    tree.SetRoot(pTail);
    for (int i = 0; i < 49999; ++i)
        pTail = Add(CNode::CreateDecision(pTail, "D"), "O", 1, 1, nullptr);
    CNode::CreateTerminal(pTail, "");
    const CTreeIndex index(tree.GetRoot());
    const CTreeEvaluation evaluation(index);
    CSensitivityAnalysis analysis(evaluation);
    QVERIFY(analysis.Run(index.Size() - 2, Parameter::Payoff, 0, 2, 4));
    QCOMPARE(analysis.Steps().back().value, 50000.0);
    CTornado tornado(evaluation);
    QVERIFY(tornado.Run(10));
    QCOMPARE(tornado.Bars().size(), size_t(49999));
}

void TestSensitivity::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // part of stdout on success, else of stderr
    QTest::newRow("break-even for scripts")
        << QStringList{"--json", "--sensitivity", "#3:payoff=500..1500"} << 0
        << "\"parameter\": 1075,";
    QTest::newRow("tornado for scripts")
        << QStringList{"--json", "--tornado", "10"} << 0 << "\"swing\": 187.5";
    QTest::newRow("ambiguous name")
        << QStringList{"--sensitivity", "sell:payoff=0..1"} << 2 << "#3, #18, #20";
    QTest::newRow("probability under a Decision")
        << QStringList{"--sensitivity", "#3:probability=0..1"} << 2 << "(#3)";
}

void TestSensitivity::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QTemporaryDir dir;
    CDecisionTree tree;
    tree.SetRoot(OilTree());
    QVERIFY(CProjectFile::Write(dir.filePath("oil.rmproj"), tree, "Oil"));
    QProcess process;
    process.start(RAMIFY_SOLVE_PATH, arguments << dir.filePath("oil.rmproj"));
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(QString::fromUtf8(exitCode == 0 ? process.readAllStandardOutput()
                                            : process.readAllStandardError())
                .contains(output));
}

QTEST_GUILESS_MAIN(TestSensitivity)
#include "tst_sensitivity.moc"
