// Times the editor window on large projects, as a user meets them: opening a
// file in a fresh process (time and peak memory), opening a second one, edits
// near the Root and deep in the tree, re-evaluating the whole tree with and
// without changed values, and closing. Each figure is min / median of runs.
//   bench_window [RUNS]          all trees (default 5 runs)
//   bench_window --open FILE     one fresh open, then closing, for the parent to time
//   bench_window --unshown FILE  the same with a window that never shows
//   bench_window --write DIR     only writes the trees' project files, to profile with
//   bench_window --edits FILE    opens once, then only edits, to profile with
// Run with QT_QPA_PLATFORM=offscreen where there is no display.
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CDecisionTreeWindow.h"
#include "CNodeGrapicsItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CProjectFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

double Ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Processor time of this process, user and system: the machine may be shared.
double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

long PeakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine))
        if (strLine.rfind("VmHWM:", 0) == 0)
            return std::stol(strLine.substr(6));
    return 0;
}

void Report(const char *pLabel, std::vector<double> values, const char *pUnit = "ms")
{
    std::sort(values.begin(), values.end());
    std::printf("  %-42s min %9.2f  median %9.2f %s\n", pLabel, values.front(),
                values[values.size() / 2], pUnit);
}

CQEditableGraphicsTextItem *PayoffText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems()) {
        QGraphicsObject *pObject = pChild->toGraphicsObject();
        if (!qobject_cast<CProbabilityGraphicsTextItem *>(pObject))
            if (auto *pText = qobject_cast<CQEditableGraphicsTextItem *>(pObject))
                return pText;
    }
    return nullptr;
}

// The first option below the Root, and the deepest one along the last branches.
CNode *NearOption(CNode *pRoot)
{
    for (CNode *pNode = pRoot; pNode && pNode->HasChildren(); pNode = pNode->children.front())
        if (pNode->type == NodeType::Option)
            return pNode;
    return nullptr;
}

CNode *DeepOption(CNode *pRoot)
{
    CNode *pOption = nullptr;
    for (CNode *pNode = pRoot; pNode && pNode->HasChildren(); pNode = pNode->children.back())
        if (pNode->type == NodeType::Option)
            pOption = pNode;
    return pOption;
}

// Reads the file into a window and, with bShow, shows and paints it.
CDecisionTreeWindow *OpenAndPaint(const QString &strPath, bool bShow = true)
{
    auto *pWindow = new CDecisionTreeWindow(nullptr, QString());
    pWindow->resize(1200, 800);
    pWindow->LoadProject(strPath);
    if (!bShow)
        return pWindow;
    pWindow->show();
    pWindow->viewport()->repaint();
    QCoreApplication::processEvents();
    return pWindow;
}

// Opens, shows and paints the file once (or, without bShow, only reads it
// into a window that never shows, as a command-line export does); prints
// the time and peak memory.
int OpenOnce(const QString &strPath, bool bShow)
{
    QElapsedTimer timer;
    timer.start();
    const double dCpuStart = CpuMs();
    CDecisionTreeWindow *pWindow = OpenAndPaint(strPath, bShow);
    const double dOpen = Ms(timer);
    const double dCpuOpen = CpuMs() - dCpuStart;
    const long nPeak = PeakResidentKiB();
    timer.restart();
    const double dCpuClosing = CpuMs();
    delete pWindow;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double dClose = Ms(timer);
    std::printf("%.3f %ld %.3f %.3f %.3f\n", dOpen, nPeak, dClose, dCpuOpen, CpuMs() - dCpuClosing);
    std::fflush(stdout);
    // Leaving without tearing down the rest: it is no part of closing a window.
    std::_Exit(0);
}

void FreshOpens(const QString &strPath, int nRuns)
{
    std::vector<double> times, wall, peaks, closes, cpuOpens, cpuCloses;
    for (int i = 0; i < nRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), strPath});
        child.waitForFinished(-1);
        wall.push_back(Ms(timer));
        const QStringList fields = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
        times.push_back(fields.value(0).toDouble());
        peaks.push_back(fields.value(1).toDouble() / 1024);
        closes.push_back(fields.value(2).toDouble());
        cpuOpens.push_back(fields.value(3).toDouble());
        cpuCloses.push_back(fields.value(4).toDouble());
    }
    Report("first open + paint, fresh process", times);
    Report("  processor time of it", cpuOpens);
    Report("  the same, whole process", wall);
    Report("  peak resident memory", peaks, "MiB");
    Report("  closing it", closes);
    Report("  processor time of closing", cpuCloses);
}

void InProcess(const QString &strPath, int nRuns)
{
    std::vector<double> opens, closes, nearEdits, deepEdits, changed, unchanged;
    for (int nRun = 0; nRun < nRuns; ++nRun) {
        QElapsedTimer timer;
        timer.start();
        CDecisionTreeWindow *pWindow = OpenAndPaint(strPath);
        opens.push_back(Ms(timer));

        CNode *pRoot = pWindow->GetTree().GetRoot();
        const auto timeEdit = [&](CNode *pOption, std::vector<double> &times) {
            CQEditableGraphicsTextItem *pPayoff = PayoffText(pWindow->GetItem(pOption));
            for (int i = 0; i < 5; ++i) {
                timer.restart();
                pPayoff->setPlainText(QString::number((i + nRun) % 3 + 1));
                times.push_back(Ms(timer));
            }
        };
        timeEdit(NearOption(pRoot), nearEdits);
        timeEdit(DeepOption(pRoot), deepEdits);
        // The Root's payoff is part of every path: every shown value changes.
        for (int i = 0; i < 2; ++i) {
            pRoot->payoff = nRun * 2 + i + 1;
            timer.restart();
            pWindow->NotifyValuesChanged(pRoot);
            changed.push_back(Ms(timer));
            timer.restart();
            pWindow->NotifyValuesChanged(pRoot);
            unchanged.push_back(Ms(timer));
        }
        timer.restart();
        delete pWindow;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        closes.push_back(Ms(timer));
    }
    Report("open + paint again, same process", opens);
    Report("payoff edit near the Root", nearEdits);
    Report("payoff edit deep in the tree", deepEdits);
    Report("whole tree, every value changed", changed);
    Report("whole tree, no value changed", unchanged);
    Report("close", closes);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == QLatin1String("--open"))
        return OpenOnce(arguments.value(2), true);
    if (arguments.value(1) == QLatin1String("--unshown"))
        return OpenOnce(arguments.value(2), false);
    if (arguments.value(1) == QLatin1String("--edits")) {
        InProcess(arguments.value(2), arguments.value(3, QStringLiteral("3")).toInt());
        return 0;
    }
    const int nRuns = std::max(1, arguments.value(1, QStringLiteral("5")).toInt());

    QTemporaryDir temporary;
    const QString strDir =
        arguments.value(1) == QLatin1String("--write") ? arguments.value(2) : temporary.path();
    const struct
    {
        const char *label;
        std::function<CNode *()> make;
    } trees[] = {
        {"balanced", [] { return BenchTrees::MakeBalanced(10000); }},
        {"realistic", [] { return BenchTrees::MakeRealistic(10000); }},
        {"chain", [] { return BenchTrees::MakeChain(100000); }},
    };
    for (const auto &tree : trees) {
        const QString strPath = strDir + '/' + QString::fromLatin1(tree.label) + ".rmproj";
        CDecisionTree model;
        model.SetRoot(tree.make());
        CProjectFile::Write(strPath, model, QString::fromLatin1(tree.label));
        std::printf("%s: %d nodes, %d runs\n", tree.label, BenchTrees::CountNodes(model.GetRoot()),
                    nRuns);
        std::fflush(stdout);
        if (strDir != temporary.path())
            continue;
        FreshOpens(strPath, nRuns);
        InProcess(strPath, nRuns);
    }
    return 0;
}
