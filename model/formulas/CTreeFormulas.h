#pragma once

#include "CTypedNumber.h"
#include "CVariables.h"

#include <QCoreApplication>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

class CFormulaUsers;
class CNode;

// Brings a tree's formulas up to date: the variables first, in the order they
// use each other, then every option's payoff and probability formula, then
// each "#" as the rest of its Situation. The numbers land in the nodes'
// payoff and probability, where the rollback reads them; a formula that
// cannot be computed leaves its node's number as it was.
class CTreeFormulas
{
    Q_DECLARE_TR_FUNCTIONS(CTreeFormulas)

public:
    // The probability formula that stands for the rest of a Situation.
    static const char *const Rest;

    // What a text typed for pOption's payoff or probability stands for: a
    // number by the one rule for typed numbers, else a formula of the
    // variables, computed once to see that it can be. A text that tries to
    // be a number ("1.500" where that could mean two things) is refused as a
    // number, never read as a formula that happens to parse.
    struct Typed
    {
        double value = 0.0;
        // Empty for a plain number.
        std::string formula;
        // Why the text was refused; empty when it was not.
        QString refusal;
    };
    static Typed Read(const QString &strText, CTypedNumber::Kind kind, const CNode *pOption,
                      const CVariables &variables);

    // Computes everything and returns every problem found. Several "#" in one
    // Situation share the rest equally; a rest below 0 gives them 0, so the
    // Situation's probabilities show that they do not add up.
    static std::vector<CVariables::Problem> Apply(CNode *pRoot, CVariables &variables);
    // The same after a change of values alone (no formula, name or shape of
    // the tree changed since last was found), once the variables have been
    // computed, with variableProblems found: only the formulas of nodes,
    // then every rest. Returns what Apply would: last's problems of other
    // nodes stand, since only values changed.
    static std::vector<CVariables::Problem>
    ApplyTo(const std::vector<CNode *> &nodes, CVariables &variables, const CFormulaUsers &users,
            std::vector<CVariables::Problem> variableProblems,
            const std::vector<CVariables::Problem> &last);
    // Whether a probability formula stands for the rest of its Situation.
    static bool IsRest(const std::string &strFormula);
    // True when any node at or below pRoot carries a formula.
    static bool UsesFormulas(const CNode *pRoot);
    // How many nodes' formulas mention each name, in one walk of the tree.
    static std::unordered_map<std::string, int> UseCounts(const CNode *pRoot);
    // The nodes whose formulas mention the name, in depth-first order.
    static std::vector<const CNode *> Users(const CNode *pRoot, const std::string &strName);
    struct NodeFormulas
    {
        CNode *node;
        std::string payoff;
        std::string probability;
        // The second payoff's formula is changed only where this is set.
        bool withPayoff2 = false;
        std::string payoff2;
    };
    // Renames variable n and every use of it in the variables' formulas;
    // returns the formulas of the nodes that use it, renamed, and leaves
    // the nodes as they are, so that the change can be made as one step.
    static std::vector<NodeFormulas> Rename(CNode *pRoot, CVariables &variables, int n,
                                            const std::string &strNew);

    // "Variable \"a\": ..." or "Option \"Wet\", payoff: ...".
    static QString Describe(const CVariables::Problem &problem);
    // Every problem, one per line; empty when there is none.
    static QString Message(const std::vector<CVariables::Problem> &problems);
};
