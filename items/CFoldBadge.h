#pragma once

#include <QGraphicsObject>
#include <QString>

class CNodeGrapicsItem;

// The badge beside a folded node: how many nodes it hides. A child of the
// node's item, so it moves and goes with it; it keeps its place right of the
// node's texts as they change. A double click asks for the node to unfold.
class CFoldBadge : public QGraphicsObject
{
    Q_OBJECT

public:
    static constexpr int Type = UserType + 23;

    CFoldBadge(CNodeGrapicsItem *pNodeItem, int nHidden);

    int type() const override { return Type; }
    int Hidden() const { return hidden; }
    // Right of the node's outline, level with its arrow's anchor.
    void Place();
    // Where the node stood when it was folded: what it hides moves along by
    // as much as the node has moved since.
    QPointF FoldedAt() const { return foldedAt; }

    // The badge of pNodeItem, or null when it is not folded.
    static CFoldBadge *Of(const CNodeGrapicsItem *pNodeItem);

    QRectF boundingRect() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *) override;

signals:
    void sig_unfoldRequested();

protected:
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;

private:
    CNodeGrapicsItem *nodeItem;
    int hidden;
    QString text;
    QPointF foldedAt;
};
