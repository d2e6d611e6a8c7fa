#pragma once

#include <QGraphicsTextItem>
#include <QPointF>
#include <QString>

// A text item that is edited in place: a double click starts editing, Enter,
// Return or any loss of focus ends it. Ending an edit that changed the text
// reports the text from before the edit, so the receiver can build an undo step.
// Escape ends it too, but first puts the text back as it was: nothing to report.
class CQEditableGraphicsTextItem : public QGraphicsTextItem
{
    Q_OBJECT

public:
    CQEditableGraphicsTextItem(QGraphicsItem *parent, const QString &text, bool bMovable,
                               bool bEditable);

    void SetEditable(bool bEditable);
    bool IsEditable() const { return editable; }
    // Starts editing as a double click does, from the keyboard. With bSelectAll
    // the whole text is selected, so that typing replaces it.
    bool StartEditing(bool bSelectAll);

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
    // Shows again the text that the edit started from, so that the focus loss
    // that follows finds nothing changed.
    virtual void RestoreTextBeforeEdit();

    bool editable;
    QString oldValue;
};
