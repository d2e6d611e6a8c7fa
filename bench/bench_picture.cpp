// Times Arrange Tree in a window (measuring the texts, arranging, moving the
// items) and pictures of the whole arranged tree, on a 10,000-node project.
// Run with QT_QPA_PLATFORM=offscreen where there is no display.
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CDecisionTreeWindow.h"
#include "CProjectFile.h"
#include "CTreePicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void Time(const char *pLabel, int nRuns, const std::function<void()> &fnRun)
{
    std::vector<double> times;
    for (int i = 0; i < nRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        fnRun();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-34s min %9.1f ms, median %9.1f ms\n", pLabel, times.front(),
                times[times.size() / 2]);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString strProject = dir.filePath(QStringLiteral("bench.rmproj"));
    {
        CDecisionTree tree;
        tree.SetRoot(BenchTrees::MakeBalanced(10000));
        CProjectFile::Write(strProject, tree, QStringLiteral("Bench"));
    }
    CDecisionTreeWindow window(nullptr, QString());
    window.LoadProject(strProject);
    Time("Arrange Tree in a window, 10k", 5, [&] {
        window.ArrangeTree();
        window.GetUndoStack()->undo();
    });
    window.ArrangeTree();
    const QRectF rect = window.PictureRect();
    std::printf("arranged tree: %.0f x %.0f\n", rect.width(), rect.height());
    for (const char *pName : {"tree.svg", "tree.png", "tree.pdf"}) {
        const QString strPath = dir.filePath(QString::fromLatin1(pName));
        const std::string strLabel = std::string("export ") + pName + ", 10k";
        Time(strLabel.c_str(), 3, [&] { CTreePicture::Write(&window, strPath, nullptr); });
        std::printf("  %s: %lld bytes\n", pName, QFileInfo(strPath).size());
    }
    return 0;
}
