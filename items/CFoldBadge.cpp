#include "CFoldBadge.h"

#include "CNodeGrapicsItem.h"

#include <QFontMetricsF>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

namespace {

// Room between the node's texts and the badge, and round the badge's text.
constexpr double Gap = 6.0;
constexpr double PadX = 5.0;
constexpr double PadY = 2.0;

} // namespace

CFoldBadge::CFoldBadge(CNodeGrapicsItem *pNodeItem, int nHidden)
    : QGraphicsObject(pNodeItem), nodeItem(pNodeItem), hidden(nHidden),
      text(QStringLiteral("+%1").arg(nHidden)), foldedAt(pNodeItem->pos())
{
    setToolTip(tr("%n node(s) folded away: double-click to unfold", nullptr, nHidden));
    connect(pNodeItem, &CNodeGrapicsItem::sig_nameChanged, this, &CFoldBadge::Place);
    Place();
}

CFoldBadge *CFoldBadge::Of(const CNodeGrapicsItem *pNodeItem)
{
    if (!pNodeItem)
        return nullptr;
    for (QGraphicsItem *pChild : pNodeItem->childItems())
        if (pChild->type() == Type)
            return static_cast<CFoldBadge *>(pChild);
    return nullptr;
}

void CFoldBadge::Place()
{
    const QRectF outline = nodeItem->OutlineRect();
    setPos(outline.right() + Gap, nodeItem->RightAnchor().y() - boundingRect().height() / 2);
}

QRectF CFoldBadge::boundingRect() const
{
    const QRectF r = QFontMetricsF(QFont()).boundingRect(text);
    return QRectF(0, 0, r.width() + 2 * PadX, r.height() + 2 * PadY);
}

void CFoldBadge::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QRectF r = boundingRect().adjusted(0.5, 0.5, -0.5, -0.5);
    pPainter->save();
    pPainter->setPen(QPen(QColor(90, 90, 90)));
    pPainter->setBrush(QColor(235, 235, 235));
    pPainter->drawRoundedRect(r, r.height() / 2, r.height() / 2);
    pPainter->setFont(QFont());
    pPainter->drawText(r, Qt::AlignCenter, text);
    pPainter->restore();
}

void CFoldBadge::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
    emit sig_unfoldRequested();
}
