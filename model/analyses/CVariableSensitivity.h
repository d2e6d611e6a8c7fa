#pragma once

#include "CDecisionRule.h"
#include "CSensitivityAnalysis.h"

#include <QCoreApplication>
#include <QString>

#include <string>
#include <utility>
#include <vector>

class CDecisionTree;
class CTreeIndex;
class CVariableProbe;

// One-way sensitivity on a variable: every formula that uses it is
// recomputed while it runs over a range, and the Root's value and the
// Decisions' choices are followed. The tree itself is never changed.
//
// Formulas may be anything the formula language allows, so the value is not
// known to be linear in the variable. The range is sampled on a fine grid;
// wherever a Decision's choice differs between two neighbouring samples, the
// crossing is closed in by false position on the difference of the two
// options' values, falling back to halving the bracket when a step gains
// less than half. Where the values are linear between kinks (payoffs that
// are sums and multiples of the variable), the first false-position step
// lands exactly on the break-even; elsewhere the bracket shrinks until it is
// within 1e-9 of the break-even, relatively. A choice that changes and
// changes back between two samples of the grid is not seen.
class CVariableSensitivity
{
    Q_DECLARE_TR_FUNCTIONS(CVariableSensitivity)

public:
    // Intervals of the search grid, besides the steps asked for.
    static constexpr int SearchIntervals = 400;

    explicit CVariableSensitivity(const CDecisionTree &tree,
                                  const CDecisionRule &rule = CDecisionRule());
    ~CVariableSensitivity();

    // False, with Error() telling why, for an unknown variable, a range that
    // does not fit, a tree of the wrong shape or a formula that cannot be
    // computed somewhere in the range (TreeAtFault() then).
    bool Run(const std::string &strVariable, double dLow, double dHigh,
             int nSteps = CSensitivityAnalysis::DefaultSteps);
    QString Error() const { return error; }
    bool TreeAtFault() const { return treeAtFault; }

    const std::string &Variable() const { return variable; }
    double Low() const { return low; }
    double High() const { return high; }
    double Current() const { return current; }
    double CurrentValue() const { return currentValue; }
    const std::vector<CSensitivityAnalysis::BreakEven> &BreakEvens() const { return breakEvens; }
    const std::vector<int> &SwitchingDecisions() const { return switching; }
    const std::vector<CSensitivityAnalysis::Step> &Steps() const { return steps; }
    // As the table of CSensitivityAnalysis, the variable naming the parameter.
    CAnalysisTable Table(const CTreeIndex &index) const;
    // The grid samples and the break-evens in order, to draw the curve by.
    const std::vector<std::pair<double, double>> &Corners() const { return corners; }
    // Stretches of the range, from..to, where the tree's probabilities do
    // not form distributions (a formula takes one out of 0..1, or its
    // Situation no longer adds up): its values there count the probabilities
    // as they stand. Each ends half-way to the nearest sample that does.
    const std::vector<std::pair<double, double>> &Inconsistent() const { return inconsistent; }
    // What is wrong at the first sample of the first such stretch.
    QString InconsistencyText() const { return inconsistency; }

private:
    struct Sample
    {
        double parameter = 0.0;
        double value = 0.0;
        // The option each Decision chooses, by the order of decisions.
        std::vector<int> choices;
        // Empty while the probabilities form distributions.
        QString problem;
    };
    bool Probe(CVariableProbe &probe, double dParameter, Sample *pSample);
    bool FindBreakEven(CVariableProbe &probe, size_t nDecision, Sample a, Sample b);

    const CDecisionTree &tree;
    const CDecisionRule rule;
    QString error;
    bool treeAtFault = false;
    std::string variable;
    double low = 0.0;
    double high = 0.0;
    double current = 0.0;
    double currentValue = 0.0;
    std::vector<int> decisions;
    std::vector<CSensitivityAnalysis::BreakEven> breakEvens;
    std::vector<int> switching;
    std::vector<CSensitivityAnalysis::Step> steps;
    std::vector<std::pair<double, double>> corners;
    std::vector<std::pair<double, double>> inconsistent;
    QString inconsistency;
};
