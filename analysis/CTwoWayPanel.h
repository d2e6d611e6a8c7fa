#pragma once

#include "CAnalysisPanel.h"
#include "CSensitivityAnalysis.h"

#include <string>
#include <utility>
#include <vector>

class CNode;
class CStrategyMapItem;
class CTreeIndex;
class CTwoWayAnalysis;
class QComboBox;
class QLineEdit;

// Two-way sensitivity: two inputs (payoffs, probabilities or variables) run
// over a grid, and a map of the plane shows which option the first Decision
// chooses where, hatched where the tree is not consistent, with exact
// boundaries from each row's break-evens and the tree as it stands marked.
class CTwoWayPanel : public CAnalysisPanel
{
    Q_OBJECT

public:
    explicit CTwoWayPanel(CProjectDocument *pDocument, QWidget *parent = nullptr);

    // The map's hover text at a point of the chart's plot area.
    QString TextAt(const QPointF &position) const;
    // Where the map draws the first Decision's changes of choice, row by row
    // from the bottom: each row's height and the changes along it.
    std::vector<std::pair<double, std::vector<double>>> MapChanges() const;
    // Chooses the inputs of the two axes by their places in the lists.
    void ChooseInputs(int nX, int nY);

protected:
    void Recompute() override;
    QStringList Findings() const override { return findings; }

private slots:
    void OnInputChosen();
    void OnRangeEdited();

private:
    // An input as the lists offer it; only compared with the tree's nodes.
    struct Choice
    {
        const CNode *option = nullptr;
        CSensitivityAnalysis::Parameter kind = CSensitivityAnalysis::Parameter::Payoff;
        std::string variable;
        double current = 0.0;
        QString label;
        bool operator==(const Choice &other) const
        {
            return option == other.option && kind == other.kind && variable == other.variable;
        }
    };
    struct Axis
    {
        QComboBox *box = nullptr;
        QLineEdit *low = nullptr;
        QLineEdit *high = nullptr;
        bool rangeFromUser = false;
        QString lowRead;
        QString highRead;
    };
    void FillChoices(const CTreeIndex &index);
    void SetDefaultRange(Axis *pAxis, const Choice &choice);
    bool ReadAxis(Axis *pAxis, const CTreeIndex &index, double *pLow, double *pHigh, int *pOption,
                  std::string *pVariable, CSensitivityAnalysis::Parameter *pKind);
    void Draw(const CTwoWayAnalysis &analysis, const CTreeIndex &index);

    std::vector<Choice> choices;
    Axis axisX;
    Axis axisY;
    CStrategyMapItem *map = nullptr;
    QStringList findings;
};
