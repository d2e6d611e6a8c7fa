// Times writing and reading a project file of 100,000 nodes, for a balanced
// tree and for a chain 100,000 levels deep, to memory and through a real file.
#include "BenchTrees.h"
#include "CDecisionTree.h"
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
    std::vector<double> writeTimes, readTimes, saveTimes, loadTimes;
    qint64 nBytes = 0;
    for (int i = 0; i < nRuns; ++i) {
        QElapsedTimer timer;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        timer.start();
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
    std::printf("%-20s %7d nodes %6.2f MB  write %7.1f ms  read %7.1f ms  "
                "save to file %7.1f ms  load from file %7.1f ms\n",
                pLabel, nNodes, nBytes / 1e6, Median(writeTimes), Median(readTimes),
                Median(saveTimes), Median(loadTimes));
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
    Measure("balanced ~100,000", BenchTrees::MakeBalanced(100000), strPath, 5);
    Measure("chain 100,000 deep", BenchTrees::MakeChain(100000), strPath, 5);
    return 0;
}
