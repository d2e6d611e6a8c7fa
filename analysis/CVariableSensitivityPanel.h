#pragma once

#include "CAnalysisPanel.h"

#include <QPointF>
#include <QVector>

#include <string>

class CTypedNumber;
class QLineEdit;
class QPlainTextEdit;

// One-way sensitivity on a variable of the project: the tree's value while
// the variable runs over a range, every formula that uses it recomputed, with
// the break-even points where a Decision changes its choice marked and listed.
class CVariableSensitivityPanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    CVariableSensitivityPanel(CProjectDocument *pDocument, const std::string &strVariable,
                              QWidget *parent = nullptr);

    // Analyses another variable, over its own range.
    void SetVariable(const std::string &strVariable);
    const std::string &Variable() const { return variable; }
    QVector<double> BreakEvens() const { return breakEvens; }
    // The shaded stretches (from, to) where probabilities do not add up.
    QVector<QPointF> InconsistentStretches() const { return inconsistentStretches; }
    QString TableText() const override { return tableText; }

protected:
    void Recompute() override;
    QStringList Findings() const override;

private slots:
    void OnRangeEdited();

private:
    // Low..High of the variable, or half its value each way.
    void SetDefaultRange(int nVariable);

    std::string variable;
    bool rangeFromUser = false;
    QString lowRead;
    QString highRead;
    QString tableText;
    QVector<double> breakEvens;
    QVector<QPointF> inconsistentStretches;
    QStringList breakEvenLines;
    QLineEdit *lowEdit = nullptr;
    QLineEdit *highEdit = nullptr;
    QPlainTextEdit *breakEvenText = nullptr;
};
