#pragma once

#include <functional>
#include <vector>

class CNode;

// Rolls a tree back in place: leaves get their path's probability product and
// payoff sum, Situations their expected value, Decisions their best option.
class CDecisionSolver
{
public:
    CDecisionSolver() = default;
    virtual ~CDecisionSolver() = default;

    // Re-evaluates every leaf below pStart and every Decision and Situation on
    // the way from those leaves to the top of the tree. Returns the nodes in the
    // order their values were written; upper nodes appear once per leaf below.
    std::vector<CNode *> Solve(CNode *pStart) const;
    // The same evaluation, handing each written node to fnWritten as it goes
    // instead of collecting them: on a tree that is both deep and wide the
    // list above grows with leaves times depth.
    void Solve(CNode *pStart, const std::function<void(CNode *)> &fnWritten) const;

private:
    static void EvaluateLeaf(CNode *pLeaf);
    static void EvaluateSituation(CNode *pSituation);
    static void EvaluateDecision(CNode *pDecision);
};
