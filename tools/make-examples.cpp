// Writes the example projects into the folder given as the only argument,
// and arranges those kept there as files, as Arrange Tree lays them out:
//   make-examples examples
// The arrangement measures the texts as the editor's node items draw them,
// so this tool needs the items and a (offscreen) widget platform; the fonts
// installed by scripts/install-deps.sh give the committed layout.
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectDocument.h"
#include "CTreeArranger.h"
#include "ExampleTrees.h"
#include "SubtreeWalk.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QGraphicsScene>

#include <cstdio>
#include <unordered_map>

namespace {

// Where a new editor window puts a Root that was never placed: the left
// edge, half way down a window of Qt's default size.
const QPointF UnplacedRoot(0, 240);

bool Arrange(CProjectDocument &document)
{
    CNode *pRoot = document.GetRoot();
    if (!pRoot)
        return false;
    // Items that measure the nodes as the canvas draws them, on a scene of
    // their own as there.
    QGraphicsScene scene;
    std::unordered_map<const CNode *, CNodeGrapicsItem *> items;
    WalkSubtree(pRoot, [&](CNode *pNode) {
        auto *pItem = new CNodeGrapicsItem(pNode, nullptr, true);
        scene.addItem(pItem);
        items[pNode] = pItem;
    });
    const QPointF root = pRoot->HasPosition() ? QPointF(pRoot->x, pRoot->y) : UnplacedRoot;
    const std::vector<NodePlacement> placements =
        CTreeArranger::Arrange(pRoot, root, [&](const CNode *pNode) {
            const CNodeGrapicsItem &item = *items.at(pNode);
            return NodeExtent{item.OutlineRect(), item.RightAnchor()};
        });
    std::vector<CProjectDocument::NodePlace> places;
    for (const NodePlacement &placement : placements)
        places.push_back({placement.node, placement.x, placement.y});
    document.SetPositions(places);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-examples FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const ExampleTrees::Example &example : ExampleTrees::All()) {
        // Through a file, as the editor would meet it.
        QBuffer plain;
        plain.open(QIODevice::ReadWrite);
        CProjectDocument document;
        QString strError;
        bool bDone = CProjectFile::Write(plain, *example.tree, example.projectName, &strError);
        plain.seek(0);
        bDone = bDone && document.Read(plain).Succeeded() && Arrange(document) &&
                document.Write(folder.filePath(example.fileName), &strError);
        if (!bDone) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(example.fileName), qPrintable(strError));
            return 1;
        }
    }
    // Examples with settings of their own are kept as files and arranged
    // where they are.
    for (const char *pName : {"Screening.rmproj"}) {
        CProjectDocument document;
        QString strError = QStringLiteral("cannot be read");
        const QString strPath = folder.filePath(QLatin1String(pName));
        if (!document.Read(strPath).Succeeded() || !Arrange(document) ||
            !document.Write(strPath, &strError)) {
            std::fprintf(stderr, "%s: %s\n", pName, qPrintable(strError));
            return 1;
        }
    }
    return 0;
}
