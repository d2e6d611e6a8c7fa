#include "CQEditableGraphicsTextItem.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The margin QTextDocument keeps around its text.
constexpr qreal kMargin = 4;

// Whether a text lays out as one left-to-right line, which a document lays
// out just as drawing it alone does. (Right-to-left text gets room for the
// cursor on its other side.)
bool IsPlainLine(const QString &text)
{
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        const QChar::Direction direction = c.direction();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph || direction == QChar::DirR ||
            direction == QChar::DirAL || direction == QChar::DirAN ||
            (direction >= QChar::DirLRE && direction <= QChar::DirPDF) ||
            direction >= QChar::DirLRI)
            return false;
    }
    return true;
}

// The width of a text as a line of it is laid out. Shaping a text to measure
// it is most of the cost of changing it, and a refresh changes thousands of
// numbers at once; when the font sets the characters of numbers side by side
// unchanged, a number's width is the sum of theirs. What this font does is
// found out once and kept, as Qt keeps its glyphs. Other texts are shaped
// once each: a large tree repeats its names ("Yes", "Success") thousands of
// times over.
qreal TextWidth(const QFont &font, const QFontMetricsF &metrics, const QString &text)
{
    static const QString digits = QStringLiteral("0123456789.-+e%");
    // Enough for every name of a large generated tree; a tree of unique
    // names starts the list afresh now and then.
    constexpr int MaxKeptWidths = 4096;
    static QFont measured;
    static bool bMeasured = false;
    static bool bSideBySide = false;
    static qreal advances[128] = {};
    static QHash<QString, qreal> shaped;
    if (!bMeasured || !(font == measured)) {
        bMeasured = true;
        measured = font;
        shaped.clear();
        for (const QChar c : digits)
            advances[c.unicode()] = metrics.horizontalAdvance(QString(c));
        bSideBySide = true;
        for (const QChar a : digits)
            for (const QChar b : digits)
                bSideBySide = bSideBySide && metrics.horizontalAdvance(QString(a) + b) ==
                                                 advances[a.unicode()] + advances[b.unicode()];
    }
    qreal dWidth = 0;
    for (const QChar c : text) {
        if (!bSideBySide || !digits.contains(c)) {
            const auto found = shaped.constFind(text);
            if (found != shaped.constEnd())
                return *found;
            if (shaped.size() >= MaxKeptWidths)
                shaped.clear();
            return shaped[text] = metrics.horizontalAdvance(text);
        }
        dWidth += advances[c.unicode()];
    }
    return dWidth;
}

} // namespace

CQEditableGraphicsTextItem::CQEditableGraphicsTextItem(QGraphicsItem *parent, const QString &text,
                                                       bool bMovable, bool bEditable)
    : QGraphicsTextItem(parent), editable(bEditable)
{
    setFlag(ItemIsMovable, bMovable);
    setFlag(ItemSendsGeometryChanges, bMovable);
    setFlag(ItemIsSelectable, true);
    // A dropped text would change a name or number behind the undo history.
    setAcceptDrops(false);
    setPlainText(text);
}

void CQEditableGraphicsTextItem::SetEditable(bool bEditable)
{
    editable = bEditable;
}

QSizeF CQEditableGraphicsTextItem::TextSize(const QString &text)
{
    const QFont font = QGuiApplication::font();
    const QFontMetricsF metrics(font);
    return QSizeF(TextWidth(font, metrics, text) + 2 * kMargin, metrics.height() + 2 * kMargin);
}

qreal CQEditableGraphicsTextItem::Margin()
{
    return kMargin;
}

QString CQEditableGraphicsTextItem::toPlainText() const
{
    return drawn ? drawnText : QGraphicsTextItem::toPlainText();
}

void CQEditableGraphicsTextItem::setPlainText(const QString &text)
{
    if (drawn && !IsPlainLine(text))
        MakeDocument();
    if (!drawn) {
        // The document reports the change itself.
        QGraphicsTextItem::setPlainText(text);
        return;
    }
    drawnText = text;
    sizeStale = true;
    if (!geometryWaits)
        CatchUpGeometry();
    SendContentsChanged();
}

void CQEditableGraphicsTextItem::AboutToSignal()
{
    if (partConnected || signalsBlocked())
        return;
    // Most texts of a large tree never send anything: a text's connections
    // to its node, made as the text was, cost opening and closing a tenth.
    auto *pOwner = dynamic_cast<CQEditableGraphicsTextItem *>(parentItem());
    partConnected = !pOwner || pOwner->ConnectPart(this);
}

bool CQEditableGraphicsTextItem::ConnectPart(CQEditableGraphicsTextItem *)
{
    return true;
}

void CQEditableGraphicsTextItem::SendContentsChanged()
{
    if (!signalsBlocked())
        AboutToSignal();
    emit sig_contentsChanged();
}

void CQEditableGraphicsTextItem::CatchUpGeometry()
{
    geometryWaits = false;
    if (!sizeStale)
        return;
    sizeStale = false;
    const QSizeF size = TextSize(drawnText);
    if (size != drawnSize) {
        prepareGeometryChange();
        drawnSize = size;
    }
    update();
}

QColor CQEditableGraphicsTextItem::defaultTextColor() const
{
    if (!drawn)
        return QGraphicsTextItem::defaultTextColor();
    return drawnColour.isValid() ? drawnColour : QGuiApplication::palette().color(QPalette::Text);
}

void CQEditableGraphicsTextItem::setDefaultTextColor(const QColor &colour)
{
    if (!drawn) {
        QGraphicsTextItem::setDefaultTextColor(colour);
        return;
    }
    drawnColour = colour;
    update();
}

QTextDocument *CQEditableGraphicsTextItem::document()
{
    MakeDocument();
    return QGraphicsTextItem::document();
}

void CQEditableGraphicsTextItem::MakeDocument()
{
    if (!drawn)
        return;
    prepareGeometryChange();
    drawn = false;
    geometryWaits = sizeStale = false;
    QGraphicsTextItem::setPlainText(drawnText);
    if (drawnColour.isValid())
        QGraphicsTextItem::setDefaultTextColor(drawnColour);
    // The text's own undo history starts with the edit, not before it.
    QGraphicsTextItem::document()->clearUndoRedoStacks();
    connect(QGraphicsTextItem::document(), &QTextDocument::contentsChanged, this,
            &CQEditableGraphicsTextItem::SendContentsChanged);
    drawnText.clear();
}

QRectF CQEditableGraphicsTextItem::boundingRect() const
{
    return drawn ? QRectF(QPointF(0, 0), drawnSize) : QGraphicsTextItem::boundingRect();
}

QPainterPath CQEditableGraphicsTextItem::shape() const
{
    if (!drawn)
        return QGraphicsTextItem::shape();
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void CQEditableGraphicsTextItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                                       QWidget *widget)
{
    if (drawn && !drawnText.isEmpty()) {
        painter->save();
        const QFont font = QGuiApplication::font();
        painter->setFont(font);
        painter->setPen(defaultTextColor());
        painter->drawText(QPointF(kMargin, kMargin + QFontMetricsF(font).ascent()), drawnText);
        painter->restore();
    }
    // Without a document this draws only the selection frame, whose pen
    // and brush would stay behind for the next item (the window does not
    // save the painter's state around each).
    painter->save();
    QGraphicsTextItem::paint(painter, option, widget);
    painter->restore();
}

bool CQEditableGraphicsTextItem::StartEditing(bool bSelectAll)
{
    if (!editable)
        return false;
    MakeDocument();
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
    MakeDocument();
    QGraphicsTextItem::focusInEvent(event);
    shownBeforeEdit.clear();
    if (!editText.isEmpty() && editText != toPlainText()) {
        shownBeforeEdit = toPlainText();
        // Nothing was typed yet: the owner hears of it as of no change.
        const QSignalBlocker blocker(this);
        setPlainText(editText);
    }
    oldValue = toPlainText();
}

void CQEditableGraphicsTextItem::EndTextInteraction(QFocusEvent *event)
{
    if (editable && !drawn) {
        // The text control is not told that the focus went, so it would keep
        // painting a selection made during the edit; drop it with the edit.
        QTextCursor cursor = textCursor();
        cursor.clearSelection();
        setTextCursor(cursor);
        setTextInteractionFlags(Qt::NoTextInteraction);
    } else if (!editable) {
        QGraphicsTextItem::focusOutEvent(event);
    }
}

void CQEditableGraphicsTextItem::focusOutEvent(QFocusEvent *event)
{
    EndTextInteraction(event);
    if (toPlainText() != oldValue) {
        if (!signalsBlocked())
            AboutToSignal();
        emit sig_focusOut(oldValue);
    } else if (!shownBeforeEdit.isEmpty()) {
        // Heard by the owner: what was typed before an Escape is undone with it.
        setPlainText(shownBeforeEdit);
    }
    shownBeforeEdit.clear();
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
        if (drawn)
            QGraphicsItem::mouseDoubleClickEvent(event);
        else
            QGraphicsTextItem::mouseDoubleClickEvent(event);
        return;
    }
    StartEditing(false);
}

QVariant CQEditableGraphicsTextItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && scene()) {
        if (!signalsBlocked())
            AboutToSignal();
        emit sig_positionChanged(value.toPointF());
        if (!signalsBlocked())
            PositionChanging(value.toPointF());
    }
    return QGraphicsTextItem::itemChange(change, value);
}

// A text that is only drawn takes the mouse as any other item: selection and
// moving; text interaction needs the document.
void CQEditableGraphicsTextItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    drawn ? QGraphicsItem::mousePressEvent(event) : QGraphicsTextItem::mousePressEvent(event);
}

void CQEditableGraphicsTextItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    drawn ? QGraphicsItem::mouseMoveEvent(event) : QGraphicsTextItem::mouseMoveEvent(event);
}

void CQEditableGraphicsTextItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    drawn ? QGraphicsItem::mouseReleaseEvent(event) : QGraphicsTextItem::mouseReleaseEvent(event);
}

void CQEditableGraphicsTextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    drawn ? QGraphicsItem::contextMenuEvent(event) : QGraphicsTextItem::contextMenuEvent(event);
}

void CQEditableGraphicsTextItem::hoverEnterEvent(QGraphicsSceneHoverEvent *event)
{
    drawn ? QGraphicsItem::hoverEnterEvent(event) : QGraphicsTextItem::hoverEnterEvent(event);
}

void CQEditableGraphicsTextItem::hoverMoveEvent(QGraphicsSceneHoverEvent *event)
{
    drawn ? QGraphicsItem::hoverMoveEvent(event) : QGraphicsTextItem::hoverMoveEvent(event);
}

void CQEditableGraphicsTextItem::hoverLeaveEvent(QGraphicsSceneHoverEvent *event)
{
    drawn ? QGraphicsItem::hoverLeaveEvent(event) : QGraphicsTextItem::hoverLeaveEvent(event);
}
