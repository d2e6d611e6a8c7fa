// Times the editor window on a 10,000-node project: opening and showing it,
// a payoff edit deep in the tree, and a full re-evaluation from the Root.
// Run with QT_QPA_PLATFORM=offscreen where there is no display.
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CDecisionTreeWindow.h"
#include "CNodeGrapicsItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CProjectFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QGraphicsTextItem *PayoffText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems()) {
        QGraphicsObject *pObject = pChild->toGraphicsObject();
        if (!qobject_cast<CProbabilityGraphicsTextItem *>(pObject))
            if (auto *pText = qobject_cast<QGraphicsTextItem *>(pObject))
                return pText;
    }
    return nullptr;
}

// The deepest option along the last branches of the tree.
CNode *DeepOption(CNode *pRoot)
{
    CNode *pOption = nullptr;
    for (CNode *pNode = pRoot; pNode && pNode->HasChildren(); pNode = pNode->children.back())
        if (pNode->type == NodeType::Option)
            pOption = pNode;
    return pOption;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("bench.rmproj"));
    {
        CDecisionTree tree;
        tree.SetRoot(BenchTrees::MakeBalanced(10000));
        CProjectFile::Write(strPath, tree, QStringLiteral("Bench"));
        std::printf("project: %d nodes\n", BenchTrees::CountNodes(tree.GetRoot()));
    }

    std::vector<double> reads, loads, shows, opens;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        {
            CDecisionTree tree;
            CProjectFile::Read(strPath, tree);
        }
        reads.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        CDecisionTreeWindow window(nullptr, QString());
        window.resize(1200, 800);
        window.LoadProject(strPath);
        loads.push_back(timer.nsecsElapsed() / 1e6);
        window.show();
        QCoreApplication::processEvents();
        shows.push_back(timer.nsecsElapsed() / 1e6 - loads.back());
        opens.push_back(loads.back() + shows.back());
    }
    std::printf("read the file alone:        median %9.2f ms\n", Median(reads));
    std::printf("open (read, items, layout): median %9.2f ms\n", Median(loads));
    std::printf("first show and paint:       median %9.2f ms\n", Median(shows));
    std::printf("open and show:              median %9.2f ms\n", Median(opens));

    CDecisionTreeWindow window(nullptr, QString());
    window.resize(1200, 800);
    window.LoadProject(strPath);
    window.show();
    QCoreApplication::processEvents();

    CNode *pOption = DeepOption(window.GetTree().GetRoot());
    QGraphicsTextItem *pPayoff = PayoffText(window.GetItem(pOption));
    std::vector<double> edits;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer timer;
        timer.start();
        pPayoff->setPlainText(QString::number(i % 5));
        edits.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("payoff edit, deep option:   median %9.2f ms\n", Median(edits));

    std::vector<double> notifies;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.NotifyValuesChanged(window.GetTree().GetRoot());
        notifies.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("re-evaluate from the Root:  median %9.2f ms\n", Median(notifies));
    return 0;
}
