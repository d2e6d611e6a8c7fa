// Times the tidy arrangement alone, on balanced trees of 10,000 and 100,000
// nodes and on a chain 100,000 nodes deep. Extents are made up from the
// names, so no drawing is measured.
#include "BenchTrees.h"
#include "CTreeArranger.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

NodeExtent MadeUpExtent(const CNode *pNode)
{
    const double dWidth = 12 + 7.0 * double(pNode->name.size());
    const bool bTexts = pNode->type == NodeType::Option || pNode->type == NodeType::Terminal;
    return {QRectF(0, bTexts ? -13 : 0, dWidth + (bTexts ? 45 : 0), bTexts ? 52 : 50),
            QPointF(dWidth, 13)};
}

void Time(const char *pLabel, CNode *pRoot)
{
    std::vector<double> times;
    size_t nPlaced = 0;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer timer;
        timer.start();
        nPlaced = CTreeArranger::Arrange(pRoot, QPointF(0, 0), MadeUpExtent).size();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s %7zu nodes: min %8.2f ms, median %8.2f ms\n", pLabel, nPlaced, times.front(),
                times[times.size() / 2]);
    CNode::FreeSubtree(pRoot);
}

} // namespace

int main()
{
    Time("arrange, balanced", BenchTrees::MakeBalanced(10000));
    Time("arrange, balanced", BenchTrees::MakeBalanced(100000));
    Time("arrange, chain", BenchTrees::MakeChain(100000));
    return 0;
}
