// The probabilistic sensitivity analysis: 10,000 iterations of a
// 10,000-node tree whose 5,000 payoffs are formulas over 50 uncertain
// variables, on two threads; and 1,000 iterations of the oil wildcatter.
#include "BenchMeasure.h"
#include "CProbabilisticSensitivity.h"
#include "CProjectFile.h"
#include "ExampleTrees.h"

#include <cstdio>
#include <ctime>
#include <string>

using ExampleTrees::AddOption;
using ExampleTrees::ReplaceTerminal;

namespace {

constexpr int Variables = 50;
constexpr int Options = 1248; // per Situation, four Situations: about 10,000 nodes

void Build(CDecisionTree &tree)
{
    for (int v = 0; v < Variables; ++v) {
        CVariables::Variable variable;
        variable.name = "v" + std::to_string(v);
        variable.value = 100;
        variable.distribution = v % 2 ? "Normal(100, 10)" : "Triangular(80, 130, 100)";
        tree.Variables().Add(variable);
    }
    CNode *pRoot = CNode::CreateRoot(nullptr, "Large");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Which?");
    int nFormula = 0;
    for (int d = 0; d < 4; ++d) {
        CNode *pSituation = ReplaceTerminal(AddOption(pDecision, "Plan " + std::to_string(d), 1, 0),
                                            CNode::CreateSituation, "Market");
        for (int o = 0; o < Options; ++o, ++nFormula) {
            CNode *pOption = AddOption(pSituation, "o", 1.0 / Options, 0);
            pOption->payoffFormula = "v" + std::to_string(nFormula % Variables) + " * " +
                                     std::to_string(1 + d % 3) + " - v" +
                                     std::to_string((nFormula * 7 + d) % Variables);
        }
    }
    tree.SetRoot(pRoot);
    tree.ApplyFormulas();
}

double RunOnce(const CDecisionTree &tree, int64_t nIterations, int nThreads)
{
    CProbabilisticSensitivity psa;
    const QString strProblem = psa.Prepare(tree, CDecisionRule());
    if (!strProblem.isEmpty()) {
        std::printf("cannot run: %s\n", qPrintable(strProblem));
        return 0.0;
    }
    psa.Run({nIterations, 1, false, 0.0, nThreads, false});
    return psa.RootSummary().mean;
}

} // namespace

int main()
{
    CDecisionTree large;
    Build(large);
    std::printf("Probabilistic sensitivity analysis\n");
    // The machine is shared, so the processor time of all threads is shown
    // too: divided by two it is what two idle cores would take.
    const std::clock_t start = std::clock();
    BenchMeasure::Measure("10,000 nodes, 10,000 iterations, 2 threads", 3,
                          [&] { return RunOnce(large, 10000, 2); });
    std::printf("  %-50s %9.3f s per run\n", "processor time of all threads",
                double(std::clock() - start) / CLOCKS_PER_SEC / 3);
    BenchMeasure::Measure("10,000 nodes, 1,000 iterations, 1 thread", 3,
                          [&] { return RunOnce(large, 1000, 1); });

    CDecisionTree oil;
    CProjectFile::Read(QStringLiteral(RAMIFY_EXAMPLES_DIR "/OilVariables.rmproj"), oil);
    for (int v = 0; v < oil.Variables().Count(); ++v) {
        CVariables::Variable variable = oil.Variables().At(v);
        if (variable.formula.empty())
            variable.distribution = "Triangular(" + std::to_string(variable.value * 0.8) + ", " +
                                    std::to_string(variable.value * 1.3) + ", " +
                                    std::to_string(variable.value) + ")";
        oil.Variables().Set(v, variable);
    }
    BenchMeasure::Measure("oil wildcatter, 1,000 iterations, 2 threads", 5,
                          [&] { return RunOnce(oil, 1000, 2); });
    return 0;
}
