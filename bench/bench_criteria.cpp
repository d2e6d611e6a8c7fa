// A 10,000-node tree of two criteria: reading it from a project file and
// rolling it back, its league table (over the first Decision's options, as
// a tree of that size has far more than 1,000 complete strategies), and a
// second payoff typed on the canvas, near the Root and deep in the tree,
// from the Enter that ends the edit until the window is repainted (and the
// first payoff typed the same way, to compare). BENCH_SPLIT=1 prints each
// edit's commit and repaint.
// Run with QT_QPA_PLATFORM=offscreen where there is no display.
#include "BenchMeasure.h"
#include "BenchTrees.h"
#include "CDecisionTreeWindow.h"
#include "CLeagueTable.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CPayoff2GraphicsTextItem.h"
#include "CProjectDocument.h"
#include "SubtreeWalk.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>

#include <cstdio>
#include <vector>

namespace {

CPayoff2GraphicsTextItem *SecondPayoffText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems())
        for (QGraphicsItem *pGrandchild : pChild->childItems())
            if (auto *pText =
                    qobject_cast<CPayoff2GraphicsTextItem *>(pGrandchild->toGraphicsObject()))
                return pText;
    return nullptr;
}

// The first option on the way down the first branches, and the last on the
// way down the last ones.
CNode *Option(CNode *pRoot, bool bDeep)
{
    CNode *pOption = nullptr;
    for (CNode *pNode = pRoot; pNode && pNode->HasChildren();
         pNode = bDeep ? pNode->children.back() : pNode->children.front())
        if (pNode->type == NodeType::Option) {
            pOption = pNode;
            if (!bDeep)
                break;
        }
    return pOption;
}

// Types into the option's second payoff as a user does and presses Enter;
// the time runs from the Enter until the window has been repainted.
void TypeSecondPayoffs(CDecisionTreeWindow &window, CNode *pOption, const char *pLabel,
                       bool bFirst = false)
{
    CQEditableGraphicsTextItem *pText = SecondPayoffText(window.GetItem(pOption));
    if (bFirst && pText)
        pText = static_cast<CQEditableGraphicsTextItem *>(pText->parentItem()->toGraphicsObject());
    if (!pText) {
        std::printf("  %s: no second payoff on the canvas\n", pLabel);
        return;
    }
    window.ensureVisible(pText);
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        pText->StartEditing(true);
        pText->setPlainText(QString::number(i % 5 * 100 + 50));
        QElapsedTimer timer;
        timer.start();
        pText->clearFocus();
        const double dCommit = double(timer.nsecsElapsed()) / 1e6;
        window.viewport()->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (qEnvironmentVariableIsSet("BENCH_SPLIT"))
            std::printf("    commit %.3f ms, then repainted %.3f ms\n", dCommit, times.back());
        QCoreApplication::processEvents();
    }
    BenchMeasure::Print(pLabel, times, pOption->payoff2);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CProjectDocument document;
    CProjectSettings settings;
    settings.criteria.two = true;
    settings.criteria.weight = 50;
    document.SetSettings(settings);
    CNode *pRoot = BenchTrees::MakeRealistic(10000);
    int nOption = 0;
    WalkSubtree(pRoot, [&nOption](CNode *pNode) {
        if (pNode->type == NodeType::Option)
            pNode->payoff2 = double(++nOption % 97) * 10.0;
    });
    document.ReplaceTree(pRoot);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString strError;
    document.Write(buffer, &strError);
    const QByteArray bytes = buffer.data();
    std::printf("Two criteria, %d nodes, %lld bytes\n", BenchTrees::CountNodes(pRoot),
                static_cast<long long>(bytes.size()));
    BenchMeasure::Measure("open and roll back", 7, [&bytes] {
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        CProjectDocument read;
        read.Read(in);
        return read.GetRoot()->children.front()->expected2;
    });
    BenchMeasure::Measure("league table", 21, [&document] {
        CLeagueTable table(document.GetSettings().criteria);
        table.Run(document.GetTree());
        return double(table.Rows().size());
    });

    CDecisionTreeWindow window(nullptr, QString());
    window.setWindowTitle(QStringLiteral("Two criteria[*]"));
    window.resize(1200, 800);
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    window.ReadProject(in);
    window.show();
    QApplication::setActiveWindow(&window);
    window.viewport()->repaint();
    QCoreApplication::processEvents();
    TypeSecondPayoffs(window, Option(window.GetTree().GetRoot(), false),
                      "a typed second payoff repainted, near the Root");
    TypeSecondPayoffs(window, Option(window.GetTree().GetRoot(), true),
                      "a typed second payoff repainted, deep down");
    // Any repaint of that view costs this much: the floor of the figure above.
    BenchMeasure::Measure("the same view repainted, nothing changed", 15, [&window] {
        window.viewport()->repaint();
        return 0.0;
    });
    TypeSecondPayoffs(window, Option(window.GetTree().GetRoot(), false),
                      "the first payoff the same way, near the Root", true);
    return 0;
}
