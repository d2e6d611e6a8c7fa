// Times building the canvas items of a whole tree: one node item per node (with
// its texts and context menu) and one arrow per link, all on one scene.
#include "BenchTrees.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CQGraphicsArrowLineItem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QMap>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <utility>
#include <vector>

namespace {

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long nPages = 0;
    long nResident = 0;
    statm >> nPages >> nResident;
    return nResident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Creates and places every item breadth-first, the way the editor's layout
// does for an opened file; returns the number of items made.
int BuildItems(QGraphicsScene &scene, CNode *pRoot)
{
    QMap<CNode *, CNodeGrapicsItem *> items;
    std::vector<std::pair<CNode *, int>> pending{{pRoot, 0}};
    int nRow = 0;
    while (!pending.empty()) {
        auto [pNode, nDepth] = pending.back();
        pending.pop_back();
        auto *pItem = new CNodeGrapicsItem(pNode, nullptr, true);
        scene.addItem(pItem);
        pItem->SetNodePos(nDepth * 150, nRow++ * 40, true);
        items.insert(pNode, pItem);
        if (pNode->parent)
            scene.addItem(new CQGraphicsArrowLineItem(items.value(pNode->parent), pItem, nullptr));
        for (CNode *pChild : pNode->children)
            pending.emplace_back(pChild, nDepth + 1);
    }
    return items.size();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CNode *pRoot = BenchTrees::MakeBalanced(10000);
    const int nNodes = BenchTrees::CountNodes(pRoot);

    std::printf("Node items, texts, menus and arrows for %d nodes, %s build\n", nNodes,
#ifdef NDEBUG
                "optimised"
#else
                "debug"
#endif
    );
    // Fonts, glyph caches and the scene index set themselves up on first use;
    // keep that out of the figures.
    {
        CNode *pSmall = BenchTrees::MakeBalanced(100);
        QGraphicsScene scene;
        BuildItems(scene, pSmall);
        CNode::FreeSubtree(pSmall);
    }
    std::printf("(the first run's RSS growth is the memory the items take; later runs reuse it)\n");
    std::vector<double> build;
    std::vector<double> teardown;
    for (int nRun = 0; nRun < 3; ++nRun) {
        const long nBefore = ResidentKiB();
        QElapsedTimer timer;
        timer.start();
        auto *pScene = new QGraphicsScene;
        const int nItems = BuildItems(*pScene, pRoot);
        build.push_back(timer.nsecsElapsed() / 1e6);
        const long nAfter = ResidentKiB();
        timer.restart();
        delete pScene;
        teardown.push_back(timer.nsecsElapsed() / 1e6);
        std::printf("run %d: %d node items, build %8.1f ms, teardown %8.1f ms, RSS +%ld KiB "
                    "(%.2f KiB per node)\n",
                    nRun + 1, nItems, build.back(), teardown.back(), nAfter - nBefore,
                    double(nAfter - nBefore) / nItems);
    }
    std::sort(build.begin(), build.end());
    std::sort(teardown.begin(), teardown.end());
    std::printf("median: build %.1f ms (%.1f us per node), teardown %.1f ms\n",
                build[build.size() / 2], build[build.size() / 2] * 1000 / nNodes,
                teardown[teardown.size() / 2]);
    CNode::FreeSubtree(pRoot);
    return 0;
}
