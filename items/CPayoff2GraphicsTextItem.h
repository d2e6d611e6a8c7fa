#pragma once

#include "CQEditableGraphicsTextItem.h"

struct NumberFormat;

// In a project of two criteria, the second number under a node's first: an
// option's second payoff, typed as the first is, or the second expected
// criterion of a Decision, Situation or end. It keeps the value it shows,
// so that another number format words the same value again, and what is
// wrong with its formula.
//
// It is made only for projects of two criteria, as a child of the first
// payoff's text, so that a project of one costs nothing for it.
class CPayoff2GraphicsTextItem : public CQEditableGraphicsTextItem
{
    Q_OBJECT

public:
    // In colour, the text's own unless its formula has a problem.
    CPayoff2GraphicsTextItem(QGraphicsItem *pPayoffText, bool bEditable, const QColor &colour);

    // Shows dValue worded by pFormat (null: the plain display); the edit then
    // starts from strFormula, else from the plain number where the format
    // words it otherwise.
    void Show(double dValue, const NumberFormat *pFormat, const QString &strFormula);
    double Value() const { return value; }
    // What was typed, after the value from before is shown again: whoever
    // takes the typed text shows the new value.
    QString TakeTyped();

    // What keeps its formula from being computed (empty for nothing): the
    // text is flagged in red, with the reason in its tool tip.
    void ShowProblem(const QString &strProblem);
    const QString &Problem() const { return problem; }

private:
    QColor colour;
    double value = 0.0;
    QString shownText;
    QString problem;
};
