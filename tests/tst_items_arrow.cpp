#include "tst_items.h"

#include "ItemCanvas.h"
#include "ItemFixtures.h"

#include <QtTest>

#include <memory>

using namespace ItemFixtures;

namespace {

QPointF RightEnd(const CNodeGrapicsItem *pItem)
{
    return pItem->mapToScene(pItem->RightAnchor());
}

QPointF LeftEnd(const CNodeGrapicsItem *pItem)
{
    return pItem->mapToScene(pItem->LeftAnchor());
}

// Moves an item so that one of its anchors lands on the given scene point.
void PutRightAnchorAt(CNodeGrapicsItem *pItem, QPointF pnt)
{
    pItem->setPos(pnt - pItem->RightAnchor());
}

void PutLeftAnchorAt(CNodeGrapicsItem *pItem, QPointF pnt)
{
    pItem->setPos(pnt - pItem->LeftAnchor());
}

// The arrow meets both items at their anchors, wherever they are now.
bool MeetsItems(const ArrowProbe &arrow, const CNodeGrapicsItem *pFrom, const CNodeGrapicsItem *pTo)
{
    return arrow.line.size() == 3 && arrow.line.first() == RightEnd(pFrom) &&
           arrow.line.last() == LeftEnd(pTo) && arrow.head.size() == 4 &&
           arrow.head.at(2) == LeftEnd(pTo);
}

bool IsNear(const QImage &image, QPoint pnt, QColor colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixelColor(pnt + QPoint(dx, dy)) == colour)
                return true;
    return false;
}

} // namespace

void TestItems::arrowGeometry_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QPolygonF>("line");
    QTest::addColumn<QPolygonF>("head");
    const QPolygonF head = Points({{95, 55}, {95, 45}, {100, 50}, {95, 55}});
    QTest::newRow("inactive") << QPointF(40, 10) << QPointF(100, 50) << false
                              << Points({{40, 10}, {85, 50}, {100, 50}}) << head;
    QTest::newRow("active") << QPointF(40, 10) << QPointF(100, 50) << true
                            << Points({{40, 10}, {85, 50}, {95, 50}}) << head;
    QTest::newRow("child left of parent") << QPointF(200, 100) << QPointF(100, 100) << false
                                          << Points({{200, 100}, {85, 100}, {100, 100}})
                                          << Points({{95, 105}, {95, 95}, {100, 100}, {95, 105}});
}

void TestItems::arrowGeometry()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(bool, active);
    QFETCH(QPolygonF, line);
    QFETCH(QPolygonF, head);
    QGraphicsScene scene;
    SmallTree tree(scene);
    CNodeGrapicsItem *pFrom = tree.Item("D");
    CNodeGrapicsItem *pTo = tree.Item("A");
    PutRightAnchorAt(pFrom, from);
    PutLeftAnchorAt(pTo, to);
    auto *pArrow = new ArrowProbe(pFrom, pTo, nullptr);
    scene.addItem(pArrow);
    QCOMPARE(pTo->GetArrow(), pArrow);
    QCOMPARE(pFrom->GetArrow(), nullptr);
    QVERIFY(pArrow->qt_metacast("QAbstractGraphicsShapeItem"));
    QCOMPARE(pArrow->flags(), QGraphicsItem::GraphicsItemFlags());
    QCOMPARE(pArrow->pen().color(), QColor(Qt::black));
    QCOMPARE(pArrow->pen().joinStyle(), Qt::MiterJoin);
    QCOMPARE(pArrow->pen().width(), 1);

    // SetActive recolours at once; the geometry waits for the next update.
    const QPolygonF inactiveLine = pArrow->line;
    pArrow->SetActive(active);
    QCOMPARE(pArrow->line, inactiveLine);
    QCOMPARE(pArrow->pen().color(), QColor(active ? Qt::red : Qt::black));
    QCOMPARE(pArrow->brush().color(), QColor(active ? Qt::red : Qt::black));
    pArrow->UpdateGeometry();
    QCOMPARE(pArrow->line, line);
    QCOMPARE(pArrow->head, head);
    QCOMPARE(pArrow->boundingRect(), line.boundingRect().united(head.boundingRect()));
}

void TestItems::arrowFollowsDrag()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    SmallTree tree(canvas.scene);
    CNodeGrapicsItem *pParent = tree.Item("D");
    CNodeGrapicsItem *pChild = tree.Item("B");
    CNodeGrapicsItem *pGrandChild = tree.Item("S");
    auto *pIn = new ArrowProbe(pParent, pChild, nullptr);
    auto *pOut = new ArrowProbe(pChild, pGrandChild, nullptr);
    canvas.scene.addItem(pIn);
    canvas.scene.addItem(pOut);
    QSignalSpy moved(pChild, &CQEditableGraphicsTextItem::sig_positionChanged);

    QPoint pnt = canvas.At(pChild);
    QTest::mousePress(canvas.view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);
    for (const QPoint step : {QPoint(7, 3), QPoint(20, -15), QPoint(-40, 60)}) {
        const QPointF before = pChild->pos();
        pnt += step;
        canvas.DragTo(pnt);
        QCOMPARE(pChild->pos(), before + step);
        QCOMPARE(moved.last().at(0).toPointF(), pChild->pos());
        QVERIFY(MeetsItems(*pIn, pParent, pChild));
        QVERIFY(MeetsItems(*pOut, pChild, pGrandChild));
    }
    QTest::mouseRelease(canvas.view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);

    // Placed with its signals blocked, the item leaves its arrows behind.
    const QPolygonF before = pIn->line;
    pChild->SetNodePos(400, 300, true);
    QCOMPARE(pIn->line, before);
    pChild->SetNodePos(410, 310, false);
    QVERIFY(MeetsItems(*pIn, pParent, pChild));
    QVERIFY(MeetsItems(*pOut, pChild, pGrandChild));
}

void TestItems::arrowFollowsRename()
{
    QGraphicsScene scene;
    SmallTree tree(scene);
    CNodeGrapicsItem *pParent = tree.Item("D");
    auto *pToA = new ArrowProbe(pParent, tree.Item("A"), nullptr);
    auto *pToB = new ArrowProbe(pParent, tree.Item("B"), nullptr);
    auto *pIn = new ArrowProbe(tree.Item("R"), pParent, nullptr);
    for (QGraphicsItem *pArrow : {pToA, pToB, pIn})
        scene.addItem(pArrow);
    const QPointF inEnd = pIn->line.last();
    const qreal dStart = pToA->line.first().x();

    pParent->setPlainText("A decision with a long name");
    QVERIFY(pToA->line.first().x() > dStart + 50);
    QVERIFY(MeetsItems(*pToA, pParent, tree.Item("A")));
    QVERIFY(MeetsItems(*pToB, pParent, tree.Item("B")));
    // The text grows to the right: the arrow into the renamed item stays put.
    QCOMPARE(pIn->line.last(), inEnd);
    QVERIFY(MeetsItems(*pIn, tree.Item("R"), pParent));
}

void TestItems::arrowWithMissingItems()
{
    QGraphicsScene scene;
    SmallTree tree(scene);
    ArrowProbe unbound(nullptr, tree.Item("A"), nullptr);
    QVERIFY(unbound.line.isEmpty());
    QVERIFY(unbound.boundingRect().isEmpty());
    QCOMPARE(tree.Item("A")->GetArrow(), nullptr);
    tree.Item("A")->setPlainText("renamed");
    QVERIFY(unbound.line.isEmpty());

    // An arrow that outlives an end item stops drawing instead of reading it.
    CNodeGrapicsItem *pChild = tree.Item("B");
    auto *pArrow = new ArrowProbe(tree.Item("D"), pChild, nullptr);
    scene.addItem(pArrow);
    QVERIFY(!pArrow->line.isEmpty());
    delete tree.Item("D");
    QVERIFY(pArrow->line.isEmpty());
    QVERIFY(pArrow->boundingRect().isEmpty());
    pChild->setPos(200, 200);
    pArrow->UpdateGeometry();
    QVERIFY(pArrow->line.isEmpty());

    // Likewise the item forgets a deleted arrow.
    delete pArrow;
    QCOMPARE(pChild->GetArrow(), nullptr);
}

// ---------------------------------------------------------------- painting

void TestItems::fillColours_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("cornerFilled");
    QTest::newRow("Root") << "R" << QColor(255, 0, 0) << true;
    QTest::newRow("Decision") << "D" << QColor(0, 255, 0) << true;
    QTest::newRow("Situation") << "S" << QColor(200, 100, 255) << false;
    QTest::newRow("Option") << "A" << QColor(255, 255, 0) << false;
    QTest::newRow("Terminal") << "T1" << QColor(0, 0, 0) << true;
}

void TestItems::fillColours()
{
    QFETCH(QString, node);
    QFETCH(QColor, colour);
    QFETCH(bool, cornerFilled);
    QGraphicsScene scene;
    SmallTree tree(scene);
    CNodeGrapicsItem *pItem = tree.Item(node);
    const QRectF before = pItem->sceneBoundingRect();
    const QImage image = RenderScene(scene, QRect(0, 0, 600, 300));
    QCOMPARE(pItem->sceneBoundingRect(), before);

    const QRect r = before.toAlignedRect();
    // The text's margins keep the glyphs off these points.
    QCOMPARE(image.pixelColor(r.center().x(), r.top() + 2), colour);
    QCOMPARE(image.pixelColor(r.center().x(), r.bottom() - 2), colour);
    QCOMPARE(image.pixelColor(r.left() + 1, r.center().y()), colour);
    QCOMPARE(image.pixelColor(r.topLeft()) == colour, cornerFilled);
    QCOMPARE(image.pixelColor(r.left() - 2, r.center().y()), QColor(Qt::white));
}

void TestItems::outlineGrowsWithName()
{
    QGraphicsScene scene;
    SmallTree tree(scene);
    CNodeGrapicsItem *pItem = tree.Item("D");
    const QRect r = pItem->sceneBoundingRect().toAlignedRect();
    const QPoint beyond(r.right() + 30, r.top() + 2);
    QCOMPARE(RenderScene(scene, QRect(0, 0, 600, 300)).pixelColor(beyond), QColor(Qt::white));

    pItem->setPlainText("Decision with a much longer name");
    QVERIFY(pItem->sceneBoundingRect().right() > beyond.x() + 2);
    QCOMPARE(RenderScene(scene, QRect(0, 0, 600, 300)).pixelColor(beyond), QColor(0, 255, 0));
}

void TestItems::arrowPainting_data()
{
    QTest::addColumn<bool>("active");
    QTest::newRow("on the chosen path") << true;
    QTest::newRow("off it") << false;
}

void TestItems::arrowPainting()
{
    QFETCH(bool, active);
    QGraphicsScene scene;
    SmallTree tree(scene);
    CNodeGrapicsItem *pFrom = tree.Item("D");
    CNodeGrapicsItem *pTo = tree.Item("A");
    PutRightAnchorAt(pFrom, QPointF(60, 200));
    PutLeftAnchorAt(pTo, QPointF(200, 250));
    auto *pArrow = new ArrowProbe(pFrom, pTo, nullptr);
    scene.addItem(pArrow);
    pArrow->SetActive(active);
    pArrow->UpdateGeometry();
    const QPolygonF line = pArrow->line;

    const QImage image = RenderScene(scene, QRect(0, 0, 600, 400));
    QCOMPARE(pArrow->line, line);
    const QColor colour = active ? QColor(Qt::red) : QColor(Qt::black);
    QVERIFY(IsNear(image, QPoint(190, 250), colour)); // the horizontal run
    QVERIFY(IsNear(image, QPoint(122, 225), colour)); // the slanted segment
    // Inside the head, off the run's row: filled only on the chosen path.
    QCOMPARE(image.pixelColor(197, 252), active ? colour : QColor(Qt::white));
    QCOMPARE(image.pixelColor(197, 248), active ? colour : QColor(Qt::white));
}
