#pragma once

// Independent computations to check the analyses against, shared by their
// fuzz target and the tests: small random trees, and what a decision rule,
// a risk profile or the value of information give by their definitions, by
// brute force over every policy (a choice at every Decision), without the
// rollback the analyses use.

#include "CDecisionRule.h"
#include "CNode.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace TreeOracle {

struct Outcome
{
    double probability;
    double total;
};

// A tree of at most nMaxNodes nodes below a Root, grown from nPick(n), which
// gives a number below n: Decisions and Situations of two or three options
// paying -10..10, with shares that add up exactly. Situations are named
// apart, so each is an uncertainty of its own.
inline CNode *RandomTree(const std::function<int(int)> &nPick, int nMaxNodes)
{
    static const std::vector<std::vector<double>> shares{
        {0.5, 0.5}, {0.25, 0.75}, {0.25, 0.25, 0.5}};
    CNode *pRoot = CNode::CreateRoot(nullptr, "Random");
    int nNodes = 2;
    int nSituations = 0;
    std::vector<CNode *> open{pRoot};
    while (!open.empty()) {
        const size_t nAt = size_t(nPick(int(open.size())));
        CNode *pParent = open[nAt];
        open.erase(open.begin() + long(nAt));
        const int nKind = pParent == pRoot ? nPick(2) : nPick(3);
        const int nCount = 2 + nPick(2);
        if (nKind == 2 || nNodes + 1 + 2 * nCount > nMaxNodes) {
            CNode::CreateTerminal(pParent, "");
            continue;
        }
        CNode *pNode = nKind == 0
                           ? CNode::CreateDecision(pParent, "D")
                           : CNode::CreateSituation(pParent, "S" + std::to_string(++nSituations));
        nNodes += 1 + 2 * nCount;
        const std::vector<double> &share = shares[size_t(nCount == 2 ? nPick(2) : 2)];
        for (int i = 0; i < nCount; ++i) {
            CNode *pOption = CNode::CreateOption(pNode, "o" + std::to_string(i));
            pOption->payoff = nPick(21) - 10;
            pOption->probability = nKind == 0 ? 1.0 : share[size_t(i)];
            open.push_back(pOption);
        }
    }
    return pRoot;
}

// Every node, parents first, in the same order for a tree and its clone.
inline std::vector<CNode *> Nodes(CNode *pRoot)
{
    std::vector<CNode *> nodes;
    std::vector<CNode *> pending{pRoot};
    while (!pending.empty()) {
        nodes.push_back(pending.back());
        pending.pop_back();
        pending.insert(pending.end(), nodes.back()->children.rbegin(),
                       nodes.back()->children.rend());
    }
    return nodes;
}

// The totals a policy reaches (choice[i] at the i-th Decision of Nodes())
// and their probabilities; payoffs add up along the path.
inline std::vector<Outcome> Distribution(CNode *pRoot, const std::vector<CNode *> &decisions,
                                         const std::vector<size_t> &choice)
{
    std::vector<Outcome> outcomes;
    std::vector<std::pair<const CNode *, Outcome>> pending{{pRoot, {1.0, 0.0}}};
    while (!pending.empty()) {
        auto [pNode, reached] = pending.back();
        pending.pop_back();
        if (pNode->type == NodeType::Option) {
            reached.total += pNode->payoff;
            if (pNode->parent->type == NodeType::Situation)
                reached.probability *= pNode->probability;
        }
        if (pNode->children.empty()) {
            outcomes.push_back(reached);
        } else if (pNode->type == NodeType::Decision) {
            const size_t nAt =
                size_t(std::find(decisions.begin(), decisions.end(), pNode) - decisions.begin());
            pending.push_back({pNode->children[choice[nAt]], reached});
        } else {
            for (const CNode *pChild : pNode->children)
                pending.push_back({pChild, reached});
        }
    }
    return outcomes;
}

// What the rule makes of one distribution: its mean, its least or most
// total that can happen, or the certainty equivalent of its utility.
inline double Worth(const std::vector<Outcome> &outcomes, const CDecisionRule &rule)
{
    double dSum = 0;
    double dLeast = INFINITY;
    double dMost = -INFINITY;
    for (const Outcome &outcome : outcomes) {
        if (rule.HasRiskTolerance())
            dSum += outcome.probability * std::exp(-outcome.total / rule.RiskTolerance());
        else
            dSum += outcome.probability * outcome.total;
        if (outcome.probability > CDecisionRule::ActivityThreshold) {
            dLeast = std::min(dLeast, outcome.total);
            dMost = std::max(dMost, outcome.total);
        }
    }
    if (rule.HasRiskTolerance())
        return -rule.RiskTolerance() * std::log(dSum);
    if (rule.Expects())
        return dSum;
    return rule.TakesBest() ? dMost : dLeast;
}

// The tree's value by the rule's definition: the best policy's worth, the
// first Decision's choice fixed to nFirst when it is not -1.
inline double Value(CNode *pRoot, const CDecisionRule &rule, int nFirst = -1)
{
    std::vector<CNode *> decisions;
    for (CNode *pNode : Nodes(pRoot))
        if (pNode->type == NodeType::Decision)
            decisions.push_back(pNode);
    std::vector<size_t> choice(decisions.size(), 0);
    if (nFirst >= 0)
        choice[0] = size_t(nFirst);
    double dBest = NAN;
    for (;;) {
        const double dWorth = Worth(Distribution(pRoot, decisions, choice), rule);
        if (std::isnan(dBest) || rule.Better(dWorth, dBest))
            dBest = dWorth;
        size_t i = nFirst >= 0 ? 1 : 0;
        for (; i < choice.size(); ++i) {
            if (++choice[i] < decisions[i]->children.size())
                break;
            choice[i] = 0;
        }
        if (i == choice.size())
            return dBest;
    }
}

// The value when the outcome of every Situation listed (by its place in
// Nodes()) is known before deciding: the value of a copy with each outcome
// made certain, weighed by the outcome's probability, every combination.
inline double ValueKnowing(CNode *pRoot, const std::vector<size_t> &situations,
                           const CDecisionRule &rule)
{
    std::vector<size_t> outcome(situations.size(), 0);
    double dValue = 0;
    for (;;) {
        CNode *pCopy = pRoot->Clone();
        const std::vector<CNode *> copied = Nodes(pCopy);
        const std::vector<CNode *> original = Nodes(pRoot);
        double dProbability = 1;
        for (size_t n = 0; n < situations.size(); ++n) {
            dProbability *= original[situations[n]]->children[outcome[n]]->probability;
            const std::vector<CNode *> &options = copied[situations[n]]->children;
            for (size_t k = 0; k < options.size(); ++k)
                options[k]->probability = k == outcome[n] ? 1.0 : 0.0;
        }
        dValue += dProbability * Value(pCopy, rule);
        CNode::FreeSubtree(pCopy);
        size_t i = 0;
        for (; i < outcome.size(); ++i) {
            if (++outcome[i] < original[situations[i]]->children.size())
                break;
            outcome[i] = 0;
        }
        if (i == outcome.size())
            return dValue;
    }
}

} // namespace TreeOracle
