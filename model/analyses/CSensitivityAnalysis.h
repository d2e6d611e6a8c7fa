#pragma once

#include "CAnalysisTable.h"
#include "CPiecewiseLinear.h"

#include <QCoreApplication>
#include <QString>

#include <map>
#include <utility>
#include <vector>

class CDecisionRule;

class CTreeEvaluation;
class CTreeIndex;

// One-way sensitivity: how the Root's value and the choices of the Decisions
// change while one option's payoff, or one Situation option's probability,
// runs over a range. The tree itself is never changed.
//
// The value of every node above the moved option is piecewise linear in the
// parameter, so the analysis carries exact functions rather than samples:
// a Situation adds its options' functions with their probabilities, a Decision
// takes the rollback's maximum (strictly greater wins, a tie keeps the earlier
// option) and marks where its choice changes. Other decision rules take
// minima, or worst or best options of Situations, which stay piecewise linear. Those points are the
// break-evens, found by solving for the crossing, not read off a grid.
//
// A moved payoff shifts every path below its option. Where the Situations
// below add up to exactly 1, all options of a Decision there move in step and
// no choice below can change. Where they do not (an inconsistent tree),
// options move at different rates; such a Decision is followed with its own
// function like those above, and its changes of choice are reported too.
//
// A moved probability takes its change from the other options of the same
// Situation, in proportion to their probabilities, so that their sum stays
// what it was, even when it is not 1. When the others add up to 0 (normally:
// all are 0) they share the change equally; an only option moves alone.
class CSensitivityAnalysis
{
    Q_DECLARE_TR_FUNCTIONS(CSensitivityAnalysis)

public:
    // In a project of two criteria an option has two payoffs, and the weight
    // w of criterion 1 is an input of its own: the value of every node is
    // piecewise linear in w too, each path's combined value a line in w, so
    // its break-evens are exact as well (those of the Root's Decision are the
    // ICERs of the league table's frontier).
    enum class Parameter
    {
        Payoff,
        Probability,
        SecondPayoff,
        Weight,
    };
    static constexpr int DefaultSteps = 20;
    static constexpr int MaxSteps = 1000000;
    // Why nSteps cannot be the steps of an analysis over a range of at most
    // nMost steps; empty when it can.
    static QString StepsProblem(int nSteps, int nMost = MaxSteps);
    // The parameter as files and tables name it ("payoff", "payoff2", ...),
    // and as a sentence does ("second payoff").
    static QString KindWord(Parameter parameter);
    static QString KindName(Parameter parameter);
    // How fast the combined value of each path below an option moves per
    // unit of its payoff (or second payoff) under rule.
    static double PayoffRate(const CDecisionRule &rule, Parameter parameter);
    // Why a probability has no line to follow under rule; empty when it has.
    static QString ProbabilityProblem(const CDecisionRule &rule);

    // Nodes are indexes of the evaluation's CTreeIndex; -1 where there is none.
    struct BreakEven
    {
        double parameter = 0.0;
        double value = 0.0; // the Root's value there
        int decision = -1;
        int below = -1; // the option chosen just below the parameter
        int above = -1; // and just above
    };
    struct Step
    {
        double parameter = 0.0;
        double value = 0.0;
        // The option chosen by each of SwitchingDecisions(), in that order.
        // Every other Decision keeps its choice over the whole range.
        std::vector<int> choices;
    };
    struct Region
    {
        double from = 0.0;
        double to = 0.0;
        int option = -1;
    };

    explicit CSensitivityAnalysis(const CTreeEvaluation &evaluation);

    // Runs the analysis of nOption's parameter over [dLow, dHigh] in nSteps
    // equal steps (for the weight, nOption is not read). False, with Error()
    // telling why, when the option, the parameter or the range does not fit.
    bool Run(int nOption, Parameter parameter, double dLow, double dHigh,
             int nSteps = DefaultSteps);
    QString Error() const { return error; }
    // Whether the last error lies with the tree (its shape, a value that is
    // not a number) rather than with what was asked.
    bool TreeAtFault() const { return treeAtFault; }

    int Option() const { return option; }
    Parameter Kind() const { return kind; }
    double Low() const { return low; }
    double High() const { return high; }
    // The parameter and the Root's value as the tree stands.
    double Current() const { return current; }
    double CurrentValue() const;

    const std::vector<BreakEven> &BreakEvens() const { return breakEvens; }
    const std::vector<int> &SwitchingDecisions() const { return switching; }
    const std::vector<Step> &Steps() const { return steps; }
    // A row per step: the parameter, the value and the option each of the
    // switching decisions chooses.
    CAnalysisTable Table(const CTreeIndex &index) const;
    // The table of steps of either one-way analysis, the parameter named
    // strParameter (strShownParameter in a window).
    static CAnalysisTable StepTable(const CTreeIndex &index, const QString &strParameter,
                                    const QString &strShownParameter,
                                    const std::vector<int> &switching,
                                    const std::vector<Step> &steps);
    double ValueAt(double dParameter) const;
    // The corners of the Root's value over the range, in order: drawn as a
    // line they are the exact curve.
    std::vector<std::pair<double, double>> Corners() const;
    // The option nDecision chooses at dParameter; any Decision of the tree.
    int ChosenAt(int nDecision, double dParameter) const;
    // Where nDecision keeps one choice, from Low() to High().
    std::vector<Region> Regions(int nDecision) const;
    // The nearest Decision above the moved option, or -1; for the weight,
    // the first Decision of the tree.
    int DecisionAbove() const;

    // The parameter at step nStep of nSteps from dLow to dHigh; the last
    // step is dHigh itself, whatever the rounding.
    static double StepAt(double dLow, double dHigh, int nStep, int nSteps)
    {
        return nStep == nSteps ? dHigh : dLow + (dHigh - dLow) * (double(nStep) / nSteps);
    }
    // The probabilities of a Situation's options once the option at
    // nPosition is set to dValue and the others make up for it as described
    // above.
    static std::vector<double> MovedProbabilities(const std::vector<double> &current, int nPosition,
                                                  double dValue);

private:
    bool Check(int nOption, Parameter parameter, double dLow, double dHigh, int nSteps);
    bool CheckWeight(double dLow, double dHigh, int nSteps);
    // dRate: how fast each path below moves per unit of the parameter.
    CPiecewiseLinear ShiftedBelow(int nNode, double dLowShift, double dHighShift, double dRate);
    // The Root's value as a function of the weight itself.
    CPiecewiseLinear OverWeight();
    CPiecewiseLinear ProbabilityLine(int nSituation, double dLowShift, double dHighShift) const;
    CPiecewiseLinear CombineAbove(int nOwner, int nPosition, const CPiecewiseLinear &moved);
    using Candidates = std::vector<std::pair<int, CPiecewiseLinear>>;
    // Folds a Decision's candidates (child position and function, in order)
    // by the rollback's rule and keeps what is needed to tell its choices.
    CPiecewiseLinear Decide(int nDecision, Candidates candidates);
    // A Situation's worst or best option, under the rules that take one.
    CPiecewiseLinear Extreme(int nSituation, const Candidates &candidates) const;
    int OptionAt(int nDecision, int nPosition) const;
    void CollectResults(int nSteps);

    const CTreeEvaluation &evaluation;
    QString error;
    bool treeAtFault = false;
    int option = -1;
    Parameter kind = Parameter::Payoff;
    double low = 0.0;
    double high = 0.0;
    double current = 0.0;
    // Where the functions' parameter is 0: Current(), or 0 for the weight,
    // whose current value may be infinite.
    double origin = 0.0;
    // Functions of the change of the parameter from origin.
    CPiecewiseLinear root;
    struct Followed
    {
        // Enough options to decide at any point: those that can win.
        Candidates candidates;
        // Where each choice starts, and the child position chosen from there.
        std::vector<std::pair<double, int>> starts;
    };
    std::map<int, Followed> followed;
    std::vector<BreakEven> breakEvens;
    std::vector<int> switching;
    std::vector<Step> steps;
};
