#include "CQGraphicsArrowLineItem.h"

#include "CNodeGrapicsItem.h"

#include <QPainter>
#include <QPen>

namespace {

// Length of the horizontal run into the child, and the head's length and height.
constexpr qreal kRun = 15;
constexpr qreal kHeadLength = 5;
constexpr qreal kHeadHalfHeight = 5;

} // namespace

CQGraphicsArrowLineItem::CQGraphicsArrowLineItem(CNodeGrapicsItem *pFrom, CNodeGrapicsItem *pTo,
                                                 QGraphicsItem *parent)
    : QObject(nullptr), QAbstractGraphicsShapeItem(parent), fromItem(pFrom), toItem(pTo)
{
    if (!pFrom || !pTo)
        return;
    // A move is announced before it takes effect: the items redraw their
    // arrows with the moving item at the place it is about to reach, so an
    // arrow meets it where it comes to rest without hearing of the move twice.
    pFrom->AddOutgoing(this);
    pTo->SetArrow(this);
    SetColour(Qt::black);
    UpdateGeometry();
}

CQGraphicsArrowLineItem::~CQGraphicsArrowLineItem()
{
    if (fromItem)
        fromItem->RemoveOutgoing(this);
    if (toItem && toItem->GetArrow() == this)
        toItem->SetArrow(nullptr);
}

void CQGraphicsArrowLineItem::ForgetItem(const CNodeGrapicsItem *pItem)
{
    if (fromItem == pItem)
        fromItem = nullptr;
    if (toItem == pItem)
        toItem = nullptr;
}

void CQGraphicsArrowLineItem::SetColour(const QColor &colour)
{
    // Every arrow is one of two colours: they share their pens and brushes
    // rather than make their own, two blocks of memory each.
    const auto makePen = [](const QColor &penColour) {
        QPen pen(penColour);
        pen.setWidth(1);
        pen.setJoinStyle(Qt::MiterJoin);
        return pen;
    };
    static const QPen blackPen = makePen(Qt::black);
    static const QBrush blackBrush(Qt::black, Qt::SolidPattern);
    const bool bBlack = colour == QColor(Qt::black);
    setPen(bBlack ? blackPen : makePen(colour));
    setBrush(bBlack ? blackBrush : QBrush(colour, Qt::SolidPattern));
}

void CQGraphicsArrowLineItem::SetActive(bool bActive)
{
    active = bActive;
    SetColour(active ? Qt::red : Qt::black);
    // Only an arrow on the path stops short of its node for the head.
    UpdateGeometry();
}

void CQGraphicsArrowLineItem::UpdateGeometry()
{
    UpdateGeometry(nullptr, QPointF());
}

void CQGraphicsArrowLineItem::UpdateGeometry(const CNodeGrapicsItem *pMoving, QPointF pntNewPos)
{
    prepareGeometryChange();
    line.clear();
    head.clear();
    QRectF headBox;
    if (fromItem && toItem) {
        line.reserve(4);
        // Node items have no parent item: a move shifts their scene points by
        // as much as their position changes.
        const auto shift = [&](const CNodeGrapicsItem *pItem) {
            return pItem == pMoving ? pntNewPos - pItem->pos() : QPointF();
        };
        const QPointF a = fromItem->mapToScene(fromItem->RightAnchor()) + shift(fromItem);
        const QPointF exit = fromItem->mapToScene(fromItem->ExitAnchor()) + shift(fromItem);
        const QPointF b = toItem->mapToScene(toItem->LeftAnchor()) + shift(toItem);
        line << a;
        if (exit.x() > a.x())
            line << exit;
        // Never back over the run out of the parent, where a child stands close to its texts.
        line << QPointF(qMax(exit.x(), b.x() - kRun), b.y()) << QPointF(b.x() - kHeadLength, b.y());
        // The head counts towards the bounds even where it is not drawn; it
        // is made only where it is, since most arrows of a large tree are not.
        const QPointF top(b.x() - kHeadLength, b.y() - kHeadHalfHeight);
        const QPointF bottom(b.x() - kHeadLength, b.y() + kHeadHalfHeight);
        headBox = QRectF(top, QPointF(b.x(), bottom.y()));
        if (active) {
            head.reserve(4);
            head << bottom << top << b << bottom;
        } else {
            line.last() = b;
        }
    }
    // Measured once here: Qt asks for it over every item each time it looks
    // for the tree's extent.
    bounds = line.boundingRect().united(headBox);
    update();
}

void CQGraphicsArrowLineItem::OnItemPosChanged()
{
    QObject *pSender = sender();
    if (!pSender || !qobject_cast<CNodeGrapicsItem *>(pSender))
        return;
    if (pSender != fromItem && pSender != toItem)
        return;
    UpdateGeometry();
}

QRectF CQGraphicsArrowLineItem::boundingRect() const
{
    return bounds;
}

void CQGraphicsArrowLineItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                                    QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    painter->save();
    painter->setPen(pen());
    painter->setBrush(brush());
    painter->drawPolyline(line);
    if (active)
        painter->drawPolygon(head, Qt::OddEvenFill);
    painter->restore();
}
