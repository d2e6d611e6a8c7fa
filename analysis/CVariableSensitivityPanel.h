#pragma once

#include "CRangePanel.h"

#include <QPointF>
#include <QVector>

#include <string>

// One-way sensitivity on a variable of the project: the tree's value while
// the variable runs over a range, every formula that uses it recomputed, with
// the break-even points where a Decision changes its choice marked and listed.
class CVariableSensitivityPanel : public CRangePanel
{
    Q_OBJECT

public:
    CVariableSensitivityPanel(CProjectDocument *pDocument, const std::string &strVariable,
                              QWidget *parent = nullptr);

    // Analyses another variable, over its own range.
    void SetVariable(const std::string &strVariable);
    const std::string &Variable() const { return variable; }
    // The shaded stretches (from, to) where probabilities do not add up.
    QVector<QPointF> InconsistentStretches() const { return inconsistentStretches; }

protected:
    void Recompute() override;

private:
    // Low..High of the variable, or half its value each way.
    void SetDefaultRange(int nVariable);

    std::string variable;
    QVector<QPointF> inconsistentStretches;
};
