#pragma once

#include "CDecisionRule.h"

#include <QString>

#include <cstddef>
#include <vector>

class CTreeIndex;

// A full rollback of an indexed tree by the solver's rules, computed beside
// the tree instead of in it, plus how far each value may move before some
// Decision changes its choice. Those radii let the analyses skip whatever a
// change cannot reach: a moved payoff shifts the subtree below it in step
// until a Decision there could switch, and a changed value travels up to the
// Root linearly until a Decision above could switch.
//
// The tree must have the shape CTreeIndex::ShapeProblem accepts; values are
// read once, so the tree may change afterwards without harm to this object.
// The radii assume expected values maximised; under any other rule they are
// 0, so that the analyses follow every node exactly instead of by shortcut.
class CTreeEvaluation
{
public:
    explicit CTreeEvaluation(const CTreeIndex &index, const CDecisionRule &rule = CDecisionRule());

    const CTreeIndex &Index() const { return index; }
    const CDecisionRule &Rule() const { return rule; }
    // What the rollback leaves in a node: a Terminal's path sum, a Decision's
    // best or a Situation's expected value; for an option, what it leads to.
    double Value(int n) const { return values[size_t(n)]; }
    double RootValue() const { return values.empty() ? 0.0 : values.front(); }
    // The payoffs from the Root down to n, n's own included: what a path
    // ending at n adds up to, by the rule's reading of two payoffs.
    double PathSum(int n) const { return pathSums[size_t(n)]; }
    // The child position of the option a Decision chooses, or -1.
    int Chosen(int n) const { return chosen[size_t(n)]; }
    // The sum of a Situation's option probabilities.
    double ProbabilitySum(int n) const;

    // How n's value moves when every leaf below n moves by one: the
    // probability-weighted share of the leaves that the choices below reach.
    double Weight(int n) const { return weights[size_t(n)]; }
    // A move of every leaf below n by less than this changes no choice at or
    // below n, so n's value moves by Weight(n) times the move.
    double ShiftRadius(int n) const { return shiftRadii[size_t(n)]; }
    // How the Root's value moves per unit of n's value, the rest of the tree
    // held as it is.
    double RootRate(int n) const { return rootRates[size_t(n)]; }
    // True when n's value may rise by up to dRise and fall by up to dFall
    // without any Decision above n changing its choice. Direction matters:
    // a chosen option that gets better keeps its Decision's choice however
    // far it goes, one that is not chosen may fall as far as it likes.
    bool Settles(int n, double dRise, double dFall) const;

    // A Decision's or Situation's value from the probabilities of its
    // options and the values they lead to, in the rollback's own arithmetic
    // and order, by this evaluation's rule. For a Decision, *pChosen gets the
    // chosen position or -1.
    double Combine(int nType, int nCount, const double *pProbabilities, const double *pOutcomes,
                   int *pChosen = nullptr) const;
    // True for a Decision or Situation that has options (and not a lone
    // Terminal or nothing).
    bool HasOptions(int n) const;
    // Into *pOrder, parents before children: n and the Decisions and
    // Situations below it where a move of every leaf by up to dReach may
    // change a choice. Below all others everything moves in step.
    void MayChange(int n, double dReach, std::vector<int> *pOrder) const;
    // The current option probabilities of Situation n.
    std::vector<double> Probabilities(int n) const;
    // Each node's expected value under the choices this evaluation made: the
    // same as Value() for expected values; with a risk tolerance, what the
    // strategy the certainty equivalents choose is worth on average.
    std::vector<double> ExpectedValues() const;
    // Whether a Situation's probabilities lie within 0 and 1 and add up to 1
    // (within CDecisionRule::ActivityThreshold), as a distribution needs.
    static bool IsDistribution(const std::vector<double> &probabilities);
    // Empty when every value is a number and every Situation's probabilities
    // lie within 0 and 1 and add up to 1, as a distribution of outcomes
    // needs; otherwise a sentence naming the first node that breaks it.
    QString DistributionProblem() const;

private:
    void EvaluateUpwards();
    void SpreadDownwards();
    double DecisionRadius(int n) const;

    const CTreeIndex &index;
    const CDecisionRule rule;
    std::vector<double> pathSums;
    std::vector<double> values;
    std::vector<int> chosen;
    std::vector<double> weights;
    std::vector<double> shiftRadii;
    std::vector<double> rootRates;
    // How far n's value may rise, and fall, without a choice above changing.
    std::vector<double> riseLimits;
    std::vector<double> fallLimits;
};
