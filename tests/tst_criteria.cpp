#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CLeagueTable.h"
#include "CNode.h"
#include "CPeerJsonWriter.h"
#include "CProbabilisticSensitivity.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CSensitivityAnalysis.h"
#include "CTornado.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "CVariableSensitivity.h"
#include "SubtreeWalk.h"

#include <QRandomGenerator>

#include <QBuffer>
#include <QtTest>

#include <cmath>

// Two criteria: the rollback by the combined value, the league table's
// dominance, the files that carry both, and the analyses of one value that
// follow the combined value and the weight.
class TestCriteria : public QObject
{
    Q_OBJECT

private slots:
    void leagueTableRemovesExtendedDominanceUntilNoneIsLeft();
    void leagueTableReportsTies();
    void rollbackChoosesByCombinedValue_data();
    void rollbackChoosesByCombinedValue();
    void filesKeepBothCriteria_data();
    void filesKeepBothCriteria();
    void leagueTableOfATree();
    void weightBreakEvensAreTheFrontiersIcers_data();
    void weightBreakEvensAreTheFrontiersIcers();
    void weightBreakEvensOfRandomTrees();
    void payoffAnalysesFollowTheCombinedValue();
    void secondPayoffFormulaMovesWithItsVariable();
    void simulationDrawsSecondPayoffs();
};

namespace {

using Strategies = std::vector<std::pair<double, double>>;

CCriteria EffectAndCost(double dWeight)
{
    CCriteria criteria;
    criteria.two = true;
    criteria.names[0] = QStringLiteral("Effect");
    criteria.names[1] = QStringLiteral("Cost");
    criteria.maximise[0] = true;
    criteria.maximise[1] = false;
    criteria.weight = dWeight;
    return criteria;
}

// A Decision among options, each with an effect and a cost, the last
// leading to a Situation of two outcomes.
CNode *ScreeningTree()
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Screening");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Programme");
    const auto option = [&](const char *pName, double dEffect, double dCost) {
        CNode *pOption = CNode::CreateOption(pDecision, pName);
        pOption->payoff = dEffect;
        pOption->payoff2 = dCost;
        return pOption;
    };
    CNode::CreateTerminal(option("None", 0, 0), "");
    CNode::CreateTerminal(option("Annual", 1, 12000), "");
    CNode *pSituation = CNode::CreateSituation(option("Biennial", 0, 4000), "Found");
    CNode *pEarly = CNode::CreateOption(pSituation, "Early");
    pEarly->probability = 0.25;
    pEarly->payoff = 1.5;
    pEarly->payoff2 = 12000;
    CNode::CreateTerminal(pEarly, "");
    CNode *pLate = CNode::CreateOption(pSituation, "Late");
    pLate->probability = 0.75;
    pLate->payoff = 0.5;
    pLate->payoff2 = 2000;
    CNode::CreateTerminal(pLate, "");
    return pRoot;
}

// The screening tree in pTree with Annual's cost the variable c, at 12,000
// or drawn from strDistribution.
void ScreeningWithCostVariable(CDecisionTree *pTree, const std::string &strDistribution)
{
    pTree->SetRoot(ScreeningTree());
    CVariables::Variable cost;
    cost.name = "c";
    cost.value = 12000;
    cost.distribution = strDistribution;
    pTree->Variables().Add(cost);
    const CTreeIndex index(pTree->GetRoot());
    const_cast<CNode *>(index.Node(index.OptionsNamed("Annual").front()))->payoff2Formula = "c";
}

// One Decision among options of the given (effect, cost), each ending there.
CNode *StrategiesTree(const Strategies &strategies)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Strategies");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Choice");
    for (size_t s = 0; s < strategies.size(); ++s) {
        CNode *pOption = CNode::CreateOption(pDecision, std::string(1, char('A' + s)));
        pOption->payoff = strategies[s].first;
        pOption->payoff2 = strategies[s].second;
        CNode::CreateTerminal(pOption, "");
    }
    return pRoot;
}

// A Decision whose options lead to Terminals, Situations and Decisions
// below, two levels deep, with effects in tenths and costs in thousands.
CNode *RandomTree(QRandomGenerator &random)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Random");
    const auto option = [&random](CNode *pOwner) {
        CNode *pOption = CNode::CreateOption(pOwner, "o" + std::to_string(pOwner->children.size()));
        pOption->payoff = random.bounded(11) / 10.0;
        pOption->payoff2 = 1000.0 * random.bounded(21);
        return pOption;
    };
    std::vector<std::pair<CNode *, int>> open{{CNode::CreateDecision(pRoot, "D"), 2}};
    while (!open.empty()) {
        auto [pOwner, nLevels] = open.back();
        open.pop_back();
        const bool bSituation = pOwner->type == NodeType::Situation;
        const int nOptions = bSituation ? 2 : 2 + int(random.bounded(3));
        for (int o = 0; o < nOptions; ++o) {
            CNode *pOption = option(pOwner);
            if (bSituation)
                pOption->probability = o == 0 ? 0.25 : 0.75;
            const int nBelow = nLevels > 0 ? int(random.bounded(3)) : 0;
            if (nBelow == 0)
                CNode::CreateTerminal(pOption, "");
            else
                open.emplace_back(nBelow == 1 ? CNode::CreateSituation(pOption, "S")
                                              : CNode::CreateDecision(pOption, "D"),
                                  nLevels - 1);
        }
    }
    return pRoot;
}

// The tree's value by the project's own rollback, independent of the
// analyses' evaluation.
double RolledBack(const CNode *pRoot, const CCriteria &criteria)
{
    CProjectDocument document;
    CProjectSettings settings;
    settings.criteria = criteria;
    document.SetSettings(settings);
    document.ReplaceTree(pRoot->Clone());
    return document.GetRoot()->children.front()->payoff;
}

std::vector<const CNode *> Attached(const CNode *pRoot)
{
    std::vector<const CNode *> nodes;
    WalkSubtree(pRoot, [&nodes](const CNode *pNode) { nodes.push_back(pNode); });
    return nodes;
}

} // namespace

void TestCriteria::leagueTableRemovesExtendedDominanceUntilNoneIsLeft()
{
    // By (cost, effect): A (0, 0), B (10,000, 0.5), C (20,000, 0.9),
    // D (22,000, 1.2), E (15,000, 0.4). E costs more than B and does less:
    // dominated. C against its neighbours: ICER C/B = 10,000 / 0.4 = 25,000
    // above D/C = 2,000 / 0.3 = 6,667, so C goes. Then D against B is
    // 12,000 / 0.7 = 17,143, below B's own 10,000 / 0.5 = 20,000: B goes too.
    // The frontier is A, D with 22,000 / 1.2 = 18,333.33; A is best for w up
    // to it, D above. One pass over neighbours would keep B.
    CLeagueTable table(EffectAndCost(20000));
    QCOMPARE(table.Compute({{"A", 0, 0},
                            {"B", 0.5, 10000},
                            {"C", 0.9, 20000},
                            {"D", 1.2, 22000},
                            {"E", 0.4, 15000}}),
             QString());
    QStringList order;
    for (const CLeagueTable::Row &row : table.Rows())
        order << row.strategy.name;
    QCOMPARE(order, QStringList({"A", "B", "E", "C", "D"}));
    const auto &rows = table.Rows();
    QCOMPARE(table.Names(rows[2].dominatedBy), QStringLiteral("B"));
    QCOMPARE(table.Names(rows[1].extendedDominatedBy), QStringLiteral("A, D"));
    QCOMPARE(table.Names(rows[3].extendedDominatedBy), QStringLiteral("A, D"));
    QVERIFY(rows[0].frontier && rows[4].frontier);
    QVERIFY(!rows[1].frontier && !rows[2].frontier && !rows[3].frontier);
    QCOMPARE(rows[4].icer, 22000 / 1.2);
    QCOMPARE(rows[4].incrementalC2, 22000.0);
    QCOMPARE(rows[0].weightFrom, 0.0);
    QCOMPARE(rows[0].weightTo, 22000 / 1.2);
    QCOMPARE(rows[4].weightTo, CCriteria::Infinite);
    // At w = 20,000 D's net benefit 24,000 - 22,000 beats A's 0.
    QVERIFY(!rows[0].best && rows[4].best);
}

void TestCriteria::leagueTableReportsTies()
{
    // Two strategies of the same cost and effect are both on the frontier,
    // each naming the other; neither is hidden.
    CLeagueTable table(EffectAndCost(1e9));
    QCOMPARE(table.Compute({{"A", 0, 0}, {"B", 1, 100}, {"B'", 1, 100}}), QString());
    const auto &rows = table.Rows();
    QVERIFY(rows[1].frontier && rows[2].frontier);
    QCOMPARE(table.Names(rows[1].tiedWith), QStringLiteral("B'"));
    QCOMPARE(table.Names(rows[2].tiedWith), QStringLiteral("B"));
    QVERIFY(rows[1].best && rows[2].best);
    QCOMPARE(rows[2].icer, 100.0);
}

void TestCriteria::rollbackChoosesByCombinedValue_data()
{
    QTest::addColumn<double>("weight");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<double>("value");
    // Expected criteria: None (0, 0), Annual (1, 12,000), Biennial
    // (0.25 × 1.5 + 0.75 × 0.5 = 0.75, 4,000 + 0.25 × 12,000 + 0.75 × 2,000
    // = 8,500). The combined value is the net benefit w × effect - cost.
    // w 10,000: Biennial -1,000, Annual -2,000: none is best.
    QTest::newRow("w 10,000: none") << 10000.0 << "None" << 0.0;
    // w 12,000: Biennial 9,000 - 8,500 = 500, Annual 0.
    QTest::newRow("w 12,000: biennial") << 12000.0 << "Biennial" << 500.0;
    // w 14,000: both 2,000 (exact in binary): a tie keeps the earlier.
    QTest::newRow("w 14,000: a tie keeps the first") << 14000.0 << "Annual" << 2000.0;
    // Criterion 1 first: Annual has the most effect; the value is the effect.
    QTest::newRow("w infinite") << CCriteria::Infinite << "Annual" << 1.0;
}

void TestCriteria::rollbackChoosesByCombinedValue()
{
    QFETCH(double, weight);
    QFETCH(QString, chosen);
    QFETCH(double, value);
    CProjectDocument document;
    CProjectSettings settings;
    settings.criteria = EffectAndCost(weight);
    document.SetSettings(settings);
    document.ReplaceTree(ScreeningTree());
    const CNode *pDecision = document.GetRoot()->children.front();
    QString strChosen;
    for (const CNode *pOption : pDecision->children)
        if (pOption->active)
            strChosen += QString::fromStdString(pOption->name);
    QCOMPARE(strChosen, chosen);
    QCOMPARE(pDecision->payoff, value);
    const CNode *pSituation = pDecision->children[2]->children.front();
    QCOMPARE(pSituation->expected1, 0.75);
    QCOMPARE(pSituation->expected2, 8500.0);
}

void TestCriteria::filesKeepBothCriteria_data()
{
    QTest::addColumn<bool>("peer");
    QTest::addColumn<bool>("maximise2");
    QTest::addColumn<double>("weight");
    QTest::newRow("project file, max-min") << false << false << 25000.0;
    QTest::newRow("project file, infinite weight") << false << true << CCriteria::Infinite;
    QTest::newRow("SilverDecisions, max-min") << true << false << 25000.0;
    QTest::newRow("SilverDecisions, max-max, infinite") << true << true << CCriteria::Infinite;
}

void TestCriteria::filesKeepBothCriteria()
{
    // Written and read back, a project of two criteria has the same
    // criteria, the same second payoffs and formulas, the same choices and
    // values, and writes the very same bytes again.
    QFETCH(bool, peer);
    QFETCH(bool, maximise2);
    QFETCH(double, weight);
    CProjectSettings settings;
    settings.criteria = EffectAndCost(weight);
    settings.criteria.maximise[1] = maximise2;
    settings.criteria.units[1] = peer ? QString() : QStringLiteral("$");
    settings.criteria.weightUpper = peer ? 1e6 : CCriteria::Infinite;
    CProjectDocument document;
    document.SetSettings(settings);
    document.ReplaceTree(ScreeningTree());
    CVariables variables;
    variables.Add({"screenCost", 4000, "", false, 0, false, 0, ""});
    document.SetVariables(variables);
    CNode *pBiennial = document.GetRoot()->children.front()->children[2];
    document.SetPayoff2(pBiennial, 4000, "screenCost");
    const auto write = [peer](const CProjectDocument &from) {
        if (peer)
            return CPeerJsonWriter::Write(from.GetTree(), from.GetProjectName(), from.GetSettings(),
                                          nullptr);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QString strError;
        from.Write(buffer, &strError);
        return buffer.data();
    };
    const QByteArray bytes = write(document);
    QVERIFY(!bytes.isEmpty());
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    CProjectDocument read;
    QVERIFY(read.Read(in).Succeeded());
    QVERIFY(read.GetSettings().criteria == document.GetSettings().criteria);
    const std::vector<const CNode *> before = Attached(document.GetRoot());
    const std::vector<const CNode *> after = Attached(read.GetRoot());
    QCOMPARE(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        QCOMPARE(after[i]->payoff2, before[i]->payoff2);
        QCOMPARE(after[i]->payoff2Formula, before[i]->payoff2Formula);
        QCOMPARE(after[i]->payoff, before[i]->payoff);
        QCOMPARE(after[i]->expected2, before[i]->expected2);
        QCOMPARE(after[i]->active, before[i]->active);
    }
    QCOMPARE(write(read), bytes);
}

void TestCriteria::leagueTableOfATree()
{
    // The tree's three strategies with their expected criteria, by cost:
    // None (0, 0), Biennial (0.75, 8,500), Annual (1, 12,000). ICERs
    // 8,500 / 0.75 = 11,333.33, then 3,500 / 0.25 = 14,000: both on the
    // frontier, Biennial best at w 12,000.
    CDecisionTree tree;
    tree.SetRoot(ScreeningTree());
    CLeagueTable table(EffectAndCost(12000));
    QCOMPARE(table.Run(tree), QString());
    QCOMPARE(int(table.Rows().size()), 3);
    const auto &rows = table.Rows();
    QCOMPARE(rows[1].strategy.name, QStringLiteral("Biennial"));
    QCOMPARE(rows[1].icer, 8500 / 0.75);
    QCOMPARE(rows[2].icer, 14000.0);
    QVERIFY(rows[1].best && !rows[2].best);
}

void TestCriteria::weightBreakEvensAreTheFrontiersIcers_data()
{
    QTest::addColumn<Strategies>("strategies");
    QTest::addColumn<std::vector<double>>("breakEvens");
    QTest::addColumn<QString>("below");
    QTest::addColumn<QString>("above");
    // The five strategies by (effect, cost) of the league table's own case:
    // its frontier is A then D, ICER 22,000 / 1.2 = 18,333.33, so the weight
    // changes the choice once, from A to D, and nowhere else (B, C, E are
    // never best at any w).
    QTest::newRow("five strategies")
        << Strategies{{0, 0}, {0.5, 10000}, {0.9, 20000}, {1.2, 22000}, {0.4, 15000}}
        << std::vector<double>{22000 / 1.2} << "A"
        << "D";
    // None (0, 0), Annual (1, 12,000), Biennial as one option (0.75,
    // 8,500): ICERs 8,500 / 0.75 = 11,333.33 and 3,500 / 0.25 = 14,000.
    QTest::newRow("screening, flattened") << Strategies{{0, 0}, {1, 12000}, {0.75, 8500}}
                                          << std::vector<double>{8500 / 0.75, 14000} << "A"
                                          << "B";
}

void TestCriteria::weightBreakEvensAreTheFrontiersIcers()
{
    QFETCH(Strategies, strategies);
    QFETCH(std::vector<double>, breakEvens);
    QFETCH(QString, below);
    QFETCH(QString, above);
    CDecisionTree tree;
    tree.SetRoot(StrategiesTree(strategies));
    CProjectSettings settings;
    settings.criteria = EffectAndCost(20000);
    const CTreeIndex index(tree.GetRoot());
    const CTreeEvaluation evaluation(index, settings.AnalysisRule());
    CSensitivityAnalysis analysis(evaluation);
    QVERIFY2(analysis.Run(-1, CSensitivityAnalysis::Parameter::Weight, 0, 100000),
             qPrintable(analysis.Error()));
    const auto &found = analysis.BreakEvens();
    QCOMPARE(int(found.size()), int(breakEvens.size()));
    for (size_t b = 0; b < found.size(); ++b)
        QCOMPARE(found[b].parameter, breakEvens[b]);
    const auto name = [&index](int n) { return QString::fromStdString(index.Node(n)->name); };
    QCOMPARE(name(found.front().below), below);
    QCOMPARE(name(found.back().above), above);
    // The league table's frontier ICERs are the same numbers.
    CLeagueTable table(settings.criteria);
    QCOMPARE(table.Run(tree), QString());
    std::vector<double> icers;
    for (const CLeagueTable::Row &row : table.Rows())
        if (row.frontier && !std::isnan(row.icer))
            icers.push_back(row.icer);
    QCOMPARE(icers, breakEvens);
}

void TestCriteria::weightBreakEvensOfRandomTrees()
{
    // The Root's value over w is the best strategy's combined value at each
    // w, so it bends exactly at the frontier's ICERs, and at the weight of
    // the project it is what the rollback gives.
    QRandomGenerator random(33);
    const double dHigh = 60000;
    for (int t = 0; t < 60; ++t) {
        CDecisionTree tree;
        tree.SetRoot(RandomTree(random));
        const CCriteria criteria = EffectAndCost(1000.0 * random.bounded(40));
        CProjectSettings settings;
        settings.criteria = criteria;
        const CTreeIndex index(tree.GetRoot());
        const CTreeEvaluation evaluation(index, settings.AnalysisRule());
        CSensitivityAnalysis analysis(evaluation);
        QVERIFY2(analysis.Run(-1, CSensitivityAnalysis::Parameter::Weight, 0, dHigh),
                 qPrintable(analysis.Error()));
        CLeagueTable table(criteria);
        QCOMPARE(table.Run(tree), QString());
        std::vector<double> icers;
        for (const CLeagueTable::Row &row : table.Rows())
            if (row.frontier && row.icer > 0 && row.icer < dHigh &&
                (icers.empty() || row.icer != icers.back()))
                icers.push_back(row.icer);
        // Strategies with the very same line meet without a bend.
        std::vector<double> bends;
        const auto corners = analysis.Corners();
        const auto slope = [&corners](size_t c) {
            return (corners[c + 1].second - corners[c].second) /
                   (corners[c + 1].first - corners[c].first);
        };
        for (size_t c = 1; c + 1 < corners.size(); ++c)
            if (std::fabs(slope(c) - slope(c - 1)) > 1e-9)
                bends.push_back(corners[c].first);
        QCOMPARE(int(bends.size()), int(icers.size()));
        for (size_t b = 0; b < bends.size(); ++b)
            QVERIFY2(std::fabs(bends[b] - icers[b]) <= 1e-9 * icers[b],
                     qPrintable(QStringLiteral("tree %1: bend at %2, ICER %3")
                                    .arg(t)
                                    .arg(bends[b], 0, 'g', 17)
                                    .arg(icers[b], 0, 'g', 17)));
        for (double dWeight : {0.0, 7000.0, 18500.0, dHigh}) {
            double dBest = -CCriteria::Infinite;
            for (const CLeagueTable::Row &row : table.Rows())
                dBest =
                    std::max(dBest, criteria.CombineAt(dWeight, row.strategy.c1, row.strategy.c2));
            QVERIFY(std::fabs(analysis.ValueAt(dWeight) - dBest) <= 1e-6);
        }
        QVERIFY(std::fabs(analysis.ValueAt(criteria.weight) -
                          RolledBack(tree.GetRoot(), criteria)) <= 1e-6);
    }
}

void TestCriteria::payoffAnalysesFollowTheCombinedValue()
{
    // Every payoff, second payoff and probability of the screening tree,
    // moved by the one-way analysis and by the tornado, against the
    // rollback of a copy with that number changed.
    const CCriteria criteria = EffectAndCost(12000);
    CProjectSettings settings;
    settings.criteria = criteria;
    CDecisionTree tree;
    tree.SetRoot(ScreeningTree());
    const CTreeIndex index(tree.GetRoot());
    const CTreeEvaluation evaluation(index, settings.AnalysisRule());
    QCOMPARE(evaluation.RootValue(), 500.0);
    using Parameter = CSensitivityAnalysis::Parameter;
    const auto withParameter = [&](int nOption, Parameter kind, double dValue) {
        if (kind == Parameter::Weight) {
            CCriteria at = criteria;
            at.weight = dValue;
            return RolledBack(tree.GetRoot(), at);
        }
        CDecisionTree copy;
        copy.SetRoot(tree.GetRoot()->Clone());
        const CTreeIndex copyIndex(copy.GetRoot());
        CNode *pOption = const_cast<CNode *>(copyIndex.Node(nOption));
        if (kind == Parameter::Probability) {
            const int nSituation = copyIndex.Parent(nOption);
            const int nFirst = copyIndex.FirstChild(nSituation);
            const std::vector<double> moved = CSensitivityAnalysis::MovedProbabilities(
                CTreeEvaluation(copyIndex).Probabilities(nSituation), nOption - nFirst, dValue);
            for (size_t j = 0; j < moved.size(); ++j)
                const_cast<CNode *>(copyIndex.Node(nFirst + int(j)))->probability = moved[j];
        } else {
            (kind == Parameter::Payoff ? pOption->payoff : pOption->payoff2) = dValue;
        }
        return RolledBack(copy.GetRoot(), criteria);
    };
    for (int n = 0; n < index.Size(); ++n) {
        if (index.Type(n) != NodeType::Option)
            continue;
        for (Parameter kind :
             {Parameter::Payoff, Parameter::SecondPayoff, Parameter::Probability}) {
            if (kind == Parameter::Probability &&
                index.Type(index.Parent(n)) != NodeType::Situation)
                continue;
            const bool bProbability = kind == Parameter::Probability;
            const double dLow = bProbability ? 0.0 : -20000;
            const double dHigh = bProbability ? 1.0 : 20000;
            CSensitivityAnalysis analysis(evaluation);
            QVERIFY2(analysis.Run(n, kind, dLow, dHigh, 16), qPrintable(analysis.Error()));
            for (const CSensitivityAnalysis::Step &step : analysis.Steps())
                QVERIFY2(std::fabs(step.value - withParameter(n, kind, step.parameter)) <= 1e-6,
                         qPrintable(index.Describe(n) + CSensitivityAnalysis::KindName(kind)));
        }
    }
    // Annual's effect e: 12,000 e - 12,000 against Biennial's 500 at 12,500 /
    // 12,000; its cost c: 12,000 - c against 500 at 11,500.
    const int nAnnual = index.OptionsNamed("Annual").front();
    CSensitivityAnalysis effect(evaluation);
    QVERIFY(effect.Run(nAnnual, Parameter::Payoff, 0, 2));
    QCOMPARE(int(effect.BreakEvens().size()), 1);
    QCOMPARE(effect.BreakEvens().front().parameter, 12500.0 / 12000.0);
    CSensitivityAnalysis cost(evaluation);
    QVERIFY(cost.Run(nAnnual, Parameter::SecondPayoff, 0, 20000));
    QCOMPARE(int(cost.BreakEvens().size()), 1);
    QCOMPARE(cost.BreakEvens().front().parameter, 11500.0);

    CTornado tornado(evaluation);
    QVERIFY(tornado.Run(50));
    int nSecond = 0;
    int nWeight = 0;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        nSecond += bar.kind == Parameter::SecondPayoff;
        nWeight += bar.kind == Parameter::Weight;
        QVERIFY(std::fabs(bar.valueLow - withParameter(bar.option, bar.kind, bar.low)) <= 1e-6);
        QVERIFY(std::fabs(bar.valueHigh - withParameter(bar.option, bar.kind, bar.high)) <= 1e-6);
    }
    QVERIFY(nSecond > 0 && nWeight == 1);

    // The two-way map of Annual's cost and the weight, point by point.
    CTwoWayAnalysis twoWay(tree, settings.AnalysisRule());
    QVERIFY2(twoWay.Run({nAnnual, "", Parameter::SecondPayoff, 5000, 15000},
                        {-1, "", Parameter::Weight, 8000, 20000}, 4),
             qPrintable(twoWay.Error()));
    for (const CTwoWayAnalysis::Point &point : twoWay.Grid()) {
        CDecisionTree copy;
        copy.SetRoot(tree.GetRoot()->Clone());
        const CTreeIndex copyIndex(copy.GetRoot());
        const_cast<CNode *>(copyIndex.Node(nAnnual))->payoff2 = point.x;
        CCriteria at = criteria;
        at.weight = point.y;
        QVERIFY(std::fabs(point.value - RolledBack(copy.GetRoot(), at)) <= 1e-6);
    }
}

void TestCriteria::secondPayoffFormulaMovesWithItsVariable()
{
    // Annual's cost is the variable c: 12,000 e - c against Biennial's 500
    // changes at c = 11,500, as the second payoff itself does.
    CDecisionTree tree;
    ScreeningWithCostVariable(&tree, std::string());
    CProjectSettings settings;
    settings.criteria = EffectAndCost(12000);
    CVariableSensitivity analysis(tree, settings.AnalysisRule());
    QVERIFY2(analysis.Run("c", 0, 20000), qPrintable(analysis.Error()));
    QCOMPARE(int(analysis.BreakEvens().size()), 1);
    QVERIFY(std::fabs(analysis.BreakEvens().front().parameter - 11500) <= 1e-6);
    QCOMPARE(analysis.CurrentValue(), 500.0);
}

void TestCriteria::simulationDrawsSecondPayoffs()
{
    // Annual's cost is drawn: each iteration's value and each strategy's is
    // the combined value of the tree with c at its draw.
    CDecisionTree tree;
    ScreeningWithCostVariable(&tree, "Uniform(8000, 16000)");
    const CCriteria criteria = EffectAndCost(12000);
    CProjectSettings settings;
    settings.criteria = criteria;
    CProbabilisticSensitivity psa;
    QCOMPARE(psa.Prepare(tree, settings.AnalysisRule()), QString());
    CProbabilisticSensitivity::Settings run;
    run.iterations = 40;
    run.keepDraws = true;
    run.threads = 1;
    QVERIFY(psa.Run(run));
    QCOMPARE(psa.Failed(), 0);
    QCOMPARE(psa.StrategyCount(), 3);
    for (int64_t i = 0; i < run.iterations; ++i) {
        const double dCost = psa.Drawn(i, 0);
        // None 0, Annual 12,000 - c, Biennial 500.
        QVERIFY(std::fabs(psa.Value(i, 1) - (12000 - dCost)) <= 1e-6);
        QCOMPARE(psa.Value(i, 2), 500.0);
        QVERIFY(std::fabs(psa.Root(i) - std::max(500.0, 12000 - dCost)) <= 1e-6);
        QCOMPARE(psa.Criterion(i, 1, 1), dCost);
    }
    // Each strategy's expected criteria: None (0, 0), Annual (1, c),
    // Biennial (0.75, 8,500); at each w the best by w × effect - cost.
    QCOMPARE(psa.MeanCriterion(1, 0), 1.0);
    QCOMPARE(psa.MeanCriterion(2, 0), 0.75);
    QCOMPARE(psa.MeanCriterion(2, 1), 8500.0);
    for (double dWeight : {0.0, 9000.0, 11000.0, 14000.0, 30000.0}) {
        std::vector<double> wins(3, 0.0);
        std::vector<double> sums(3, 0.0);
        double dBestSum = 0.0;
        for (int64_t i = 0; i < run.iterations; ++i) {
            const double values[] = {0.0, dWeight - psa.Drawn(i, 0), 0.75 * dWeight - 8500};
            const int nBest = int(std::max_element(values, values + 3) - values);
            wins[size_t(nBest)] += 1.0 / double(run.iterations);
            for (int s = 0; s < 3; ++s)
                sums[size_t(s)] += values[s] / double(run.iterations);
            dBestSum += values[nBest] / double(run.iterations);
        }
        const std::vector<double> shares = psa.Acceptability(dWeight);
        for (int s = 0; s < 3; ++s)
            QVERIFY(std::fabs(shares[size_t(s)] - wins[size_t(s)]) <= 1e-9);
        QVERIFY(std::fabs(psa.EvpiAt(dWeight) -
                          (dBestSum - *std::max_element(sums.begin(), sums.end()))) <= 1e-6);
    }
}

QTEST_GUILESS_MAIN(TestCriteria)
#include "tst_criteria.moc"
