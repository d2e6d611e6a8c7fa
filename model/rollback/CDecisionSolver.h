#pragma once

#include "CCriteria.h"
#include "CDecisionRule.h"

#include <functional>
#include <vector>

class CNode;

// Rolls a tree back in place: leaves get their path's probability product and
// payoff sum, Situations their expected value, Decisions their best option,
// or whatever else the decision rule asks for.
class CDecisionSolver
{
public:
    CDecisionSolver() = default;
    virtual ~CDecisionSolver() = default;

    const CDecisionRule &Rule() const { return rule; }
    void SetRule(const CDecisionRule &decisionRule) { rule = decisionRule; }
    // With two criteria every node also gets its two expected criteria, and
    // Decisions choose by the combined value, maximised, whatever the rule.
    const CCriteria &Criteria() const { return criteria; }
    void SetCriteria(const CCriteria &projectCriteria) { criteria = projectCriteria; }

    // Re-evaluates every leaf below pStart and every Decision and Situation on
    // the way from those leaves to the top of the tree. Returns the nodes in the
    // order their values were written, leaf by leaf, each leaf followed by the
    // nodes above it: upper nodes appear once per leaf below them.
    std::vector<CNode *> Solve(CNode *pStart) const;
    // The same result, with each node evaluated once, after everything below
    // it: work in proportion to the nodes below pStart and above it, however
    // deep and wide the tree. Hands each node to fnWritten once its value is
    // written, leaves first, then the nodes above them, lowest first.
    void Solve(CNode *pStart, const std::function<void(CNode *)> &fnWritten) const;

private:
    // Evaluates a leaf; returns the node from which the walk upwards starts:
    // the leaf, or a Decision or Situation left with nothing but it.
    CNode *EvaluatePath(CNode *pLeaf, const std::function<void(CNode *)> &fnWritten) const;
    void EvaluateLeaf(CNode *pLeaf) const;
    // Decisions and Situations sit two levels apart, with an Option between.
    static CNode *NextUp(const CNode *pNode);
    bool Evaluate(CNode *pNode) const;
    void EvaluateSituation(CNode *pSituation) const;
    void EvaluateDecision(CNode *pDecision) const;
    void EvaluateSituationOfTwo(CNode *pSituation) const;
    void EvaluateDecisionOfTwo(CNode *pDecision) const;

    CDecisionRule rule;
    CCriteria criteria;
    // Scratch space of the Situations under other rules, kept between them
    // so that a rollback allocates nothing per node.
    mutable std::vector<double> probabilities;
    mutable std::vector<double> outcomes;
};
