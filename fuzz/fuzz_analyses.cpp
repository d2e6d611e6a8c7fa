// Grows a small tree from the bytes (up to 12 nodes, shapes as the editor
// makes them) and runs every analysis on it under a rule the bytes choose.
// Each answer is checked against its definition, worked out by brute force
// over every policy on changed copies (TreeOracle.h): the rollback; risk
// profiles that add up to 1, the chosen one's mean the rollback; the value
// of information, at least 0 and no more than knowing everything, each the
// value with an outcome made certain; every two-way grid point the value of
// a copy with both inputs set; and a one-way break-even a change of choice.
// Or it gives the options second payoffs and weighs two criteria: the
// league table's best strategy at each weight has the combined value the
// rollback gives there, the one-way analysis of the weight follows it and
// bends only at the frontier's ICERs, and one of a second payoff follows
// the rollback of a changed copy.
#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CLeagueTable.h"
#include "CRiskProfile.h"
#include "CSensitivityAnalysis.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "CValueOfInformation.h"
#include "TreeOracle.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char *pWhy, double dFound, double dExpected)
{
    std::fprintf(stderr, "%s: %.17g where %.17g\n", pWhy, dFound, dExpected);
    std::abort();
}

void Expect(const char *pWhy, double dFound, double dExpected)
{
    if (!(std::fabs(dFound - dExpected) <= 1e-9 * (1 + std::fabs(dExpected))))
        Fail(pWhy, dFound, dExpected);
}

// The option a Decision takes in a copy whose option nOption pays dPayoff.
int ChosenWith(CNode *pRoot, const CTreeIndex &index, int nOption, double dPayoff, int nDecision,
               const CDecisionRule &rule)
{
    CNode *pCopy = pRoot->Clone();
    const std::vector<CNode *> original = TreeOracle::Nodes(pRoot);
    const std::vector<CNode *> copied = TreeOracle::Nodes(pCopy);
    const auto copyOf = [&](int nNode) {
        return copied[size_t(std::find(original.begin(), original.end(), index.Node(nNode)) -
                             original.begin())];
    };
    copyOf(nOption)->payoff = dPayoff;
    CDecisionSolver solver;
    solver.SetRule(rule);
    solver.Solve(pCopy, [](CNode *) {});
    int nChosen = -1;
    for (int n = 0; n < index.Size(); ++n)
        if (index.Parent(n) == nDecision && copyOf(n)->active)
            nChosen = n;
    CNode::FreeSubtree(pCopy);
    return nChosen;
}

// The combined value of a tree by the solver, at the weight of criteria.
double CombinedValue(const CNode *pRoot, const CCriteria &criteria)
{
    CNode *pCopy = pRoot->Clone();
    CDecisionSolver solver;
    solver.SetCriteria(criteria);
    solver.Solve(pCopy, [](CNode *) {});
    const double dValue = pCopy->children.front()->payoff;
    CNode::FreeSubtree(pCopy);
    return dValue;
}

void TwoCriteria(CDecisionTree &tree, const std::function<int(int)> &pick)
{
    CNode *pRoot = tree.GetRoot();
    CCriteria criteria;
    criteria.two = true;
    criteria.maximise[0] = pick(4) != 0;
    criteria.maximise[1] = pick(4) == 0;
    criteria.weight = pick(50);
    for (CNode *pNode : TreeOracle::Nodes(pRoot))
        if (pNode->type == NodeType::Option)
            pNode->payoff2 = 10 * (pick(21) - 10);
    CDecisionRule rule;
    rule.SetCriteria(criteria);
    const CTreeIndex index(pRoot);
    const CTreeEvaluation evaluation(index, rule);
    const double dValue = CombinedValue(pRoot, criteria);
    Expect("a combined rollback", evaluation.RootValue(), dValue);

    CLeagueTable league(criteria);
    const bool bLeague = league.Run(tree).isEmpty() && !league.FirstDecisionOnly();
    const double dHigh = 60;
    CSensitivityAnalysis weight(evaluation);
    if (!weight.Run(-1, CSensitivityAnalysis::Parameter::Weight, 0, dHigh, 6))
        Fail("the one-way analysis of the weight refused", 0, 0);
    for (double dWeight : {0.0, 0.5, 7.0, 13.25, 31.0, dHigh}) {
        CCriteria at = criteria;
        at.weight = dWeight;
        const double dAt = CombinedValue(pRoot, at);
        Expect("the value at a weight", weight.ValueAt(dWeight), dAt);
        if (!bLeague)
            continue;
        double dBest = -CCriteria::Infinite;
        for (const CLeagueTable::Row &row : league.Rows())
            dBest = std::max(dBest, at.Combine(row.strategy.c1, row.strategy.c2));
        Expect("the best strategy's value at a weight", dBest, dAt);
    }
    // Where the Root's value bends, the best strategy changes: a frontier ICER.
    const auto corners = weight.Corners();
    for (size_t c = 1; bLeague && c + 1 < corners.size(); ++c) {
        const double dLeft =
            (corners[c].second - corners[c - 1].second) / (corners[c].first - corners[c - 1].first);
        const double dRight =
            (corners[c + 1].second - corners[c].second) / (corners[c + 1].first - corners[c].first);
        if (std::fabs(dLeft - dRight) <= 1e-9 * (1 + std::fabs(dLeft)))
            continue;
        bool bIcer = false;
        for (const CLeagueTable::Row &row : league.Rows())
            bIcer = bIcer || (row.frontier && std::fabs(row.icer - corners[c].first) <=
                                                  1e-9 * (1 + corners[c].first));
        if (!bIcer)
            Fail("a bend of the value over w that is no frontier ICER", corners[c].first, 0);
    }

    std::vector<int> options;
    for (int n = 0; n < index.Size(); ++n)
        if (index.Type(n) == NodeType::Option)
            options.push_back(n);
    const int nOption = options[size_t(pick(int(options.size())))];
    CSensitivityAnalysis second(evaluation);
    if (!second.Run(nOption, CSensitivityAnalysis::Parameter::SecondPayoff, -200, 200, 4))
        Fail("the one-way analysis of a second payoff refused", 0, 0);
    const std::vector<CNode *> nodes = TreeOracle::Nodes(pRoot);
    const size_t moved =
        size_t(std::find(nodes.begin(), nodes.end(), index.Node(nOption)) - nodes.begin());
    for (const CSensitivityAnalysis::Step &step : second.Steps()) {
        CNode *pCopy = pRoot->Clone();
        TreeOracle::Nodes(pCopy)[moved]->payoff2 = step.parameter;
        const double dExpected = CombinedValue(pCopy, criteria);
        CNode::FreeSubtree(pCopy);
        Expect("a step of a second payoff", step.value, dExpected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    if (nSize < 2)
        return 0;
    size_t nAt = 0;
    const auto pick = [&](int n) { return nAt < nSize ? int(pData[nAt++] % uint8_t(n)) : 0; };
    const int nKind = pick(8);
    CDecisionRule rule(CDecisionRule::Kind(std::min(nKind, 5)));
    if (nKind == 6)
        rule.SetRiskTolerance(1 + pick(20));
    CDecisionTree tree;
    tree.SetRoot(TreeOracle::RandomTree(pick, 12));
    if (nKind == 7) {
        TwoCriteria(tree, pick);
        return 0;
    }
    CNode *pRoot = tree.GetRoot();
    CDecisionSolver solver;
    solver.SetRule(rule);
    solver.Solve(pRoot, [](CNode *) {});
    const CTreeIndex index(pRoot);
    const CTreeEvaluation evaluation(index, rule);
    const double dValue = TreeOracle::Value(pRoot, rule);
    Expect("a rollback", evaluation.RootValue(), dValue);
    Expect("a rollback in the tree", pRoot->children.front()->payoff, dValue);
    if (!rule.Expects() || rule.HasRiskTolerance())
        return 0;

    CRiskProfile profile(evaluation);
    if (!profile.Run())
        Fail("a risk profile refused", 0, 0);
    // Below a Decision at the top, each option's profile has that option's
    // value for its mean.
    const bool bTopDecision = pRoot->children.front()->type == NodeType::Decision;
    for (size_t k = 0; k < profile.Profiles().size(); ++k) {
        const CRiskProfile::Profile &drawn = profile.Profiles()[k];
        double dSum = 0;
        for (const CRiskProfile::Outcome &outcome : drawn.outcomes)
            dSum += outcome.probability;
        Expect("a risk profile's probabilities", dSum, 1);
        if (bTopDecision) {
            Expect("a risk profile's mean", drawn.mean, TreeOracle::Value(pRoot, rule, int(k)));
            if (drawn.chosen)
                Expect("the chosen risk profile's mean", drawn.mean, dValue);
        }
    }

    CValueOfInformation information(evaluation);
    if (!information.Run() || !information.HasAll())
        Fail("the value of information refused", 0, 0);
    const std::vector<CNode *> nodes = TreeOracle::Nodes(pRoot);
    std::vector<size_t> all;
    for (const CValueOfInformation::Uncertainty &uncertainty : information.Uncertainties()) {
        const CNode *pSituation = index.Node(uncertainty.situations.front());
        all.push_back(size_t(std::find(nodes.begin(), nodes.end(), pSituation) - nodes.begin()));
        Expect("a value with information", uncertainty.valueWithInformation,
               TreeOracle::ValueKnowing(pRoot, {all.back()}, rule));
        if (uncertainty.evpi < -1e-9 || uncertainty.evpi > information.AllEvpi() + 1e-9)
            Fail("a value of information out of bounds", uncertainty.evpi, information.AllEvpi());
    }
    Expect("the value knowing everything", information.AllValueWithInformation(),
           TreeOracle::ValueKnowing(pRoot, all, rule));

    std::vector<int> options;
    for (int n = 0; n < index.Size(); ++n)
        if (index.Type(n) == NodeType::Option)
            options.push_back(n);
    const int nX = options[size_t(pick(int(options.size())))];
    const int nY = options[size_t(pick(int(options.size())))];
    const double dSpan = 1 + pick(30);
    CTwoWayAnalysis twoWay(tree, rule);
    if (nX != nY &&
        twoWay.Run({nX, "", CSensitivityAnalysis::Parameter::Payoff, -dSpan, dSpan},
                   {nY, "", CSensitivityAnalysis::Parameter::Payoff, -dSpan / 2, dSpan}, 3)) {
        for (const CTwoWayAnalysis::Point &point : twoWay.Grid()) {
            CNode *pCopy = pRoot->Clone();
            const std::vector<CNode *> copied = TreeOracle::Nodes(pCopy);
            for (const auto &[nOption, dPayoff] : {std::pair{nX, point.x}, {nY, point.y}})
                copied[size_t(std::find(nodes.begin(), nodes.end(), index.Node(nOption)) -
                              nodes.begin())]
                    ->payoff = dPayoff;
            const double dExpected = TreeOracle::Value(pCopy, rule);
            CNode::FreeSubtree(pCopy);
            Expect("a two-way grid point", point.value, dExpected);
        }
    }

    CSensitivityAnalysis oneWay(evaluation);
    if (oneWay.Run(nX, CSensitivityAnalysis::Parameter::Payoff, -dSpan, dSpan, 4))
        for (const CSensitivityAnalysis::BreakEven &found : oneWay.BreakEvens()) {
            const double dNear = 1e-6;
            if (ChosenWith(pRoot, index, nX, found.parameter - dNear, found.decision, rule) !=
                    found.below ||
                ChosenWith(pRoot, index, nX, found.parameter + dNear, found.decision, rule) !=
                    found.above)
                Fail("a break-even where the choice does not change", found.parameter, 0);
        }
    return 0;
}
