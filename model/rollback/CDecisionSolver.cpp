#include "CDecisionSolver.h"

#include "CNode.h"
#include "SubtreeWalk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <utility>

namespace {

// The rolled-back value an option leads to. A crafted file can leave an option
// without a child; it then counts as 0 instead of stopping the evaluation.
double OptionOutcome(const CNode *pOption)
{
    if (pOption->children.empty() || !pOption->children.front())
        return 0.0;
    return pOption->children.front()->payoff;
}

// The node an option leads to, or null for a crafted option without one.
const CNode *Outcome(const CNode *pOption)
{
    return pOption->children.empty() ? nullptr : pOption->children.front();
}

// Leaves in depth-first order, children in order: the order in which a
// recursive walk reaches them, without tying the depth to the stack.
template <typename Visit> void VisitLeaves(CNode *pStart, Visit visit)
{
    using Depth = std::pair<CNode *, int>;
    WalkDepthFirst(Depth{pStart, 0}, [&visit](const Depth &item, const auto &push) {
        const auto [pNode, nDepth] = item;
        if (!pNode->HasChildren()) {
            visit(pNode, nDepth);
            return;
        }
        for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
            if (*it)
                push({*it, nDepth + 1});
    });
}

} // namespace

std::vector<CNode *> CDecisionSolver::Solve(CNode *pStart) const
{
    std::vector<CNode *> result;
    if (!pStart)
        return result;
    const auto written = [&result](CNode *pNode) { result.push_back(pNode); };
    VisitLeaves(pStart, [&](CNode *pLeaf, int) {
        for (CNode *pUp = NextUp(EvaluatePath(pLeaf, written)); pUp; pUp = NextUp(pUp))
            if (Evaluate(pUp))
                result.push_back(pUp);
    });
    return result;
}

void CDecisionSolver::Solve(CNode *pStart, const std::function<void(CNode *)> &fnWritten) const
{
    if (!pStart)
        return;
    // Which nodes the walks up from the leaves pass, each with its depth
    // below pStart (negative above it). A walk that meets a node passed
    // before would go on as that one did, so it stops there.
    std::unordered_set<const CNode *> passed;
    std::vector<std::pair<int, CNode *>> due;
    VisitLeaves(pStart, [&](CNode *pLeaf, int nDepth) {
        CNode *pFrom = EvaluatePath(pLeaf, fnWritten);
        nDepth -= pFrom == pLeaf ? 0 : 1;
        for (CNode *pUp = NextUp(pFrom); pUp && passed.insert(pUp).second; pUp = NextUp(pUp))
            due.emplace_back(nDepth -= 2, pUp);
    });
    // A node's value depends only on nodes below it: lowest first, each once.
    std::stable_sort(due.begin(), due.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &[nDepth, pNode] : due)
        if (Evaluate(pNode))
            fnWritten(pNode);
}

CNode *CDecisionSolver::EvaluatePath(CNode *pLeaf,
                                     const std::function<void(CNode *)> &fnWritten) const
{
    EvaluateLeaf(pLeaf);
    fnWritten(pLeaf);
    // A Decision or Situation whose options are all gone ends its path in a
    // Terminal right below it. Walking on two levels up from that Terminal
    // would step past the owner and every Decision and Situation above it,
    // leaving them with values of options that no longer exist. The owner
    // takes the path's value instead, as one without any children does, and
    // the walk goes on from there.
    CNode *pOwner = pLeaf->parent;
    if (pOwner && pOwner->children.size() == 1 &&
        (pOwner->type == NodeType::Decision || pOwner->type == NodeType::Situation)) {
        pOwner->payoff = pLeaf->payoff;
        pOwner->expected1 = pLeaf->expected1;
        pOwner->expected2 = pLeaf->expected2;
        fnWritten(pOwner);
        return pOwner;
    }
    return pLeaf;
}

CNode *CDecisionSolver::NextUp(const CNode *pNode)
{
    return pNode->parent ? pNode->parent->parent : nullptr;
}

bool CDecisionSolver::Evaluate(CNode *pNode) const
{
    if (pNode->type == NodeType::Situation && criteria.two)
        EvaluateSituationOfTwo(pNode);
    else if (pNode->type == NodeType::Decision && criteria.two)
        EvaluateDecisionOfTwo(pNode);
    else if (pNode->type == NodeType::Situation)
        EvaluateSituation(pNode);
    else if (pNode->type == NodeType::Decision)
        EvaluateDecision(pNode);
    else
        return false;
    return true;
}

void CDecisionSolver::EvaluateLeaf(CNode *pLeaf) const
{
    double dProduct = 1.0;
    double dSum = 0.0;
    double dSum2 = 0.0;
    for (const CNode *pAncestor = pLeaf->parent; pAncestor; pAncestor = pAncestor->parent) {
        dProduct *= pAncestor->probability;
        // A Decision's or Situation's payoff is a computed value, not a payoff.
        if (pAncestor->type != NodeType::Decision && pAncestor->type != NodeType::Situation) {
            dSum += pAncestor->payoff;
            dSum2 += pAncestor->payoff2;
        }
    }
    pLeaf->probability = dProduct;
    if (!criteria.two) {
        pLeaf->payoff = dSum;
        return;
    }
    pLeaf->expected1 = dSum;
    pLeaf->expected2 = dSum2;
    pLeaf->payoff = criteria.Combine(dSum, dSum2);
}

void CDecisionSolver::EvaluateSituation(CNode *pSituation) const
{
    if (!rule.IsDefault()) {
        probabilities.clear();
        outcomes.clear();
        for (CNode *pOption : pSituation->children) {
            if (!pOption)
                continue;
            pOption->active = CDecisionRule::Counts(pOption->probability);
            probabilities.push_back(pOption->probability);
            outcomes.push_back(OptionOutcome(pOption));
        }
        pSituation->payoff =
            rule.Situation(int(outcomes.size()), probabilities.data(), outcomes.data());
        return;
    }
    pSituation->payoff = 0.0;
    for (CNode *pOption : pSituation->children) {
        if (!pOption)
            continue;
        pOption->active = CDecisionRule::Counts(pOption->probability);
        pSituation->payoff += pOption->probability * OptionOutcome(pOption);
    }
}

void CDecisionSolver::EvaluateDecision(CNode *pDecision) const
{
    pDecision->payoff = rule.Unbeaten();
    CNode *pBest = nullptr;
    for (CNode *pOption : pDecision->children) {
        if (!pOption)
            continue;
        pOption->active = false;
        const double dOutcome = OptionOutcome(pOption);
        if (rule.Better(dOutcome, pDecision->payoff)) {
            pDecision->payoff = dOutcome;
            pOption->active = true;
            if (pBest)
                pBest->active = false;
            pBest = pOption;
        }
    }
}

void CDecisionSolver::EvaluateSituationOfTwo(CNode *pSituation) const
{
    double dValue = 0.0;
    double dFirst = 0.0;
    double dSecond = 0.0;
    for (CNode *pOption : pSituation->children) {
        if (!pOption)
            continue;
        pOption->active = CDecisionRule::Counts(pOption->probability);
        if (const CNode *pOutcome = Outcome(pOption)) {
            dValue += pOption->probability * pOutcome->payoff;
            dFirst += pOption->probability * pOutcome->expected1;
            dSecond += pOption->probability * pOutcome->expected2;
        }
    }
    pSituation->payoff = dValue;
    pSituation->expected1 = dFirst;
    pSituation->expected2 = dSecond;
}

void CDecisionSolver::EvaluateDecisionOfTwo(CNode *pDecision) const
{
    CNode *pBest = nullptr;
    const CNode *pBestOutcome = nullptr;
    for (CNode *pOption : pDecision->children) {
        if (!pOption)
            continue;
        pOption->active = false;
        const CNode *pOutcome = Outcome(pOption);
        if (!pOutcome)
            continue;
        // Under a finite weight the combined values decide, as they add up
        // along the tree; NaN never wins.
        const bool bBetter =
            !pBestOutcome ||
            (criteria.WeightIsInfinite()
                 ? criteria.Better(pOutcome->expected1, pOutcome->expected2,
                                   pBestOutcome->expected1, pBestOutcome->expected2)
                 : pBestOutcome->payoff < pOutcome->payoff);
        if (bBetter && !std::isnan(pOutcome->payoff)) {
            pBest = pOption;
            pBestOutcome = pOutcome;
        }
    }
    if (pBest)
        pBest->active = true;
    // Nothing to choose is no value, as under one criterion.
    const double dNone = std::numeric_limits<double>::quiet_NaN();
    pDecision->payoff = pBestOutcome ? pBestOutcome->payoff : -CCriteria::Infinite;
    pDecision->expected1 = pBestOutcome ? pBestOutcome->expected1 : dNone;
    pDecision->expected2 = pBestOutcome ? pBestOutcome->expected2 : dNone;
}
