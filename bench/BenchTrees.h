#pragma once

#include "CNode.h"

#include <deque>

// Tree shapes for the benchmarks. The caller owns the returned Root.
namespace BenchTrees {

// Grows a tree breadth-first, replacing each Terminal by a Decision or
// Situation with two options, until it holds at least nNodes nodes.
inline CNode *MakeBalanced(int nNodes)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Balanced");
    std::deque<CNode *> ends{pRoot};
    int nCount = 1;
    bool bChance = false;
    while (nCount + static_cast<int>(ends.size()) < nNodes && !ends.empty()) {
        CNode *pEnd = ends.front();
        ends.pop_front();
        CNode *pInner =
            bChance ? CNode::CreateSituation(pEnd, "S") : CNode::CreateDecision(pEnd, "D");
        bChance = !bChance;
        ++nCount;
        for (int i = 0; i < 2; ++i) {
            CNode *pOption = CNode::CreateOption(pInner, "O");
            pOption->probability = 0.5;
            pOption->payoff = (nCount % 7) - 3;
            ends.push_back(pOption);
            ++nCount;
        }
    }
    for (CNode *pEnd : ends) {
        CNode::CreateTerminal(pEnd, "");
        ++nCount;
    }
    return pRoot;
}

// Root - Decision - Option - Decision - ... ending in a Terminal.
inline CNode *MakeChain(int nNodes)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Chain");
    CNode *pTail = pRoot;
    for (int i = 1; i < nNodes - 1; ++i)
        pTail = (i % 2 == 1) ? CNode::CreateDecision(pTail, "D") : CNode::CreateOption(pTail, "O");
    CNode::CreateTerminal(pTail, "");
    return pRoot;
}

inline int CountNodes(const CNode *pRoot)
{
    int nCount = 0;
    std::vector<const CNode *> pending{pRoot};
    while (!pending.empty()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        ++nCount;
        for (const CNode *pChild : pNode->children)
            pending.push_back(pChild);
    }
    return nCount;
}

} // namespace BenchTrees
