#include "CDecisionSolver.h"

#include "CNode.h"

#include <cmath>
#include <limits>

namespace {

// The rolled-back value an option leads to. A crafted file can leave an option
// without a child; it then counts as 0 instead of stopping the evaluation.
double OptionOutcome(const CNode *pOption)
{
    if (pOption->children.empty() || !pOption->children.front())
        return 0.0;
    return pOption->children.front()->payoff;
}

} // namespace

std::vector<CNode *> CDecisionSolver::Solve(CNode *pStart) const
{
    std::vector<CNode *> result;
    Solve(pStart, [&result](CNode *pNode) { result.push_back(pNode); });
    return result;
}

void CDecisionSolver::Solve(CNode *pStart, const std::function<void(CNode *)> &fnWritten) const
{
    if (!pStart)
        return;

    // Leaves in depth-first order, children in order: the order in which a
    // recursive walk would reach them, without tying the depth to the stack.
    std::vector<CNode *> pending{pStart};
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->HasChildren()) {
            for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
                if (*it)
                    pending.push_back(*it);
            continue;
        }

        EvaluateLeaf(pNode);
        fnWritten(pNode);

        // A Decision or Situation whose options are all gone ends its path in a
        // Terminal right below it. Walking on two levels up from that Terminal
        // would step past the owner and every Decision and Situation above it,
        // leaving them with values of options that no longer exist. The owner
        // takes the path's value instead, as one without any children does,
        // and the walk goes on from there.
        CNode *pFrom = pNode;
        CNode *pOwner = pNode->parent;
        if (pOwner && pOwner->children.size() == 1 &&
            (pOwner->type == NodeType::Decision || pOwner->type == NodeType::Situation)) {
            pOwner->payoff = pNode->payoff;
            fnWritten(pOwner);
            pFrom = pOwner;
        }

        // Decisions and Situations sit two levels apart, with an Option between.
        CNode *pUp = pFrom->parent ? pFrom->parent->parent : nullptr;
        while (pUp) {
            if (pUp->type == NodeType::Situation) {
                EvaluateSituation(pUp);
                fnWritten(pUp);
            } else if (pUp->type == NodeType::Decision) {
                EvaluateDecision(pUp);
                fnWritten(pUp);
            }
            pUp = pUp->parent ? pUp->parent->parent : nullptr;
        }
    }
}

void CDecisionSolver::EvaluateLeaf(CNode *pLeaf)
{
    double dProduct = 1.0;
    double dSum = 0.0;
    for (const CNode *pAncestor = pLeaf->parent; pAncestor; pAncestor = pAncestor->parent) {
        dProduct *= pAncestor->probability;
        // A Decision's or Situation's payoff is a computed value, not a payoff.
        if (pAncestor->type != NodeType::Decision && pAncestor->type != NodeType::Situation)
            dSum += pAncestor->payoff;
    }
    pLeaf->probability = dProduct;
    pLeaf->payoff = dSum;
}

void CDecisionSolver::EvaluateSituation(CNode *pSituation)
{
    pSituation->payoff = 0.0;
    for (CNode *pOption : pSituation->children) {
        if (!pOption)
            continue;
        pOption->active = std::fabs(pOption->probability) > 0.0001;
        pSituation->payoff += pOption->probability * OptionOutcome(pOption);
    }
}

void CDecisionSolver::EvaluateDecision(CNode *pDecision)
{
    pDecision->payoff = std::numeric_limits<double>::lowest();
    CNode *pBest = nullptr;
    for (CNode *pOption : pDecision->children) {
        if (!pOption)
            continue;
        pOption->active = false;
        const double dOutcome = OptionOutcome(pOption);
        // Strictly greater: on a tie the first option keeps the choice.
        if (pDecision->payoff < dOutcome) {
            pDecision->payoff = dOutcome;
            pOption->active = true;
            if (pBest)
                pBest->active = false;
            pBest = pOption;
        }
    }
}
