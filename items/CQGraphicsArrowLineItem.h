#pragma once

#include <QAbstractGraphicsShapeItem>
#include <QObject>
#include <QPolygonF>

class CNodeGrapicsItem;

// The link from a parent node's item to a child's: a run along the parent's
// centre line past its texts, a slanted segment, and a short horizontal run.
// On the chosen path it is red with a head, else black.
// Coordinates are scene coordinates; the arrow lives at the scene's origin.
class CQGraphicsArrowLineItem : public QObject, public QAbstractGraphicsShapeItem
{
    Q_OBJECT

public:
    CQGraphicsArrowLineItem(CNodeGrapicsItem *pFrom, CNodeGrapicsItem *pTo,
                            QGraphicsItem *parent = nullptr);
    ~CQGraphicsArrowLineItem() override;

    void SetActive(bool bActive);
    bool IsActive() const { return active; }
    void UpdateGeometry();
    // The same with pMoving (one of the two items) at the place it is about
    // to move to.
    void UpdateGeometry(const CNodeGrapicsItem *pMoving, QPointF pntNewPos);

    // pItem, one of the two items, is going.
    void ForgetItem(const CNodeGrapicsItem *pItem);

    const CNodeGrapicsItem *From() const { return fromItem; }
    const CNodeGrapicsItem *To() const { return toItem; }
    // The polyline drawn, in scene coordinates.
    const QPolygonF &Line() const { return line; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

public slots:
    void OnItemPosChanged();

protected:
    void SetColour(const QColor &colour);

    // An item forgets its arrows as it goes, and they it (ForgetItem), so
    // that an arrow outliving one of its items draws nothing instead of
    // reading a deleted item. Guarded pointers cost every item and arrow a
    // block of memory of their own.
    CNodeGrapicsItem *fromItem = nullptr;
    CNodeGrapicsItem *toItem = nullptr;
    bool active = false;
    QPolygonF line;
    // Held while the arrow is active, the only time it is drawn.
    QPolygonF head;
    // Those two's bounding rectangle.
    QRectF bounds;
};
