#pragma once

#include <QColor>
#include <QGraphicsTextItem>
#include <QPointF>
#include <QSizeF>
#include <QString>

class QTextDocument;

// A text item that is edited in place: a double click starts editing, Enter,
// Return or any loss of focus ends it. Ending an edit that changed the text
// reports the text from before the edit, so the receiver can build an undo step.
// Escape ends it too, but first puts the text back as it was: nothing to report.
//
// Until it is edited, a one-line text is only drawn. The document behind a
// QGraphicsTextItem takes some ten kilobytes, and laying it out most of the
// time of showing a text; a large tree shows tens of thousands of texts that
// are never edited. The document is made, holding the same text, when editing
// begins or someone asks for it; the text measures and draws the same either
// way. Use the text through this class: QGraphicsTextItem's own toPlainText
// knows nothing of a text that is only drawn.
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

    // What editing starts from when it is not the text shown (a formula
    // behind the value on show); empty for the text shown. An edit that
    // leaves it unchanged shows the text from before again, and reports nothing.
    void SetEditText(const QString &strText) { editText = strText; }
    const QString &EditText() const { return editText; }

    QString toPlainText() const;
    void setPlainText(const QString &text);
    QColor defaultTextColor() const;
    void setDefaultTextColor(const QColor &colour);
    QTextDocument *document();

    // The size a text item gives a one-line text.
    static QSizeF TextSize(const QString &text);
    // The room a text item keeps around its text, on every side.
    static qreal Margin();

    // While the geometry waits, a text set changes only the string: what
    // toPlainText answers is current at once, while its size, its place in
    // the scene's index and its repaint wait for CatchUpGeometry. Texts out
    // of sight then cost no more than their strings when thousands change.
    void DeferGeometry() { geometryWaits = true; }
    void CatchUpGeometry();
    bool SizeWaits() const { return sizeStale; }

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

signals:
    // Sent before a move takes effect, with the position the move is about to set.
    void sig_positionChanged(QPointF pntNewPos);
    void sig_focusOut(const QString &strOldValue);
    // The text changed, typed or set by the program.
    void sig_contentsChanged();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    // QGraphicsTextItem's own handlers of these expect a document.
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void hoverEnterEvent(QGraphicsSceneHoverEvent *event) override;
    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    // Called just before this class sends a signal, unless signals are
    // blocked: the last moment to connect whoever hears it. A text inside
    // another asks that one to connect it (ConnectPart), once.
    virtual void AboutToSignal();
    // Connects pPart, a text inside this item, to whoever hears it. True
    // once nothing is left to connect, false to be asked again later.
    virtual bool ConnectPart(CQEditableGraphicsTextItem *pPart);
    // Called just after sig_positionChanged is sent (not while signals are
    // blocked), with the same position.
    virtual void PositionChanging(QPointF) {}

    // Leaves editing; shared with the probability item, which commits its own way.
    void EndTextInteraction(QFocusEvent *event);
    // Moves the text into a document, used for everything from then on.
    void MakeDocument();
    // Shows again the text that the edit started from, so that the focus loss
    // that follows finds nothing changed.
    virtual void RestoreTextBeforeEdit();

    bool editable;
    QString oldValue;
    QString editText;
    // The text on show when an edit from editText began.
    QString shownBeforeEdit;

private:
    void SendContentsChanged();

    // The text while it is only drawn: no document exists.
    bool drawn = true;
    QString drawnText;
    QColor drawnColour;
    QSizeF drawnSize;
    bool geometryWaits = false;
    // drawnSize is not yet that of drawnText.
    bool sizeStale = false;
    // The item this text is part of has connected it (AboutToSignal).
    bool partConnected = false;
};
