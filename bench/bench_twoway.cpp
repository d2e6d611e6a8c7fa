// Times two-way sensitivity grids and spider charts on a large tree: the whole
// computation from an untouched tree, as the window and ramify-solve run it.
#include "BenchMeasure.h"
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CSpiderAnalysis.h"
#include "CTornado.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Parameter = CSensitivityAnalysis::Parameter;

constexpr int Runs = 7;

void Measure(const char *pLabel, const std::function<double()> &fnRun)
{
    BenchMeasure::Measure(pLabel, Runs, fnRun);
}

// The first and the last option whose parent is of the given type.
std::pair<int, int> Options(const CTreeIndex &index, int nParentType)
{
    int nFirst = -1;
    int nLast = -1;
    for (int n = 0; n < index.Size(); ++n)
        if (index.Type(n) == NodeType::Option && index.Type(index.Parent(n)) == nParentType) {
            nLast = n;
            if (nFirst < 0)
                nFirst = n;
        }
    return {nFirst, nLast};
}

void Grid(const char *pLabel, const CDecisionTree &tree, CTwoWayAnalysis::Input x,
          CTwoWayAnalysis::Input y)
{
    Measure(pLabel, [&] {
        CTwoWayAnalysis analysis(tree);
        if (!analysis.Run(x, y, 100))
            std::printf("    %s\n", qPrintable(analysis.Error()));
        size_t nBreakEvens = 0;
        for (const CTwoWayAnalysis::Row &row : analysis.Rows())
            nBreakEvens += row.breakEvens.size();
        return double(nBreakEvens);
    });
}

void Shape(const char *pName, CNode *pRoot)
{
    CDecisionTree tree;
    tree.SetRoot(pRoot);
    const CTreeIndex index(pRoot);
    std::printf("%s, %d nodes (figures: break-evens over all rows, spider lines)\n", pName,
                index.Size());
    const auto [nTopPayoff, nDeepPayoff] = Options(index, NodeType::Decision);
    const auto [nTopChance, nDeepChance] = Options(index, NodeType::Situation);
    const auto payoff = [&](int n) {
        const double dNow = index.Node(n)->payoff;
        return CTwoWayAnalysis::Input{n, "", Parameter::Payoff, dNow - 50, dNow + 50};
    };
    const auto probability = [&](int n) {
        return CTwoWayAnalysis::Input{n, "", Parameter::Probability, 0.0, 1.0};
    };
    Grid("100 x 100, top payoff by deepest payoff", tree, payoff(nTopPayoff), payoff(nDeepPayoff));
    Grid("100 x 100, top probability by top payoff", tree, probability(nTopChance),
         payoff(nTopPayoff));
    Grid("100 x 100, deepest payoff by top probability", tree, payoff(nDeepPayoff),
         probability(nTopChance));
    Measure("20-step spider, 10 %, every input", [&] {
        const CTreeIndex fresh(pRoot);
        const CTreeEvaluation evaluation(fresh);
        CSpiderAnalysis spider(evaluation);
        spider.Run(10, 20, &tree);
        return double(spider.Lines().size());
    });
    Measure("10 % tornado, every input (for comparison)", [&] {
        const CTreeIndex fresh(pRoot);
        const CTreeEvaluation evaluation(fresh);
        CTornado tornado(evaluation);
        tornado.Run(10, &tree);
        return double(tornado.Bars().size());
    });
}

} // namespace

int main()
{
    std::printf("Two-way sensitivity and spider, %s build, best and median of %d runs\n",
#ifdef NDEBUG
                "optimised",
#else
                "debug",
#endif
                Runs);
    Shape("Balanced ~10,000", BenchTrees::MakeBalanced(10000));
    Shape("Realistic ~10,000", BenchTrees::MakeRealistic(10000));
    return 0;
}
