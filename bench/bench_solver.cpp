// Times a full rollback from the Root on trees of several sizes and shapes.
#include "BenchTrees.h"
#include "CDecisionSolver.h"
#include "CDecisionTree.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void Measure(const char *pLabel, CNode *pRoot, int nRuns)
{
    CDecisionTree tree;
    tree.SetRoot(pRoot);
    CDecisionSolver solver;
    std::vector<double> times;
    size_t nResult = 0;
    for (int i = 0; i < nRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        nResult = solver.Solve(tree.GetRoot()).size();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s %8d nodes  result %9zu  median %9.3f ms  best %9.3f ms\n", pLabel,
                BenchTrees::CountNodes(tree.GetRoot()), nResult, times[times.size() / 2],
                times.front());
}

} // namespace

int main()
{
    std::printf("Solve(Root), %s build\n",
#ifdef NDEBUG
                "optimised"
#else
                "debug"
#endif
    );
    Measure("balanced ~1,000", BenchTrees::MakeBalanced(1000), 51);
    Measure("balanced ~10,000", BenchTrees::MakeBalanced(10000), 21);
    Measure("balanced ~100,000", BenchTrees::MakeBalanced(100000), 7);
    Measure("chain 100,000 deep", BenchTrees::MakeChain(100000), 7);
    return 0;
}
