#include "CProbabilityGraphicsTextItem.h"

#include "NumberPrecision.h"

#include <QLocale>
#include <QtMath>

namespace {

// Edits closer than this to the committed value are not worth an undo step.
constexpr double kUnchangedTolerance = 0.00001;

} // namespace

CProbabilityGraphicsTextItem::CProbabilityGraphicsTextItem(QGraphicsItem *parent,
                                                           const QString &text, bool bMovable,
                                                           bool bEditable)
    // The text comes from the program, written as QString::number writes.
    : CProbabilityGraphicsTextItem(parent, text.toDouble(), bMovable, bEditable)
{
}

CProbabilityGraphicsTextItem::CProbabilityGraphicsTextItem(QGraphicsItem *parent,
                                                           double dProbability, bool bMovable,
                                                           bool bEditable)
    // The text is shown only as a percentage, so the base starts empty and the
    // text is laid out once, not twice.
    : CQEditableGraphicsTextItem(parent, QString(), bMovable, bEditable)
{
    SetProbability(dProbability);
}

bool CProbabilityGraphicsTextItem::SetProbability(double dProbability)
{
    probability = dProbability;
    const QString strText = NumberAtPrecision(probability * 100, 4) + QStringLiteral("%");
    // Laying out the same text again is what makes refreshing a large tree
    // slow; what the text shows is known without reading it back.
    if (strText == shownText)
        return false;
    shownText = strText;
    setPlainText(strText);
    return true;
}

double CProbabilityGraphicsTextItem::GetProbability() const
{
    return Typed().ValueOr(probability);
}

CTypedNumber CProbabilityGraphicsTextItem::Typed() const
{
    return hasFocus() ? ValueOf(toPlainText()) : CTypedNumber(probability);
}

CTypedNumber CProbabilityGraphicsTextItem::ValueOf(const QString &strText) const
{
    if (strText == shownEditText)
        return CTypedNumber(probability);
    return CTypedNumber::Read(strText, CTypedNumber::Kind::Probability);
}

void CProbabilityGraphicsTextItem::focusInEvent(QFocusEvent *event)
{
    // Skips the base on purpose: the value before the edit is `probability`,
    // not the percentage text that was on display.
    MakeDocument();
    QGraphicsTextItem::focusInEvent(event);
    // A formula is edited as written.
    shownEditText = EditText().isEmpty() ? NumberAtPrecision(probability, 6) : EditText();
    shownText = shownEditText;
    setPlainText(shownEditText);
}

void CProbabilityGraphicsTextItem::RestoreTextBeforeEdit()
{
    // The rounded edit text stands for the exact value behind it (see ValueOf).
    if (hasFocus() && toPlainText() != shownEditText)
        setPlainText(shownEditText);
}

void CProbabilityGraphicsTextItem::focusOutEvent(QFocusEvent *event)
{
    EndTextInteraction(event);
    const QString strTyped = toPlainText();
    const CTypedNumber typed = ValueOf(strTyped);
    shownEditText.clear();
    if (!typed.IsNumber()) {
        // Back to the percentage from before: the node reads it from there.
        SetProbability(probability);
        AboutToSignal();
        emit sig_notNumber(strTyped);
        return;
    }
    const double dTyped = typed.ValueOr(probability);
    // The value before the edit travels as text; it is written with as many
    // digits as it takes to read back exactly.
    if (qAbs(dTyped - probability) > kUnchangedTolerance) {
        AboutToSignal();
        emit sig_focusOut(NumberAtPrecision(probability, QLocale::FloatingPointShortest));
    }
    SetProbability(dTyped);
}
