#pragma once

#include "CQEditableGraphicsTextItem.h"
#include "CTypedNumber.h"

// A probability shown as a percentage, edited as a plain fraction (or typed as
// a percentage). The text is read on every keystroke while editing; the value
// is committed on focus-out, or the text refused and put back.
class CProbabilityGraphicsTextItem : public CQEditableGraphicsTextItem
{
    Q_OBJECT

public:
    CProbabilityGraphicsTextItem(QGraphicsItem *parent, const QString &text, bool bMovable,
                                 bool bEditable);
    // The same from the value itself, which is kept exactly.
    CProbabilityGraphicsTextItem(QGraphicsItem *parent, double dProbability, bool bMovable,
                                 bool bEditable);

    // Stores the value and shows it as a percentage. Returns false when the
    // text already read so, in which case it is left untouched and reports
    // nothing.
    bool SetProbability(double dProbability);
    // While editing, the value typed so far, or the one from before while the
    // text does not read (yet).
    double GetProbability() const;
    // Whether the text being edited reads as a number, and why not.
    CTypedNumber Typed() const;

signals:
    // Focus left a text that is no number, maybe a formula; it shows the
    // value from before again.
    void sig_notNumber(const QString &strText);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void RestoreTextBeforeEdit() override;

    double probability = 0.0;

private:
    // The value a text stands for: the exact probability while the text is
    // still the rounded one shown at focus-in, else what the text reads as.
    CTypedNumber ValueOf(const QString &strText) const;

    // The 6-digit text shown when editing began. Entering and leaving the field
    // must not round the value behind it: a third would become 0.333333, and
    // three of them would no longer add up to 1.
    QString shownEditText;
    // The text last put on show (typing changes it only while editing).
    QString shownText;
};
