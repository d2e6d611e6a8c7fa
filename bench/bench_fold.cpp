// Times folding on a realistic tree of 10,000 nodes: folding and unfolding
// the branch below the Root (nearly the whole tree), and opening the project
// with every Decision folded against opening it unfolded. Min / median of runs.
// Run with QT_QPA_PLATFORM=offscreen where there is no display.
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CDecisionTreeWindow.h"
#include "CProjectFile.h"
#include "CTreeScene.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void Report(const char *pLabel, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::printf("  %-40s min %9.2f  median %9.2f ms\n", pLabel, values.front(),
                values[values.size() / 2]);
}

double Time(const std::function<void()> &fnRun)
{
    QElapsedTimer timer;
    timer.start();
    fnRun();
    // Items taken off go later; that is part of the cost.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

QByteArray ProjectBytes(bool bFoldDecisions)
{
    CDecisionTree tree;
    tree.SetRoot(BenchTrees::MakeRealistic(10000));
    std::vector<CNode *> pending{tree.GetRoot()};
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        pNode->folded = bFoldDecisions && pNode->type == NodeType::Decision;
        pending.insert(pending.end(), pNode->children.begin(), pNode->children.end());
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CProjectFile::Write(buffer, tree, QStringLiteral("Folds"));
    return buffer.data();
}

double Open(const QByteArray &bytes)
{
    CDecisionTreeWindow *pWindow = nullptr;
    const double dMs = Time([&] {
        pWindow = new CDecisionTreeWindow(nullptr, QString());
        pWindow->resize(1200, 800);
        pWindow->setWindowTitle(QStringLiteral("Folds[*]"));
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        pWindow->ReadProject(buffer);
        pWindow->show();
        pWindow->viewport()->repaint();
    });
    delete pWindow;
    return dMs;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int nRuns = 7;
    const QByteArray unfolded = ProjectBytes(false);
    const QByteArray folded = ProjectBytes(true);

    std::vector<double> opensUnfolded, opensFolded;
    for (int i = 0; i < nRuns; ++i) {
        opensUnfolded.push_back(Open(unfolded));
        opensFolded.push_back(Open(folded));
    }
    Report("open + paint, unfolded", opensUnfolded);
    Report("open + paint, every Decision folded", opensFolded);

    CDecisionTreeWindow window(nullptr, QString());
    window.resize(1200, 800);
    window.setWindowTitle(QStringLiteral("Folds[*]"));
    QBuffer buffer;
    buffer.setData(unfolded);
    buffer.open(QIODevice::ReadOnly);
    window.ReadProject(buffer);
    window.show();
    CNode *pTop = window.GetDocument().GetRoot()->children.front();
    std::printf("  branch below the Root: %d nodes\n", CTreeScene::CountBelow(pTop));
    std::vector<double> folds, unfolds;
    for (int i = 0; i < nRuns; ++i) {
        folds.push_back(Time([&] { window.Fold(pTop); }));
        unfolds.push_back(Time([&] { window.Unfold(pTop); }));
    }
    Report("fold", folds);
    Report("unfold", unfolds);
    return 0;
}
