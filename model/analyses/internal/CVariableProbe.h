#pragma once

#include "CDecisionRule.h"
#include "CVariables.h"

#include <QString>

#include <memory>

class CNode;
class CTreeEvaluation;
class CTreeIndex;

// Rolls back a copy of a tree with one variable set to a chosen value and
// every formula recomputed, for the analyses that move a variable. The copy
// has the shape of the tree, so its nodes carry the tree's index numbers; the
// tree itself is never touched.
class CVariableProbe
{
public:
    // pRoot must not be null. A variable given by a formula is held at the
    // values set here instead. The copy is rolled back by rule, as the tree is.
    CVariableProbe(const CNode *pRoot, const CVariables &treeVariables, int nVariable,
                   const CDecisionRule &rule = CDecisionRule());
    CVariableProbe(const CVariableProbe &) = delete;
    CVariableProbe &operator=(const CVariableProbe &) = delete;
    ~CVariableProbe();

    // Empty when the copy can be analysed; otherwise why not (its shape).
    QString ShapeProblem() const;
    // Evaluates with the variable at dValue. False, with *pError naming the
    // formula, when a formula cannot be computed there.
    bool At(double dValue, QString *pError);
    // The rollback of the last successful At.
    const CTreeEvaluation &Evaluation() const { return *evaluation; }
    const CTreeIndex &Index() const { return *index; }

private:
    CNode *root = nullptr;
    CVariables variables;
    int variable = -1;
    CDecisionRule rule;
    std::unique_ptr<CTreeIndex> index;
    std::unique_ptr<CTreeEvaluation> evaluation;
};
