#pragma once

#include "CDecisionRule.h"
#include "CDistribution.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class CDecisionTree;
class CTreeIndex;

// What one iteration of the probabilistic sensitivity analysis needs, read
// once from a project and then independent of it, so that the user may edit
// the tree while a run goes on: the tree as flat arrays (breadth-first, as
// CTreeIndex numbers it), the uncertain variables, the formulas their draws
// reach in the order they are computed, and the strategies compared.
class CSimulationPlan
{
    Q_DECLARE_TR_FUNCTIONS(CSimulationPlan)

public:
    struct Uncertain
    {
        int variable;
        CDistribution distribution;
        // Its Dirichlet group, or -1.
        int group = -1;
    };
    // A formula a draw reaches: of a variable (node -1) or of a node's
    // payoff or probability.
    struct Formula
    {
        int variable = -1;
        int node = -1;
        bool probability = false;
        std::string text;
        // "Payoff of "Wet": ", before the reason it cannot be computed.
        QString where;
        // An option's second payoff, in a project of two criteria.
        bool second = false;
    };
    struct Strategy
    {
        QString name;
        // 0: an option of the first Decision, the other choices as in the
        // base case, where the tree has one Decision or too many complete
        // strategies to list; 1: a choice at every Decision.
        int family = 0;
        // The option of the first Decision (family 0), or the choice of
        // every Decision by node (family 1, -1 elsewhere).
        int option = 0;
        std::vector<int> choices;
    };
    // Beyond this many complete strategies only the first Decision's
    // options are compared.
    static constexpr int MaxCompleteStrategies = 1000;
    // Nor where their rollbacks would visit more nodes than this per
    // iteration (1,000 strategies of a 2,000-node tree).
    static constexpr long long MaxStrategyNodes = 2000000;

    // Empty when the project can be simulated; otherwise why not, naming
    // the variable or node at fault.
    QString Prepare(const CDecisionTree &tree, const CDecisionRule &decisionRule);

    int Size() const { return int(type.size()); }
    const CDecisionRule &Rule() const { return rule; }
    // The payoffs summed from the Root down to each node; with two criteria,
    // the combined values of the two payoffs, by the rule.
    void PathSums(const double *pPayoffs, const double *pPayoffs2, double *pPathSums) const;
    // The payoffs of one criterion summed from the Root down to each node.
    void CriterionSums(const double *pPayoffs, double *pPathSums) const;
    bool TwoCriteria() const { return rule.Criteria().two; }
    // Fills values (one per node) by the rollback's own arithmetic. Each
    // Decision with forced[n] >= 0 takes that option; the others choose,
    // writing their choice into chosen when given.
    void Rollback(const double *pProbabilities, const double *pPathSums, double *pValues,
                  const int *pForced, int *pChosen) const;
    // The Root's value with the first Decision taking nOption, once values
    // hold a rollback under the base case's choices.
    double WithFirstOption(int nOption, const double *pProbabilities, const double *pValues,
                           std::vector<double> *pScratch) const;

    std::vector<int32_t> type;
    std::vector<int> parent;
    std::vector<int> firstChild;
    std::vector<int> childCount;
    std::vector<char> hasOptions;
    std::vector<double> payoffs;
    // The second payoffs, in a project of two criteria; empty otherwise.
    std::vector<double> payoffs2;
    std::vector<double> probabilities;
    std::vector<int> baseChoices;
    int firstDecision = -1;

    std::vector<std::string> variableNames;
    std::vector<double> variableValues;
    std::vector<Uncertain> uncertain;
    std::vector<std::string> groups;
    std::vector<Formula> formulas;
    // Situations whose probabilities a draw reaches, checked each iteration;
    // the rest ("#") of those that have one shared out first.
    std::vector<int> checkedSituations;
    std::vector<QString> situationNames;
    std::vector<char> isRest;
    std::vector<Strategy> strategies;
    // With two criteria, the choice every Decision makes under each
    // strategy, so that each criterion can be rolled back under it.
    std::vector<std::vector<int>> strategyChoices;

private:
    QString ReadUncertain(const CDecisionTree &tree);
    QString OrderFormulas(const CDecisionTree &tree, const CTreeIndex &index);
    void FindStrategies(const CTreeIndex &index);
    void AddCompleteStrategies(const CTreeIndex &index);

    CDecisionRule rule;
};
