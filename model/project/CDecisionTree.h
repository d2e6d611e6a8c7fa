#pragma once

#include "CVariables.h"

class CNode;

// Owns the Root of one project's tree and, through it, every attached node,
// together with the variables its formulas use.
class CDecisionTree
{
public:
    CDecisionTree() = default;
    CDecisionTree(const CDecisionTree &) = delete;
    CDecisionTree &operator=(const CDecisionTree &) = delete;
    virtual ~CDecisionTree();

    CNode *GetRoot() const { return root; }
    // Takes ownership of pNode. A Root held before is freed together with
    // everything still attached below it, so no node is left pointing at it.
    void SetRoot(CNode *pNode);
    // Gives up ownership of the Root without freeing anything.
    CNode *TakeRoot();

    // True when every Situation at or below pNode (the Root when null) has
    // options whose probabilities add up to 1 within 0.0001.
    bool IsProbabilityConsistent(const CNode *pNode = nullptr) const;

    CVariables &Variables() { return variables; }
    const CVariables &Variables() const { return variables; }
    // Computes every formula into the nodes' numbers (before a rollback) and
    // returns what kept any of them from being computed.
    std::vector<CVariables::Problem> ApplyFormulas();
    // True when the project has variables or any node a formula.
    bool UsesFormulas() const;

private:
    CNode *root = nullptr;
    CVariables variables;
};
