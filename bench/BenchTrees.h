#pragma once

#include "CNode.h"

#include <deque>
#include <random>
#include <string>

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

// A tree as people draw them: Decisions and Situations of two to four options
// with names of every length, shares that add up, payoffs in the thousands
// and now and then a comment; grown breadth-first to about nNodes nodes.
inline CNode *MakeRealistic(int nNodes)
{
    static const char *const words[] = {
        "Go",  "Wait",    "Build the plant", "Sell", "Market grows strongly",
        "Dry", "Soaking", "Licence"};
    std::mt19937 rng(7);
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    CNode *pRoot = CNode::CreateRoot(nullptr, "Realistic");
    std::deque<CNode *> ends{pRoot};
    int nCount = 1;
    while (nCount + int(ends.size()) < nNodes && !ends.empty()) {
        CNode *pEnd = ends.front();
        ends.pop_front();
        const bool bChance = pick(2);
        CNode *pInner = bChance ? CNode::CreateSituation(pEnd, words[pick(8)])
                                : CNode::CreateDecision(pEnd, words[pick(8)]);
        const int nOptions = 2 + pick(3);
        nCount += 1 + nOptions;
        for (int i = 0; i < nOptions; ++i) {
            CNode *pOption = CNode::CreateOption(pInner, words[pick(8)]);
            pOption->probability = bChance ? 1.0 / nOptions : 1.0;
            pOption->payoff = (pick(2000000) - 1000000) / 100.0;
            if (!pick(5))
                pOption->payoffComment = "estimate";
            // Some paths end early, as real trees do.
            if (pick(4))
                ends.push_back(pOption);
            else
                CNode::CreateTerminal(pOption, ""), ++nCount;
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
