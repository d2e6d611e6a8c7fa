#include "CNode.h"
#include "CQGraphicsArrowLineItem.h"
#include "CTreeArranger.h"
#include "CTreeScene.h"
#include "GuiTest.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

#include <map>
#include <unordered_map>

using namespace GuiTest;

namespace {

// The arrow that runs through a node's shape or one of its texts, other than
// the shapes of the two nodes it joins; empty when none does. Texts give up
// a little of their margin, along which the arrows leave between a node's
// probability and payoff.
QString ArrowFault(CDecisionTreeWindow &window)
{
    constexpr double dCell = 256;
    struct Obstacle
    {
        QRectF rect;
        const CNodeGrapicsItem *owner;
        bool shape;
    };
    std::vector<Obstacle> obstacles;
    std::map<std::pair<int, int>, std::vector<size_t>> grid;
    const auto cells = [&](const QRectF &rect, const auto &visit) {
        for (int x = int(std::floor(rect.left() / dCell));
             x <= int(std::floor(rect.right() / dCell)); ++x)
            for (int y = int(std::floor(rect.top() / dCell));
                 y <= int(std::floor(rect.bottom() / dCell)); ++y)
                visit(std::make_pair(x, y));
    };
    std::vector<const CQGraphicsArrowLineItem *> arrows;
    for (CNode *pNode : Attached(window.GetTree().GetRoot())) {
        const CNodeGrapicsItem *pItem = window.GetItem(pNode);
        if (!pItem || !pItem->isVisible())
            continue;
        if (pItem->GetArrow() && pItem->GetArrow()->isVisible())
            arrows.push_back(pItem->GetArrow());
        obstacles.push_back({pItem->sceneBoundingRect().adjusted(1, 1, -1, -1), pItem, true});
        const QList<QGraphicsItem *> children = pItem->childItems();
        std::vector<const QGraphicsItem *> texts(children.begin(), children.end());
        while (!texts.empty()) {
            const QGraphicsItem *pText = texts.back();
            texts.pop_back();
            if (!pText->isVisible())
                continue;
            obstacles.push_back({pText->sceneBoundingRect().adjusted(3, 3, -3, -3), pItem, false});
            for (const QGraphicsItem *pChild : pText->childItems())
                texts.push_back(pChild);
        }
    }
    for (size_t i = 0; i < obstacles.size(); ++i)
        cells(obstacles[i].rect, [&](auto cell) { grid[cell].push_back(i); });
    for (const CQGraphicsArrowLineItem *pArrow : arrows) {
        const QPolygonF &line = pArrow->Line();
        for (int i = 1; i < line.size(); ++i) {
            const QLineF segment(line[i - 1], line[i]);
            QString strFault;
            cells(QRectF(segment.p1(), segment.p2()).normalized(), [&](auto cell) {
                for (size_t n : grid[cell]) {
                    const Obstacle &o = obstacles[n];
                    if (o.rect.isEmpty() ||
                        (o.shape && (o.owner == pArrow->From() || o.owner == pArrow->To())))
                        continue;
                    const QRectF &r = o.rect;
                    bool bCrosses = r.contains(segment.p1()) || r.contains(segment.p2());
                    const QLineF edges[] = {{r.topLeft(), r.topRight()},
                                            {r.topRight(), r.bottomRight()},
                                            {r.bottomRight(), r.bottomLeft()},
                                            {r.bottomLeft(), r.topLeft()}};
                    for (const QLineF &edge : edges)
                        bCrosses = bCrosses ||
                                   segment.intersects(edge, nullptr) == QLineF::BoundedIntersection;
                    if (bCrosses && strFault.isEmpty())
                        strFault = QStringLiteral("the arrow to %1 runs through %2 of %3")
                                       .arg(Describe(pArrow->To()->GetNode()),
                                            o.shape ? QStringLiteral("the shape")
                                                    : QStringLiteral("a text"),
                                            Describe(o.owner->GetNode()));
                }
            });
            if (!strFault.isEmpty())
                return strFault;
        }
    }
    return QString();
}

// Pastes copies of the example's subtrees below its ends until the tree has
// nNodes nodes, as a user fills a large model from a few parts.
void PasteUntil(CDecisionTreeWindow &window, int nNodes, quint32 nSeed)
{
    QRandomGenerator rng(nSeed);
    CNode *pRoot = window.GetTree().GetRoot();
    while (int(Attached(pRoot).size()) < nNodes) {
        std::vector<CNode *> parts, ends;
        for (CNode *pNode : Attached(pRoot)) {
            if (pNode->type == NodeType::Decision || pNode->type == NodeType::Situation)
                parts.push_back(pNode);
            if (pNode->HasOnlyTerminalChild() && pNode->type == NodeType::Option)
                ends.push_back(pNode);
        }
        window.CopyNode(window.GetItem(parts[size_t(rng.bounded(int(parts.size())))]));
        for (int i = 0; i < 10 && !ends.empty(); ++i)
            window.PasteNode(window.GetItem(ends[size_t(rng.bounded(int(ends.size())))]));
    }
}

} // namespace

// The arrangement on trees whose node outlines are drawn at random: names
// and texts of every width, texts above, below and far right of the node.
class TestArrange : public QObject
{
    Q_OBJECT

private slots:
    void rulesHoldOnRandomTrees_data();
    void rulesHoldOnRandomTrees();
    void deepChainNeedsNoRecursion();
    void noArrowRunsThroughANode_data();
    void noArrowRunsThroughANode();
};

void TestArrange::rulesHoldOnRandomTrees_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 nSeed = 1; nSeed <= 40; ++nSeed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(nSeed))) << nSeed;
}

// Overlapping subtrees, an outline kept per level instead of along x, a
// parent off the middle of its children, siblings crowded closer than the
// rule allows, or children that do not clear their parent's texts.
void TestArrange::rulesHoldOnRandomTrees()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    std::unordered_map<const CNode *, NodeExtent> extents;
    CNode *pRoot = CNode::CreateRoot(nullptr, "");
    std::vector<CNode *> open{pRoot};
    for (int n = 0; n < 60 && !open.empty(); ++n) {
        CNode *pParent = open[rng.bounded(int(open.size()))];
        for (int i = rng.bounded(1, 5); i > 0; --i)
            open.push_back(CNode::CreateOption(pParent, ""));
    }
    for (CNode *pNode : open) {
        const double dWidth = rng.bounded(5, 200), dHeight = rng.bounded(10, 60);
        // Some nodes show no texts at all, some reach far past the anchor.
        const double dAbove = rng.bounded(2) * rng.bounded(40);
        const QRectF box(0, -dAbove, dWidth + rng.bounded(2) * rng.bounded(160),
                         dAbove + dHeight + rng.bounded(2) * rng.bounded(40));
        extents[pNode] = {box, QPointF(dWidth, dHeight / 2)};
    }
    const std::vector<NodePlacement> placed =
        CTreeArranger::Arrange(pRoot, QPointF(7, -3), [&](const CNode *p) { return extents[p]; });
    QCOMPARE(placed.size(), open.size());
    QCOMPARE(QPoint(placed[0].x, placed[0].y), QPoint(7, -3));
    // Breadth first, as the editor counts them.
    std::vector<const CNode *> breadthFirst{pRoot};
    for (size_t i = 0; i < breadthFirst.size(); ++i)
        breadthFirst.insert(breadthFirst.end(), breadthFirst[i]->children.begin(),
                            breadthFirst[i]->children.end());
    for (size_t i = 0; i < placed.size(); ++i)
        QCOMPARE(placed[i].node, breadthFirst[i]);

    std::unordered_map<const CNode *, QPointF> at;
    for (const NodePlacement &p : placed)
        at[p.node] = QPointF(p.x, p.y);
    auto box = [&](const CNode *p) { return extents[p].box.translated(at[p]); };
    auto centre = [&](const CNode *p) { return at[p].y() + extents[p].rightAnchor.y(); };
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j)
            QVERIFY2(!box(placed[i].node).intersects(box(placed[j].node)),
                     qPrintable(QStringLiteral("nodes %1 and %2 overlap").arg(i).arg(j)));
    for (const CNode *pNode : open) {
        const std::vector<CNode *> &children = pNode->children;
        if (children.empty())
            continue;
        const double dAnchor = at[pNode].x() + extents[pNode].rightAnchor.x();
        const double dRoom = children.size() > 1 ? CTreeArranger::FanRoom : CTreeArranger::Gap;
        const double dLeast = qMax(dAnchor + 100, box(pNode).right() + dRoom);
        for (size_t i = 0; i < children.size(); ++i) {
            const double dX = at[children[i]].x();
            QVERIFY(dX >= dLeast && dX < dLeast + 1);
            QVERIFY(i == 0 || centre(children[i]) - centre(children[i - 1]) >= 100);
        }
        const double dMiddle = (centre(children.front()) + centre(children.back())) / 2;
        QVERIFY(qAbs(centre(pNode) - dMiddle) <= 0.5);
        // The arrows fan out between the parent's texts and its children,
        // from its centre line to theirs: nothing else may stand there.
        const QRectF fan(
            QPointF(box(pNode).right(), qMin(centre(pNode), centre(children[0]))),
            QPointF(at[children[0]].x(), qMax(centre(pNode), centre(children.back()))));
        for (const NodePlacement &p : placed)
            QVERIFY2(!fan.adjusted(0, -1, 0, 1).intersects(box(p.node)),
                     qPrintable(QStringLiteral("an arrow runs through a node")));
    }
    CNode::FreeSubtree(pRoot);
}

// A file can hold a chain 100,000 nodes deep; a recursive walk overflows the stack.
void TestArrange::deepChainNeedsNoRecursion()
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "");
    CNode *pTail = pRoot;
    for (int i = 0; i < 100000; ++i)
        pTail = CNode::CreateOption(pTail, "");
    const NodeExtent extent{QRectF(0, 0, 40, 20), QPointF(40, 10)};
    const auto placed =
        CTreeArranger::Arrange(pRoot, QPointF(), [&](const CNode *) { return extent; });
    QCOMPARE(placed.back().y, 0);
    QCOMPARE(placed.back().x, 100000 * 140);
    CNode::FreeSubtree(pRoot);
}

void TestArrange::noArrowRunsThroughANode_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("nodes");
    const QDir examples(QStringLiteral(RAMIFY_EXAMPLES_DIR));
    for (const QString &strFile : examples.entryList({QStringLiteral("*.rmproj")}))
        QTest::newRow(qPrintable(strFile)) << examples.filePath(strFile) << 0;
    QTest::newRow("10,000 nodes pasted from the oil example")
        << examples.filePath(QStringLiteral("OilWithTest.rmproj")) << 10000;
}

// Arrows kept out of the outlines of nodes only, not of other arrows, ran
// through the values under short names and through neighbours' end texts.
void TestArrange::noArrowRunsThroughANode()
{
    QFETCH(QString, file);
    QFETCH(int, nodes);
    CDecisionTreeWindow window(nullptr, QString());
    QVERIFY(window.LoadProject(file));
    PasteUntil(window, nodes, 29);
    window.ArrangeTree();
    QCoreApplication::processEvents();
    const QString strFault = ArrowFault(window);
    QVERIFY2(strFault.isEmpty(), qPrintable(strFault));
}

RAMIFY_GUI_TEST_MAIN(TestArrange)
#include "tst_arrange.moc"
