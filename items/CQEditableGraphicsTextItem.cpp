#include "CQEditableGraphicsTextItem.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QTextCursor>

CQEditableGraphicsTextItem::CQEditableGraphicsTextItem(QGraphicsItem *parent, const QString &text,
                                                       bool bMovable, bool bEditable)
    : QGraphicsTextItem(text, parent), editable(bEditable)
{
    setFlag(ItemIsMovable, bMovable);
    setFlag(ItemSendsGeometryChanges, bMovable);
    setFlag(ItemIsSelectable, true);
}

void CQEditableGraphicsTextItem::SetEditable(bool bEditable)
{
    editable = bEditable;
}

bool CQEditableGraphicsTextItem::StartEditing(bool bSelectAll)
{
    if (!editable)
        return false;
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setFocus(Qt::OtherFocusReason);
    if (bSelectAll) {
        QTextCursor cursor = textCursor();
        cursor.select(QTextCursor::Document);
        setTextCursor(cursor);
    }
    return true;
}

void CQEditableGraphicsTextItem::focusInEvent(QFocusEvent *event)
{
    QGraphicsTextItem::focusInEvent(event);
    oldValue = toPlainText();
}

void CQEditableGraphicsTextItem::EndTextInteraction(QFocusEvent *event)
{
    if (editable) {
        // The text control is not told that the focus went, so it would keep
        // painting a selection made during the edit; drop it with the edit.
        QTextCursor cursor = textCursor();
        cursor.clearSelection();
        setTextCursor(cursor);
        setTextInteractionFlags(Qt::NoTextInteraction);
    } else {
        QGraphicsTextItem::focusOutEvent(event);
    }
}

void CQEditableGraphicsTextItem::focusOutEvent(QFocusEvent *event)
{
    EndTextInteraction(event);
    if (toPlainText() != oldValue)
        emit sig_focusOut(oldValue);
}

void CQEditableGraphicsTextItem::RestoreTextBeforeEdit()
{
    if (toPlainText() != oldValue)
        setPlainText(oldValue);
}

void CQEditableGraphicsTextItem::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        RestoreTextBeforeEdit();
        clearFocus();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A name or number is one line: Enter finishes the edit instead.
        clearFocus();
        if (QGraphicsScene *pScene = scene())
            pScene->clearSelection();
        return;
    }
    QGraphicsTextItem::keyPressEvent(event);
}

void CQEditableGraphicsTextItem::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    if (!editable) {
        QGraphicsTextItem::mouseDoubleClickEvent(event);
        return;
    }
    StartEditing(false);
}

QVariant CQEditableGraphicsTextItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && scene())
        emit sig_positionChanged(value.toPointF());
    return QGraphicsTextItem::itemChange(change, value);
}
