#pragma once

#include "CAnalysisTable.h"
#include "CCriteria.h"

#include <QCoreApplication>
#include <QString>

#include <vector>

class CDecisionTree;

// The league table of a project of two criteria: every strategy with its
// two expected criteria, sorted by cost, strictly and extendedly dominated
// strategies marked with those that dominate them, and for the frontier the
// increments against the strategy before it and the range of the weight w
// over which it is the best. "Effect" is criterion 1 and "cost" criterion 2,
// each signed so that more effect and less cost are better; the combined
// value is then w × effect - cost.
//
// Extended dominance is removed until none is left: the frontier is the
// lower convex hull of the undominated strategies, so its ICERs rise.
class CLeagueTable
{
    Q_DECLARE_TR_FUNCTIONS(CLeagueTable)

public:
    // Beyond this many complete strategies (a choice at every Decision),
    // the first Decision's options stand for them, the rollback's choices
    // below.
    static constexpr int MaxStrategies = 1000;

    struct Strategy
    {
        QString name;
        double c1 = 0.0;
        double c2 = 0.0;
    };
    struct Row
    {
        Strategy strategy;
        // Row positions in this table.
        std::vector<int> dominatedBy;
        std::vector<int> extendedDominatedBy;
        // Strategies with the very same two criteria.
        std::vector<int> tiedWith;
        bool frontier = false;
        // Against the frontier strategy before it; NaN for the first and
        // for a dominated strategy.
        double incrementalC1;
        double incrementalC2;
        double icer;
        // Where it is the best (frontier only; NaN elsewhere; weightTo may be
        // infinity).
        double weightFrom;
        double weightTo;
        // The best at the project's weight (several at a break-even or a tie).
        bool best = false;
    };

    explicit CLeagueTable(const CCriteria &projectCriteria) : criteria(projectCriteria) {}

    // The strategies of the tree (its formulas already computed) and their
    // table. Empty when it could be made; otherwise why not.
    QString Run(const CDecisionTree &tree);
    // The table of the strategies given.
    QString Compute(const std::vector<Strategy> &strategies);

    const CCriteria &Criteria() const { return criteria; }
    const std::vector<Row> &Rows() const { return rows; }
    // Whether the strategies are the first Decision's options only.
    bool FirstDecisionOnly() const { return firstOnly; }
    // One row per strategy, as the panel copies it and ramify-solve prints it.
    CAnalysisTable Table() const;
    // The names of rows by their positions, joined by ", ".
    QString Names(const std::vector<int> &positions) const;

private:
    double Effect(const Strategy &strategy) const { return criteria.Sign(0) * strategy.c1; }
    double Cost(const Strategy &strategy) const { return -criteria.Sign(1) * strategy.c2; }
    void MarkDominance();
    void FindFrontier();

    CCriteria criteria;
    std::vector<Row> rows;
    bool firstOnly = false;
};
