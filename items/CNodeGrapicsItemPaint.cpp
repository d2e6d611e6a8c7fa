// How a node item is drawn: its outline, its anchors and the room its texts
// take.
#include "CNodeGrapicsItem.h"

#include "CPayoff2GraphicsTextItem.h"
#include "CProbabilityGraphicsTextItem.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPolygonF>

namespace {

// Measured once for each wording and font: every value resized asks for it,
// and measuring words shapes them anew.
QSizeF WarningSize()
{
    static QString strMeasured;
    static QFont measuredFont;
    static QSizeF size;
    const QString strWarning = CNodeGrapicsItem::tr("Error Value!");
    const QFont font = QGuiApplication::font();
    if (size.isEmpty() || strWarning != strMeasured || !(font == measuredFont)) {
        strMeasured = strWarning;
        measuredFont = font;
        size = CQEditableGraphicsTextItem::TextSize(strWarning);
    }
    return size;
}

} // namespace

bool CNodeGrapicsItem::HasAnchors() const
{
    return style.shape >= NodeShape::Rectangle && style.shape <= NodeShape::Triangle;
}

QPointF CNodeGrapicsItem::LeftAnchor() const
{
    if (!HasAnchors())
        return QPointF(0, 0);
    const QRectF r = boundingRect();
    return QPointF(r.x(), r.y() + r.height() * 0.5);
}

QPointF CNodeGrapicsItem::RightAnchor() const
{
    if (!HasAnchors())
        return QPointF(0, 0);
    const QRectF r = boundingRect();
    return QPointF(r.x() + r.width(), r.y() + r.height() * 0.5);
}

QPointF CNodeGrapicsItem::ExitAnchor() const
{
    const QPointF anchor = RightAnchor();
    if (!HasAnchors())
        return anchor;
    return QPointF(qMax(anchor.x(), OutlineRect().right()), anchor.y());
}

QRectF CNodeGrapicsItem::OutlineRect() const
{
    QRectF rect = boundingRect();
    for (const QGraphicsItem *pText : {static_cast<const QGraphicsItem *>(probabilityItem),
                                       static_cast<const QGraphicsItem *>(payoffItem),
                                       static_cast<const QGraphicsItem *>(Payoff2Item())})
        if (pText && pText->isVisible())
            rect |= mapRectFromItem(pText, pText->boundingRect());
    if (probabilityItem && probabilityItem->isVisible()) {
        // Its room counts whether it was ever made or not: the arrangement
        // must not depend on what was shown before.
        QRectF warning(QPointF(0, 0), WarningSize());
        warning.moveTopLeft(QPointF(0, -warning.height()));
        rect |= mapRectFromItem(probabilityItem, warning);
    }
    return rect;
}

QRectF CNodeGrapicsItem::boundingRect() const
{
    return CQEditableGraphicsTextItem::boundingRect();
}

QPainterPath CNodeGrapicsItem::shape() const
{
    return CQEditableGraphicsTextItem::shape();
}

void CNodeGrapicsItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                             QWidget *widget)
{
    if (HasAnchors()) {
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(
            QBrush(QColor(style.red, style.green, style.blue, 255), Qt::SolidPattern));
        const QRectF r = boundingRect();
        switch (style.shape) {
        case NodeShape::Rectangle:
            painter->drawRect(r);
            break;
        case NodeShape::Ellipse:
            painter->drawPie(r, 0, 5760);
            break;
        case NodeShape::RoundedRectangle:
            painter->drawRoundedRect(r, 25, 25, Qt::RelativeSize);
            break;
        case NodeShape::Triangle: {
            QPolygonF triangle;
            triangle << QPointF(r.x() + r.width(), r.y())
                     << QPointF(r.x() + r.width(), r.y() + r.height())
                     << QPointF(r.x(), r.y() + r.height() * 0.5);
            painter->drawPolygon(triangle, Qt::OddEvenFill);
            break;
        }
        default:
            break;
        }
        painter->restore();
    }
    CQEditableGraphicsTextItem::paint(painter, option, widget);
}
