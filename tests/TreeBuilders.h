#pragma once

#include "CDecisionTree.h"
#include "CNode.h"

#include <string>

// Small tree-making helpers shared by the model tests.
namespace TreeBuilders {

// An option with its probability and payoff, ending in a Terminal.
inline CNode *AddOption(CNode *pOwner, const std::string &strName, double dProbability,
                        double dPayoff)
{
    CNode *pOption = CNode::CreateOption(pOwner, strName);
    pOption->probability = dProbability;
    pOption->payoff = dPayoff;
    CNode::CreateTerminal(pOption, "");
    return pOption;
}

// Replaces an option's Terminal with a new node of the given kind.
inline CNode *ReplaceTerminal(CNode *pOption, CNode *(*create)(CNode *, const std::string &),
                              const std::string &strName)
{
    CNode *pTerminal = pOption->children.front();
    pOption->RemoveChild(pTerminal);
    CNode::FreeSubtree(pTerminal);
    return create(pOption, strName);
}

// The worked example: Root - D(A: 1/10 -> TA, B: 1/0 -> S(S1: 0.4/30, S2: 0.6/-5)).
struct WorkedExample
{
    CDecisionTree tree;
    CNode *root, *d, *a, *b, *ta, *s, *s1, *s2, *t1, *t2;

    WorkedExample()
    {
        root = CNode::CreateRoot(nullptr, "Plan");
        tree.SetRoot(root);
        d = CNode::CreateDecision(root, "D");
        a = AddOption(d, "A", 1.0, 10.0);
        b = AddOption(d, "B", 1.0, 0.0);
        ta = a->children.front();
        s = ReplaceTerminal(b, &CNode::CreateSituation, "S");
        s1 = AddOption(s, "S1", 0.4, 30.0);
        s2 = AddOption(s, "S2", 0.6, -5.0);
        t1 = s1->children.front();
        t2 = s2->children.front();
    }
};

// A chain Root - Decision - Option - Decision - ... of the given depth in
// nodes, ending in a Terminal; returns the Root. The caller owns it.
inline CNode *MakeChain(int nDepth)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Deep");
    CNode *pTail = pRoot;
    for (int i = 1; i < nDepth - 1; ++i) {
        if (i % 2 == 1) {
            pTail = CNode::CreateDecision(pTail, "D");
        } else {
            pTail = CNode::CreateOption(pTail, "O");
            pTail->payoff = 1.0;
        }
    }
    CNode::CreateTerminal(pTail, "");
    return pRoot;
}

} // namespace TreeBuilders
