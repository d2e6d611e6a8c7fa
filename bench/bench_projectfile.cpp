// Times writing and reading a project file of 10,000 and 100,000 nodes, for a
// balanced tree and for a chain 100,000 levels deep, to memory and through a
// real file (saving waits until the file is on disk).
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Measure(const char *pLabel, CNode *pRoot, const QString &strPath, int nRuns)
{
    CDecisionTree tree;
    tree.SetRoot(pRoot);
    const int nNodes = BenchTrees::CountNodes(pRoot);
    std::vector<double> cloneTimes, writeTimes, readTimes, saveTimes, loadTimes;
    qint64 nBytes = 0;
    for (int i = 0; i < nRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        CNode::FreeSubtree(pRoot->Clone());
        cloneTimes.push_back(timer.nsecsElapsed() / 1e6);

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        timer.restart();
        CProjectFile::Write(buffer, tree, QStringLiteral("Bench"));
        writeTimes.push_back(timer.nsecsElapsed() / 1e6);
        nBytes = buffer.size();
        buffer.close();

        CDecisionTree copy;
        timer.restart();
        CProjectFile::Read(buffer, copy);
        readTimes.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        CProjectFile::Write(strPath, tree, QStringLiteral("Bench"));
        saveTimes.push_back(timer.nsecsElapsed() / 1e6);

        // Loading includes freeing the tree read before, as reopening would.
        timer.restart();
        CProjectFile::Read(strPath, copy);
        loadTimes.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("%-20s %7d nodes %6.2f MB  clone %6.1f ms  write %7.1f ms  read %7.1f ms  "
                "save to file %7.1f ms  load from file %7.1f ms\n",
                pLabel, nNodes, nBytes / 1e6, Median(cloneTimes), Median(writeTimes),
                Median(readTimes), Median(saveTimes), Median(loadTimes));
}

} // namespace

int main()
{
    std::printf("Project file, median of 5 runs, %s build\n",
#ifdef NDEBUG
                "optimised"
#else
                "debug"
#endif
    );
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("bench.rmproj"));
    // A recovery copy starts with a clone made on the window's thread; the
    // rest runs on a thread of its own.
    Measure("balanced ~10,000", BenchTrees::MakeBalanced(10000), strPath, 5);
    Measure("balanced ~100,000", BenchTrees::MakeBalanced(100000), strPath, 5);
    Measure("chain 100,000 deep", BenchTrees::MakeChain(100000), strPath, 5);
    return 0;
}
