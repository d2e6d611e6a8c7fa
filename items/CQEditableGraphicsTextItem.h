#pragma once

#include <QGraphicsTextItem>
#include <QPointF>
#include <QString>

// A text item that is edited in place: a double click starts editing, Enter,
// Return or any loss of focus ends it. Ending an edit that changed the text
// reports the text from before the edit, so the receiver can build an undo step.
class CQEditableGraphicsTextItem : public QGraphicsTextItem
{
    Q_OBJECT

public:
    CQEditableGraphicsTextItem(QGraphicsItem *parent, const QString &text, bool bMovable,
                               bool bEditable);

    void SetEditable(bool bEditable);

signals:
    // Sent before a move takes effect, with the position the move is about to set.
    void sig_positionChanged(QPointF pntNewPos);
    void sig_focusOut(const QString &strOldValue);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

    // Leaves editing; shared with the probability item, which commits its own way.
    void EndTextInteraction(QFocusEvent *event);

    bool editable;
    QString oldValue;
};
