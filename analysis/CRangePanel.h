#pragma once

#include "CAnalysisPanel.h"
#include "CTypedNumber.h"

#include <QStringList>
#include <QVector>

class QLineEdit;
class QPlainTextEdit;

// A one-way analysis: the tree's value while one input runs over a range
// typed above the chart, with the break-even points where a Decision changes
// its choice listed below it. The payoff or probability of an option, or a
// variable.
class CRangePanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    // The break-even points shown, in order.
    QVector<double> BreakEvens() const { return breakEvens; }

protected:
    CRangePanel(CProjectDocument *pDocument, QWidget *parent);

    // Places "from [low] to [high]" in the row above the chart, after the
    // controls the panel placed there first.
    void AddRangeControls();
    // What the range's ends are typed as.
    virtual CTypedNumber::Kind RangeKind() const { return CTypedNumber::Kind::Amount; }
    // The range a new input starts with, until the user types one.
    void ShowDefaultRange(double dLow, double dHigh);
    // Both ends as typed; false, with the refusal as the note, when either
    // is no number.
    bool ReadRange(double *pLow, double *pHigh);
    // Before an analysis: no break-even shown yet.
    void ClearBreakEvens();
    // After it: breakEvenLines listed below the chart, when there are any.
    void ShowBreakEvens();
    // A grey square on pChart at dNow, today's value of the input, and
    // dValue, the tree's, when the range dLow..dHigh holds it.
    void AddNowMarker(QtCharts::QChart *pChart, double dNow, double dValue, double dLow,
                      double dHigh) const;
    // The note and every break-even point in full.
    QStringList Findings() const override;

    // Whether the user typed the range, which then stays for the same input.
    bool rangeFromUser = false;
    QVector<double> breakEvens;
    QStringList breakEvenLines;

private slots:
    void OnRangeEdited();

private:
    QLineEdit *lowEdit = nullptr;
    QLineEdit *highEdit = nullptr;
    // The range's ends as last read, for a refused text to go back to.
    QString lowRead;
    QString highRead;
    QPlainTextEdit *breakEvenText = nullptr;
};
