// Times Arrange Tree on a project's drawing (measuring the texts, arranging,
// moving the items) and pictures of the whole arranged tree, on a 10,000-node
// project; no window, as `ramify --export` draws it.
// Run with QT_QPA_PLATFORM=offscreen where there is no display.
#include "BenchMeasure.h"
#include "BenchTrees.h"
#include "CDecisionTree.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CTreePicture.h"
#include "CTreeScene.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

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
    CProjectDocument document;
    CTreeScene scene(document, nullptr);
    document.Read(strProject);
    scene.ShowTree(QPointF(0, 0), true);
    const std::vector<NodePlacement> placed = CTreeArranger::Placed(document.GetRoot());
    BenchMeasure::Measure("Arrange Tree on the drawing, 10k", 5, [&] {
        document.SetPositions(scene.ArrangedPositions());
        const double dWidth = CTreePicture::Rect(scene).width();
        document.SetPositions(placed);
        return dWidth;
    });
    document.SetPositions(scene.ArrangedPositions());
    const QRectF rect = CTreePicture::Rect(scene);
    std::printf("arranged tree: %.0f x %.0f\n", rect.width(), rect.height());
    for (const char *pName : {"tree.svg", "tree.png", "tree.pdf"}) {
        const QString strPath = dir.filePath(QString::fromLatin1(pName));
        const std::string strLabel = std::string("export ") + pName + ", 10k";
        BenchMeasure::Measure(strLabel.c_str(), 3, [&] {
            CTreePicture::Write(scene, document.GetProjectName(), strPath, nullptr);
            return double(QFileInfo(strPath).size());
        });
    }
    return 0;
}
