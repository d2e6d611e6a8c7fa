// Times the rollback under each kind of rule, the value of information of
// every uncertainty and the risk profiles on a 10,000-node tree whose
// Situations carry 100 names.
#include "BenchMeasure.h"
#include "BenchTrees.h"
#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CRiskProfile.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CValueOfInformation.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 7;

void Measure(const char *pLabel, const std::function<double()> &fnRun)
{
    BenchMeasure::Measure(pLabel, Runs, fnRun);
}

// Situations of the same number of options share one of about 100 names,
// with options named and weighed alike, so that each name is one uncertainty.
void NameUncertainties(CNode *pRoot)
{
    const CTreeIndex index(pRoot);
    int nSituation = 0;
    for (int n = 0; n < index.Size(); ++n) {
        if (index.Type(n) != NodeType::Situation)
            continue;
        CNode *pSituation = const_cast<CNode *>(index.Node(n));
        const size_t nCount = pSituation->children.size();
        pSituation->name = "U" + std::to_string(nCount) + "-" + std::to_string(nSituation++ % 34);
        for (size_t k = 0; k < nCount; ++k)
            pSituation->children[k]->name = "o" + std::to_string(k);
    }
}

} // namespace

int main()
{
    CDecisionTree tree;
    tree.SetRoot(BenchTrees::MakeRealistic(10000));
    NameUncertainties(tree.GetRoot());
    const CTreeIndex index(tree.GetRoot());
    std::printf("%d nodes\n", index.Size());

    CDecisionRule tolerant;
    tolerant.SetRiskTolerance(1e6);
    const std::pair<const char *, CDecisionRule> rules[] = {
        {"expected-value-maximization", CDecisionRule()},
        {"maxi-min", CDecisionRule(CDecisionRule::MaxiMin)},
        {"expected-value-minimization", CDecisionRule(CDecisionRule::ExpectedValueMinimization)},
        {"risk tolerance 1e6", tolerant}};
    for (const auto &[pName, rule] : rules) {
        CDecisionSolver solver;
        solver.SetRule(rule);
        Measure((std::string("rollback, ") + pName).c_str(), [&] {
            solver.Solve(tree.GetRoot(), [](CNode *) {});
            return tree.GetRoot()->children.front()->payoff;
        });
        Measure((std::string("evaluation, ") + pName).c_str(),
                [&] { return CTreeEvaluation(index, rule).RootValue(); });
    }

    const CTreeEvaluation evaluation(index);
    Measure("every EVPI and everything known", [&] {
        CValueOfInformation information(evaluation);
        information.Run();
        if (!information.Error().isEmpty())
            std::printf("  %s\n", qPrintable(information.Error()));
        return double(information.Uncertainties().size());
    });
    CValueOfInformation information(evaluation);
    information.Run();
    if (!information.HasAll())
        std::printf("  everything known: %s\n", qPrintable(information.AllError()));
    Measure("risk profiles", [&] {
        CRiskProfile profile(evaluation);
        profile.Run();
        return double(profile.Profiles().size());
    });

    // Unnamed Situations are uncertainties of their own, independent of one
    // another, so everything known comes from distributions.
    CDecisionTree unnamed;
    unnamed.SetRoot(BenchTrees::MakeRealistic(10000));
    const CTreeIndex unnamedIndex(unnamed.GetRoot());
    for (int n = 0; n < unnamedIndex.Size(); ++n)
        const_cast<CNode *>(unnamedIndex.Node(n))->name.clear();
    const CTreeEvaluation unnamedEvaluation(unnamedIndex);
    Measure("every EVPI, each Situation its own", [&] {
        CValueOfInformation each(unnamedEvaluation);
        each.Run();
        return each.HasAll() ? each.AllEvpi() : -1.0;
    });
    return 0;
}
