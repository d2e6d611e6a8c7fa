// Decision rules, risk attitude, value of information and risk profiles:
// textbook trees worked out by hand, and the rule and tolerance in the file.
#include "CDecisionRule.h"
#include "CRiskAttitude.h"
#include "CRiskProfile.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CValueOfInformation.h"
#include "TestTrees.h"
#include "TreeOracle.h"

#include <random>

using ExampleTrees::ReplaceTerminal;

namespace {

// SAS/OR's oil wildcatter: drilling costs 150,000, 300,000 or 500,000 and
// finds no oil, 700,000 or 1,200,000 worth of it; not drilling pays 0.
CNode *Wildcatter(double dDry = 0.5)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Wildcatter");
    CNode *pDrill = CNode::CreateDecision(pRoot, "Drill?");
    CNode *pCost =
        ReplaceTerminal(AddOption(pDrill, "Drill", 1, 0), CNode::CreateSituation, "Cost");
    AddOption(pDrill, "Not drill", 1, 0);
    for (const auto &[strCost, dProbability, dCost] :
         {std::tuple{"Low", 0.2, 150000.0}, {"Fair", 0.6, 300000.0}, {"High", 0.2, 500000.0}}) {
        CNode *pOil = ReplaceTerminal(AddOption(pCost, strCost, dProbability, -dCost),
                                      CNode::CreateSituation, "Oil");
        AddOption(pOil, "Dry", dDry, 0);
        AddOption(pOil, "Wet", 0.8 - dDry, 700000);
        AddOption(pOil, "Soaking", 0.2, 1200000);
    }
    return pRoot;
}

// Two ventures on one market, or neither: A gains 100 or loses 50, B loses
// 20 or gains 40. Knowing the market picks A when up, B when down: 70
// against 25. Taken as independent the two copies would give 60.
CNode *Ventures(const char *pSecondName = "Market")
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Ventures");
    CNode *pChoose = CNode::CreateDecision(pRoot, "Venture");
    for (const auto &[pName, pMarket, dUp, dDown] :
         {std::tuple{"A", "Market", 100.0, -50.0}, {"B", pSecondName, -20.0, 40.0}}) {
        CNode *pSituation =
            ReplaceTerminal(AddOption(pChoose, pName, 1, 0), CNode::CreateSituation, pMarket);
        AddOption(pSituation, "Up", 0.5, dUp);
        AddOption(pSituation, "Down", 0.5, dDown);
    }
    AddOption(pChoose, "Neither", 1, 0);
    return pRoot;
}

CDecisionRule Rule(const QString &strName, double dTolerance = 0)
{
    CDecisionRule::Kind kind = CDecisionRule::ExpectedValueMaximization;
    CDecisionRule::FromName(strName, &kind);
    CDecisionRule rule(kind);
    rule.SetRiskTolerance(dTolerance);
    return rule;
}

struct Solved
{
    CDecisionTree tree;
    CTreeIndex index;
    CTreeEvaluation evaluation;

    Solved(CNode *pRoot, const CDecisionRule &rule)
        : index((tree.SetRoot(pRoot), pRoot)), evaluation(index, rule)
    {
        CDecisionSolver solver;
        solver.SetRule(rule);
        solver.Solve(pRoot, [](CNode *) {});
    }
};

} // namespace

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void wildcatterUnderEachRule_data();
    void wildcatterUnderEachRule();
    void valueOfInformation_data();
    void valueOfInformation();
    void riskProfiles();
    void analysesByDefinition_data();
    void analysesByDefinition();
    void certaintyEquivalentsOfLargePayoffs_data();
    void certaintyEquivalentsOfLargePayoffs();
    void ruleInTheFile_data();
    void ruleInTheFile();
};

void TestRules::wildcatterUnderEachRule_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("dry");      // the chance of a dry well
    QTest::addColumn<double>("notDrill"); // what not drilling pays
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("choice");
    const QString strMax = "expected-value-maximization";
    const QString strMin = "expected-value-minimization";
    QTest::newRow("expected value") << strMax << 0.0 << 0.5 << 0.0 << 140000.0 << "Drill";
    QTest::newRow("lowest expected") << strMin << 0.0 << 0.5 << 0.0 << 0.0 << "Not drill";
    QTest::newRow("maxi-min: dry at high cost")
        << "maxi-min" << 0.0 << 0.5 << 0.0 << 0.0 << "Not drill";
    QTest::newRow("maxi-max: soaking at low cost")
        << "maxi-max" << 0.0 << 0.5 << 0.0 << 1050000.0 << "Drill";
    QTest::newRow("mini-min") << "mini-min" << 0.0 << 0.5 << 0.0 << -500000.0 << "Drill";
    QTest::newRow("mini-max") << "mini-max" << 0.0 << 0.5 << 0.0 << 0.0 << "Not drill";
    QTest::newRow("risk tolerance 700,000")
        << strMax << 700000.0 << 0.5 << 0.0 << 0.0 << "Not drill";
    // A dry well that cannot happen is no worst case: wet at high cost is.
    QTest::newRow("maxi-min, never dry") << "maxi-min" << 0.0 << 0.0 << 0.0 << 200000.0 << "Drill";
    QTest::newRow("tie under minimisation")
        << strMin << 0.0 << 0.5 << 140000.0 << 140000.0 << "Drill";
}

void TestRules::wildcatterUnderEachRule()
{
    QFETCH(QString, rule);
    QFETCH(double, tolerance);
    QFETCH(double, dry);
    QFETCH(double, notDrill);
    QFETCH(double, value);
    QFETCH(QString, choice);
    CNode *pRoot = Wildcatter(dry);
    pRoot->children[0]->children[1]->payoff = notDrill;
    const Solved solved(pRoot, Rule(rule, tolerance));
    const CNode *pDecision = solved.tree.GetRoot()->children.front();
    QCOMPARE(pDecision->payoff, value);
    QCOMPARE(solved.evaluation.RootValue(), value);
    const int nChosen = solved.evaluation.Chosen(1);
    QCOMPARE(QString::fromStdString(pDecision->children[size_t(nChosen)]->name), choice);
    QVERIFY(pDecision->children[size_t(nChosen)]->active);
    // The certainty equivalent of drilling, and what that strategy is worth
    // on average: the tool tip's expected value and risk premium.
    const double dDrill = solved.evaluation.Value(2);
    if (tolerance > 0) {
        QCOMPARE(qRound(dDrill), -13580);
        QCOMPARE(solved.evaluation.ExpectedValues()[2], 140000.0);
    }
}

void TestRules::valueOfInformation_data()
{
    QTest::addColumn<int>("tree");
    QTest::addColumn<QString>("rule");
    // "name=EVPI" per uncertainty, widest first, then the EVPI of everything.
    QTest::addColumn<QString>("expected");
    QTest::newRow("wildcatter") << 0 << "expected-value-maximization"
                                << "Oil=155000 Cost=10000 *=155000";
    QTest::newRow("one market below two options") << 1 << "expected-value-maximization"
                                                  << "Market=45 *=45";
    // As costs, the ventures' least is losing 20 from B (10 on average)
    // against 0 from neither; knowing the market: -50 when down, else -20.
    QTest::newRow("costs minimised") << 1 << "expected-value-minimization"
                                     << "Market=35 *=35";
    QTest::newRow("two independent markets") << 2 << "expected-value-maximization"
                                             << "Market=30 Market B=7.5 *=35";
    QTest::newRow("maxi-min refused") << 0 << "maxi-min"
                                      << "!worst or best";
    QTest::newRow("copies that differ refused") << 3 << "expected-value-maximization"
                                                << "!\"Market\" (#6 and #7)";
}

void TestRules::valueOfInformation()
{
    QFETCH(int, tree);
    QFETCH(QString, rule);
    QFETCH(QString, expected);
    CNode *pRoot = tree == 0 ? Wildcatter() : Ventures(tree == 2 ? "Market B" : "Market");
    if (tree == 3) {
        CNode *pMarketB = pRoot->children[0]->children[1]->children[0];
        pMarketB->children[0]->probability = 0.4;
        pMarketB->children[1]->probability = 0.6;
    }
    const Solved solved(pRoot, Rule(rule));
    CValueOfInformation information(solved.evaluation);
    if (expected.startsWith('!')) {
        QVERIFY(!information.Run());
        QVERIFY2(information.Error().contains(expected.mid(1)), qPrintable(information.Error()));
        return;
    }
    QVERIFY2(information.Run(), qPrintable(information.Error()));
    QStringList found;
    for (const CValueOfInformation::Uncertainty &uncertainty : information.Uncertainties())
        found << uncertainty.name + '=' + QString::number(uncertainty.evpi);
    QVERIFY(information.HasAll());
    found << "*=" + QString::number(information.AllEvpi());
    QCOMPARE(found.join(' '), expected);
    if (tree == 0)
        QCOMPARE(information.Uncertainties().front().valueWithInformation, 295000.0);
}

void TestRules::riskProfiles()
{
    const Solved wildcatter(Wildcatter(), CDecisionRule());
    CRiskProfile profile(wildcatter.evaluation);
    QVERIFY(profile.Run());
    QCOMPARE(profile.Profiles().size(), size_t(2));
    const CRiskProfile::Profile &drill = profile.Profiles().front();
    QVERIFY(drill.chosen && !profile.Profiles().back().chosen);
    QCOMPARE(drill.outcomes.size(), size_t(9));
    QCOMPARE(drill.mean, 140000.0);
    QCOMPARE(drill.minimum, -500000.0);
    QCOMPARE(drill.maximum, 1050000.0);
    QCOMPARE(drill.probabilityOfLoss, 0.5);
    QCOMPARE(profile.DominanceText(), QStringLiteral("no option dominates another"));

    // B loses 50 either way, one merged outcome; A loses as much or gains,
    // so A dominates B for a maximiser, and B dominates A for a minimiser,
    // who also takes it.
    for (const char *pRule : {"expected-value-maximization", "expected-value-minimization"}) {
        CNode *pRoot = Ventures();
        CNode *pB = pRoot->children[0]->children[1];
        pB->children[0]->children[0]->payoff = -50;
        pB->children[0]->children[1]->payoff = -50;
        CNode *pNeither = pRoot->children[0]->children[2];
        pRoot->children[0]->RemoveChild(pNeither);
        CNode::FreeSubtree(pNeither);
        const Solved ventures(pRoot, Rule(pRule));
        CRiskProfile dominance(ventures.evaluation);
        QVERIFY(dominance.Run());
        const bool bMin = ventures.evaluation.Rule().Minimizes();
        QCOMPARE(dominance.DominanceText(), bMin ? "B dominates A" : "A dominates B");
        QCOMPARE(dominance.Profiles()[bMin ? 1 : 0].chosen, true);
        QCOMPARE(dominance.Profiles()[1].outcomes.size(), size_t(1));
    }
}

void TestRules::analysesByDefinition_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<double>("tolerance");
    for (const QString &strRule : CDecisionRule::Names())
        QTest::newRow(qPrintable(strRule)) << strRule << 0.0;
    QTest::newRow("risk tolerance 8") << "expected-value-maximization" << 8.0;
}

// On random trees of up to 12 nodes, each against its definition worked out
// by brute force over every policy: the rollback under each rule; the risk
// profiles (adding up to 1, the chosen one's mean the rollback); the value
// of information (each Situation's outcome made certain on a copy, at least
// 0 and no more than knowing everything).
void TestRules::analysesByDefinition()
{
    QFETCH(QString, rule);
    QFETCH(double, tolerance);
    std::mt19937 rng(7);
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const double dNear = 1e-9;
    for (int nTrial = 0; nTrial < 300; ++nTrial) {
        CNode *pRoot = TreeOracle::RandomTree(pick, 12);
        const Solved solved(pRoot, Rule(rule, tolerance));
        const CDecisionRule &decisionRule = solved.evaluation.Rule();
        const double dValue = TreeOracle::Value(pRoot, decisionRule);
        QVERIFY2(qAbs(solved.evaluation.RootValue() - dValue) < dNear,
                 qPrintable(QStringLiteral("tree %1: %2 where its definition gives %3")
                                .arg(nTrial)
                                .arg(solved.evaluation.RootValue())
                                .arg(dValue)));
        if (!decisionRule.IsDefault() &&
            decisionRule.GetKind() != CDecisionRule::ExpectedValueMinimization)
            continue;

        CRiskProfile profile(solved.evaluation);
        QVERIFY(profile.Run());
        // Below a Decision at the top, each option's profile has that
        // option's value for its mean.
        const bool bTopDecision = pRoot->children.front()->type == NodeType::Decision;
        for (size_t k = 0; k < profile.Profiles().size(); ++k) {
            const CRiskProfile::Profile &drawn = profile.Profiles()[k];
            double dSum = 0;
            for (const CRiskProfile::Outcome &outcome : drawn.outcomes)
                dSum += outcome.probability;
            QVERIFY(qAbs(dSum - 1) < dNear);
            if (bTopDecision)
                QVERIFY(qAbs(drawn.mean - TreeOracle::Value(pRoot, decisionRule, int(k))) < dNear);
            QVERIFY(!drawn.chosen || !bTopDecision || qAbs(drawn.mean - dValue) < dNear);
        }

        CValueOfInformation information(solved.evaluation);
        QVERIFY2(information.Run(), qPrintable(information.Error()));
        const std::vector<CNode *> nodes = TreeOracle::Nodes(pRoot);
        std::vector<size_t> all;
        for (const CValueOfInformation::Uncertainty &uncertainty : information.Uncertainties()) {
            QCOMPARE(uncertainty.situations.size(), size_t(1));
            const CNode *pSituation = solved.index.Node(uncertainty.situations.front());
            all.push_back(
                size_t(std::find(nodes.begin(), nodes.end(), pSituation) - nodes.begin()));
            QVERIFY(qAbs(uncertainty.valueWithInformation -
                         TreeOracle::ValueKnowing(pRoot, {all.back()}, decisionRule)) < dNear);
            QVERIFY(uncertainty.evpi > -dNear);
            QVERIFY(uncertainty.evpi < information.AllEvpi() + dNear);
        }
        QVERIFY(information.HasAll());
        QVERIFY(qAbs(information.AllValueWithInformation() -
                     TreeOracle::ValueKnowing(pRoot, all, decisionRule)) < dNear);
    }
}

void TestRules::certaintyEquivalentsOfLargePayoffs_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("expected");
    // Half and half, R = 1: CE = low + ln 2 - ln(1 + e^-(high - low)). Unshifted,
    // e^-1000 is 0 and e^2000 infinite.
    QTest::newRow("gains") << 1000.0 << 2000.0 << 1000 + std::log(2.0);
    QTest::newRow("losses") << -2000.0 << -1000.0 << -2000 + std::log(2.0);
    QTest::newRow("close") << 0.0 << 1.0 << std::log(2.0) - std::log1p(std::exp(-1.0));
}

void TestRules::certaintyEquivalentsOfLargePayoffs()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, expected);
    const double probabilities[] = {0.5, 0.5, 0.0};
    const double outcomes[] = {high, low, -1e308};
    QCOMPARE(CRiskAttitude::CertaintyEquivalent(1.0, 3, probabilities, outcomes), expected);
}

void TestRules::ruleInTheFile_data()
{
    QTest::addColumn<QByteArray>("attributes");
    QTest::addColumn<QString>("error");
    QTest::newRow("default") << QByteArray() << QString();
    QTest::newRow("rule") << QByteArray("Rule=\"mini-max\"") << QString();
    QTest::newRow("tolerance") << QByteArray("RiskTolerance=\"700000\"") << QString();
    QTest::newRow("unknown rule") << QByteArray("Rule=\"maximin\"") << "\"maximin\"";
    QTest::newRow("tolerance not a number") << QByteArray("RiskTolerance=\"lots\"") << "\"lots\"";
    QTest::newRow("tolerance of a rule without one")
        << QByteArray("Rule=\"maxi-min\" RiskTolerance=\"5\"") << "maxi-min";
}

void TestRules::ruleInTheFile()
{
    QFETCH(QByteArray, attributes);
    QFETCH(QString, error);
    CDecisionTree tree;
    tree.SetRoot(Wildcatter());
    const QByteArray plain = WriteBytes(tree, "P");
    QByteArray bytes = plain;
    bytes.replace("Version=\"1\"", "Version=\"1\" " + attributes);
    const CProjectFile::ReadResult result = ReadBytes(bytes, tree);
    QCOMPARE(result.Succeeded(), error.isEmpty());
    QVERIFY2(result.Message().contains(error), qPrintable(result.Message()));
    if (!error.isEmpty())
        return;
    // Written back as read; a project that never chose a rule stays as it was.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(CProjectFile::Write(buffer, tree, "P", result.settings, nullptr));
    QCOMPARE(buffer.data(), attributes.isEmpty() ? plain : bytes);
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
