// Times what large trees cost, each in fresh processes: opening and drawing
// a 100,000-node balanced tree and a chain 100,000 deep in the window (time,
// peak memory and closing, through bench_window --open), and ramify-solve
// --json on a balanced tree of a million nodes (whole process, peak memory).
// The trees are generated here and written to a temporary folder.
//   bench_big [RUNS]           every figure, min / median of RUNS (default 5)
//   bench_big --write DIR      only writes the trees, to profile with
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CProjectFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void Report(const char *pLabel, std::vector<double> values, const char *pUnit)
{
    std::sort(values.begin(), values.end());
    std::printf("  %-42s min %9.2f  median %9.2f %s\n", pLabel, values.front(),
                values[values.size() / 2], pUnit);
    std::fflush(stdout);
}

// The largest peak resident memory of the children reaped so far, in MiB:
// QProcess gives no usage of its own.
double ChildrenPeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss / 1024.0;
}

void TimeOpens(const QString &strWindowBench, const QString &strPath, int nRuns)
{
    std::vector<double> times, peaks, closes, cpuOpens, cpuCloses, unshownCloses;
    for (int i = 0; i < nRuns; ++i) {
        // A window read and closed before it ever showed (a command-line
        // export that fails): Qt has not yet polished its items.
        QProcess child;
        child.start(strWindowBench, {QStringLiteral("--unshown"), strPath});
        child.waitForFinished(-1);
        unshownCloses.push_back(
            QString::fromLatin1(child.readAllStandardOutput()).split(' ').value(2).toDouble());
    }
    for (int i = 0; i < nRuns; ++i) {
        QProcess child;
        child.start(strWindowBench, {QStringLiteral("--open"), strPath});
        child.waitForFinished(-1);
        const QStringList fields = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
        times.push_back(fields.value(0).toDouble());
        peaks.push_back(fields.value(1).toDouble() / 1024);
        closes.push_back(fields.value(2).toDouble());
        cpuOpens.push_back(fields.value(3).toDouble());
        cpuCloses.push_back(fields.value(4).toDouble());
    }
    Report("open + draw, fresh process", times, "ms");
    Report("  processor time of it", cpuOpens, "ms");
    Report("  peak resident memory", peaks, "MiB");
    Report("  closing the window", closes, "ms");
    Report("  processor time of closing", cpuCloses, "ms");
    Report("closing a window never shown", unshownCloses, "ms");
}

// Processor time, user and system, of the children reaped so far.
double ChildrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void TimeSolve(const QString &strSolve, const QString &strPath, int nRuns)
{
    std::vector<double> times, cpus;
    for (int i = 0; i < nRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double dCpuBefore = ChildrenCpuMs();
        QProcess child;
        child.setStandardOutputFile(QProcess::nullDevice());
        child.start(strSolve, {QStringLiteral("--json"), strPath});
        child.waitForFinished(-1);
        times.push_back(timer.nsecsElapsed() / 1e6);
        cpus.push_back(ChildrenCpuMs() - dCpuBefore);
    }
    Report("ramify-solve --json, whole process", times, "ms");
    Report("  processor time of it", cpus, "ms");
    // Every child so far: the solver is the largest of them.
    std::printf("  %-42s max %9.2f MiB\n", "peak resident memory of any run", ChildrenPeakMiB());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool bWriteOnly = arguments.value(1) == QLatin1String("--write");
    const int nRuns = bWriteOnly ? 0 : std::max(1, arguments.value(1, QStringLiteral("5")).toInt());
    QTemporaryDir temporary;
    const QString strDir = bWriteOnly ? arguments.value(2) : temporary.path();
    const QString strHere = QCoreApplication::applicationDirPath();
    const struct
    {
        const char *label;
        std::function<CNode *()> make;
        bool bSolveOnly;
    } trees[] = {
        {"balanced-100k", [] { return BenchTrees::MakeBalanced(100000); }, false},
        {"chain-100k", [] { return BenchTrees::MakeChain(100000); }, false},
        {"balanced-1M", [] { return BenchTrees::MakeBalanced(1000000); }, true},
    };
    for (const auto &tree : trees) {
        const QString strPath = strDir + '/' + QString::fromLatin1(tree.label) + ".rmproj";
        {
            CDecisionTree model;
            model.SetRoot(tree.make());
            CProjectFile::Write(strPath, model, QString::fromLatin1(tree.label));
        }
        std::printf("%s: %lld bytes, %d runs\n", tree.label, QFileInfo(strPath).size(), nRuns);
        std::fflush(stdout);
        if (bWriteOnly)
            continue;
        if (tree.bSolveOnly)
            TimeSolve(strHere + QStringLiteral("/../tools/ramify-solve"), strPath, nRuns);
        else
            TimeOpens(strHere + QStringLiteral("/bench_window"), strPath, nRuns);
    }
    return 0;
}
