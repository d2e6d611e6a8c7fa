#pragma once

#include "CSensitivityAnalysis.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cmath>
#include <string>
#include <vector>

class CDecisionTree;
class CTreeEvaluation;
class CTreeIndex;

// A tornado diagram's data: every option's payoff and every Situation
// option's probability moved down and up by a share of its own value, one at
// a time, with the Root's value at both ends. A probability stays within 0
// and 1 and takes its change from its siblings as in the one-way analysis.
// Inputs that do not move the Root's value are left out; the rest come sorted
// by how far they swing it, the widest first.
//
// Each input costs about as much as the part of the tree it can change: its
// value travels up only until no Decision above can switch any more, and a
// moved payoff is followed below only into Decisions that can switch.
class CTornado
{
    Q_DECLARE_TR_FUNCTIONS(CTornado)

public:
    struct Bar
    {
        int option = -1;      // node of the evaluation's CTreeIndex; -1 for a variable
        std::string variable; // the variable moved, or empty
        CSensitivityAnalysis::Parameter kind = CSensitivityAnalysis::Parameter::Payoff;
        double current = 0.0;
        double low = 0.0; // the parameter at the lower end
        double high = 0.0;
        double valueLow = 0.0; // the Root's value with the parameter at low
        double valueHigh = 0.0;

        double Swing() const { return std::fabs(valueHigh - valueLow); }
    };
    // A variable's bar, rather than an option's or the weight's.
    static bool IsVariable(const Bar &bar)
    {
        return bar.option < 0 && bar.kind != CSensitivityAnalysis::Parameter::Weight;
    }

    explicit CTornado(const CTreeEvaluation &evaluation);

    // False, with Error() telling why, for a tree of the wrong shape or a
    // share that is negative or not a number. Given the evaluated tree, its
    // variables are inputs too, moved over Low..High where both are set and
    // by the share otherwise; payoffs and probabilities given by formulas
    // are then not inputs of their own, as they follow the variables. With
    // two criteria every second payoff and the weight w are inputs too.
    bool Run(double dPercent, const CDecisionTree *pTree = nullptr);
    QString Error() const { return error; }
    double Percent() const { return percent; }
    double CurrentValue() const;
    const std::vector<Bar> &Bars() const { return bars; }
    // How many inputs were moved, with or without a swing.
    int InputCount() const { return inputCount; }
    // Whether the last run moved the variables of a project that has any.
    bool HasVariables() const { return withVariables; }

    // What Run moves, in its order, with option, variable, kind and current
    // value set: every option's payoff, every Situation option's
    // probability, and given pTree, its variables instead of the payoffs and
    // probabilities its formulas give.
    std::vector<Bar> Inputs(const CDecisionTree *pTree) const;
    // The Root's value with an option's payoff or probability (not a
    // variable) at dParameter and the rest of the tree as it is.
    double RootValueWith(const Bar &input, double dParameter);
    // "payoff of \"sell\" (#3)" or "variable cost": how the analyses name an
    // input; nOption is a node of index, or -1 for the variable.
    static QString Describe(const CTreeIndex &index, int nOption,
                            CSensitivityAnalysis::Parameter kind, const std::string &strVariable);
    // "sell:payoff", "#3:payoff" where several options share the name or it
    // is empty, or a variable's name: an input as tables and the command
    // line name it.
    static QString ShortName(const CTreeIndex &index, int nOption,
                             CSensitivityAnalysis::Parameter kind, const std::string &strVariable);
    // A row per input that swings the value, the widest first.
    CAnalysisTable Table(const CTreeIndex &index) const;
    // Changes of the Root's value up to this count as none: the rounding of
    // siblings that make up for a moved probability.
    double Noise() const;

private:
    bool AddVariable(const CDecisionTree &tree, Bar bar, double dShare);
    void Keep(Bar bar);
    // n's value when every leaf below it moves by dShift.
    double ShiftedValue(int n, double dShift);
    // The Root's value once n's value has become dValue.
    double RootAfter(int n, double dValue);

    const CTreeEvaluation &evaluation;
    QString error;
    double percent = 0.0;
    // Swings up to this count as none.
    double noise = 0.0;
    int inputCount = 0;
    bool withVariables = false;
    std::vector<Bar> bars;
    // Scratch space, kept between inputs.
    std::vector<int> order;
    std::vector<double> outcomes;
    std::vector<double> probabilities;
};
