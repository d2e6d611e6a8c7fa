#pragma once

#include "CDecisionRule.h"
#include "CSensitivityAnalysis.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class CDecisionTree;
class CTreeIndex;

// Two-way sensitivity: two inputs run over a grid of (N + 1) x (N + 1)
// points at once, and at every point the Root's value, the option the first
// Decision chooses (as in the risk profiles) and whether the tree is a
// distribution there. The tree itself is never changed.
//
// Each row holds the second input (y) at one value and moves the first (x)
// by the one-way analysis, so every row also has the exact break-evens of x,
// and a map drawn from them has exact boundaries on every row rather than
// ones read off the grid. An input given by a formula is held at the number
// it is moved to, not recomputed; a moved probability takes its change from
// its siblings as in the one-way analysis.
class CTwoWayAnalysis
{
    Q_DECLARE_TR_FUNCTIONS(CTwoWayAnalysis)

public:
    // (N + 1)^2 rollbacks of the whole tree must stay affordable.
    static constexpr int MaxSteps = 1000;

    struct Input
    {
        // Node of the tree's CTreeIndex; -1 for a variable or the weight.
        int option = -1;
        std::string variable; // the variable moved, or empty
        CSensitivityAnalysis::Parameter kind = CSensitivityAnalysis::Parameter::Payoff;
        double low = 0.0;
        double high = 0.0;

        bool operator==(const Input &other) const
        {
            return option == other.option && variable == other.variable &&
                   (option < 0 ? (kind == CSensitivityAnalysis::Parameter::Weight) ==
                                     (other.kind == CSensitivityAnalysis::Parameter::Weight)
                               : kind == other.kind);
        }
    };
    struct Point
    {
        double x = 0.0;
        double y = 0.0;
        double value = 0.0;
        int chosen = -1; // option of Decision(), -1 where it has none
        bool consistent = true;
    };
    struct Row
    {
        double y = 0.0;
        // Of every Decision that changes its choice along the row, by x.
        std::vector<CSensitivityAnalysis::BreakEven> breakEvens;
    };

    explicit CTwoWayAnalysis(const CDecisionTree &tree,
                             const CDecisionRule &rule = CDecisionRule());

    // False, with Error() telling why, when an input or a range does not fit,
    // or the tree cannot be analysed (TreeAtFault() then).
    bool Run(const Input &x, const Input &y, int nSteps = CSensitivityAnalysis::DefaultSteps);
    QString Error() const { return error; }
    bool TreeAtFault() const { return treeAtFault; }

    const Input &X() const { return inputX; }
    const Input &Y() const { return inputY; }
    int Steps() const { return steps; }
    // The inputs as the tree stands, and the Root's value there.
    double CurrentX() const { return currentX; }
    double CurrentY() const { return currentY; }
    double CurrentValue() const { return currentValue; }
    // The first Decision, whose choice the grid tells; -1 when none.
    int Decision() const { return decision; }
    // Row by row from the lowest y, each from the lowest x.
    const std::vector<Point> &Grid() const { return grid; }
    const Point &At(int nColumn, int nRow) const
    {
        return grid[size_t(nRow) * size_t(steps + 1) + size_t(nColumn)];
    }
    const std::vector<Row> &Rows() const { return rows; }
    // The options Decision() chooses somewhere on the grid, in their order.
    std::vector<int> ChosenOptions() const;

    // "payoff of \"sell\" (#3)" or "variable cost": how an input is named.
    static QString Describe(const CTreeIndex &index, const Input &input);
    // A row per point of the grid, the rows of y in turn: x, y, the value,
    // the option chosen and whether the probabilities are consistent there.
    CAnalysisTable Table(const CTreeIndex &index) const;

private:
    static constexpr auto Weight = CSensitivityAnalysis::Parameter::Weight;
    static bool IsVariable(const Input &input) { return input.option < 0 && input.kind != Weight; }
    bool Check(const CTreeIndex &index, const Input &input);
    void HoldFormulas(const CTreeIndex &workIndex, const Input &input, CDecisionTree *pWork) const;
    bool SetInput(const CTreeIndex &workIndex, const Input &input, double dValue,
                  CDecisionTree *pWork);
    bool RunRow(const CTreeIndex &workIndex, double dY);
    bool RunVariableRow(const CDecisionTree &work, double dY);

    const CDecisionTree &tree;
    const CDecisionRule rule;
    // The rule of the row being run: the project's, at the row's weight
    // when the weight is y.
    CDecisionRule rowRule;
    QString error;
    bool treeAtFault = false;
    Input inputX;
    Input inputY;
    int steps = 0;
    double currentX = 0.0;
    double currentY = 0.0;
    double currentValue = 0.0;
    int decision = -1;
    std::vector<Point> grid;
    // The probabilities of y's Situation as the tree stands.
    std::vector<double> baseProbabilities;
    std::vector<Row> rows;
};
