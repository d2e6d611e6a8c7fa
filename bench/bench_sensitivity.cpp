// Times one-way sensitivity sweeps and tornados on large trees: the whole
// computation from an untouched tree (index, rollback, analysis), as the
// window and ramify-solve run it for every request.
#include "BenchMeasure.h"
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CSensitivityAnalysis.h"
#include "CTornado.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Parameter = CSensitivityAnalysis::Parameter;

constexpr int Runs = 9;

void Measure(const char *pLabel, const std::function<double()> &fnRun)
{
    BenchMeasure::Measure(pLabel, Runs, fnRun);
}

// Every nth option's probability moved down a little, so that Situations no
// longer add up to 1 and Decisions below a moved payoff react on their own.
void Unbalance(CNode *pRoot)
{
    const CTreeIndex index(pRoot);
    for (int n = 0; n < index.Size(); n += 3)
        if (index.Type(n) == NodeType::Option)
            const_cast<CNode *>(index.Node(n))->probability *= 0.8;
}

void Sweep(const char *pLabel, const CNode *pRoot, bool bDeepest, Parameter parameter)
{
    const CTreeIndex probe(pRoot);
    int nOption = -1;
    for (int n = 0; n < probe.Size(); ++n)
        if (probe.Type(n) == NodeType::Option &&
            (parameter == Parameter::Payoff ||
             probe.Type(probe.Parent(n)) == NodeType::Situation) &&
            (nOption < 0 || bDeepest))
            nOption = n;
    if (nOption < 0) {
        std::printf("  %-46s (the tree has no Situation)\n", pLabel);
        return;
    }
    const double dNow = parameter == Parameter::Payoff ? probe.Node(nOption)->payoff : 0.5;
    const double dLow = parameter == Parameter::Payoff ? dNow - 50 : 0.0;
    const double dHigh = parameter == Parameter::Payoff ? dNow + 50 : 1.0;
    Measure(pLabel, [&] {
        const CTreeIndex index(pRoot);
        const CTreeEvaluation evaluation(index);
        CSensitivityAnalysis analysis(evaluation);
        analysis.Run(nOption, parameter, dLow, dHigh, 100);
        return double(analysis.BreakEvens().size());
    });
}

void Tornado(const char *pLabel, const CNode *pRoot)
{
    Measure(pLabel, [&] {
        const CTreeIndex index(pRoot);
        const CTreeEvaluation evaluation(index);
        CTornado tornado(evaluation);
        tornado.Run(10);
        return double(tornado.Bars().size());
    });
}

void Shape(const char *pName, CNode *pRoot)
{
    CDecisionTree tree;
    tree.SetRoot(pRoot);
    std::printf("%s, %d nodes (figures: break-evens found, tornado bars)\n", pName,
                BenchTrees::CountNodes(pRoot));
    Sweep("100-step payoff sweep, top option", pRoot, false, Parameter::Payoff);
    Sweep("100-step payoff sweep, deepest option", pRoot, true, Parameter::Payoff);
    Sweep("100-step probability sweep, top Situation", pRoot, false, Parameter::Probability);
    Sweep("100-step probability sweep, deepest Situation", pRoot, true, Parameter::Probability);
    Tornado("10 % tornado over every input", pRoot);
    Measure("index and rollback alone", [&] {
        const CTreeIndex index(pRoot);
        return CTreeEvaluation(index).RootValue();
    });
}

} // namespace

int main()
{
    std::printf("Sensitivity analysis, %s build, best and median of %d runs\n",
#ifdef NDEBUG
                "optimised",
#else
                "debug",
#endif
                Runs);
    Shape("Balanced ~10,000", BenchTrees::MakeBalanced(10000));
    CNode *pUneven = BenchTrees::MakeBalanced(10000);
    Unbalance(pUneven);
    Shape("Balanced ~10,000, Situations not adding up to 1", pUneven);

    // The chain's payoffs are 0, which a tornado would skip; 1 everywhere
    // makes every input count.
    CNode *pChain = BenchTrees::MakeChain(100000);
    const CTreeIndex chain(pChain);
    for (int n = 0; n < chain.Size(); ++n)
        if (chain.Type(n) == NodeType::Option)
            const_cast<CNode *>(chain.Node(n))->payoff = 1;
    Shape("Chain 100,000 deep", pChain);

    // Every Decision's second option falls short of the first by a quarter:
    // a change at the bottom travels all the way up before it can settle.
    CNode *pRoot = CNode::CreateRoot(nullptr, "Rivals");
    CNode *pTail = pRoot;
    const int nLevels = 33333;
    for (int i = 0; i < nLevels; ++i) {
        CNode *pDecision = CNode::CreateDecision(pTail, "D");
        CNode *pOn = CNode::CreateOption(pDecision, "on");
        pOn->payoff = 1;
        CNode *pRival = CNode::CreateOption(pDecision, "rival");
        pRival->payoff = nLevels - i - 0.25;
        CNode::CreateTerminal(pRival, "");
        pTail = pOn;
    }
    CNode::CreateTerminal(pTail, "");
    Shape("Chain 100,000 deep, a close rival at every Decision", pRoot);
    return 0;
}
