#pragma once

#include "CQEditableGraphicsTextItem.h"

// A probability shown as a percentage, edited as a plain fraction. The text is
// parsed on every keystroke while editing; the value is committed on focus-out.
class CProbabilityGraphicsTextItem : public CQEditableGraphicsTextItem
{
    Q_OBJECT

public:
    CProbabilityGraphicsTextItem(QGraphicsItem *parent, const QString &text, bool bMovable,
                                 bool bEditable);

    // Stores the value and shows it as a percentage. Returns false when the
    // text already read so, in which case it is left untouched and reports
    // nothing.
    bool SetProbability(double dProbability);
    double GetProbability() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void RestoreTextBeforeEdit() override;

    double probability = 0.0;

private:
    // The value a text stands for: the exact probability while the text is
    // still the rounded one shown at focus-in, else what the text reads as.
    double ValueOf(const QString &strText) const;

    // The 6-digit text shown when editing began. Entering and leaving the field
    // must not round the value behind it: a third would become 0.333333, and
    // three of them would no longer add up to 1.
    QString shownEditText;
    // The text last put on show (typing changes it only while editing).
    QString shownText;
};
