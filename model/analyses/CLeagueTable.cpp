#include "CLeagueTable.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CStrategies.h"
#include "CTreeIndex.h"
#include "TextNumber.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// The two expected criteria of a tree under given choices: choices[n] is
// the child position Decision n takes, or -1 for the rollback's own choice
// by the combined value. Parents come before children in the index, so one
// pass from the end finds every node's criteria before its parent's.
class CStrategyValues
{
public:
    CStrategyValues(const CTreeIndex &treeIndex, const CCriteria &projectCriteria)
        : index(treeIndex), criteria(projectCriteria), first(size_t(treeIndex.Size())),
          second(size_t(treeIndex.Size()))
    {
    }

    void Evaluate(const std::vector<int> &choices, double *pC1, double *pC2)
    {
        for (int n = index.Size() - 1; n >= 0; --n) {
            const size_t i = size_t(n);
            const int nFirst = index.FirstChild(n);
            const int nCount = index.ChildCount(n);
            const CNode *pNode = index.Node(n);
            double d1 = 0.0;
            double d2 = 0.0;
            if (nCount == 0) {
                // An end's criteria are the sums above it, not below.
            } else if (index.Type(n) == NodeType::Situation) {
                for (int c = nFirst; c < nFirst + nCount; ++c) {
                    d1 += index.Node(c)->probability * first[size_t(c)];
                    d2 += index.Node(c)->probability * second[size_t(c)];
                }
            } else if (index.Type(n) == NodeType::Decision) {
                int nChosen = choices.empty() ? -1 : choices[i];
                if (nChosen < 0)
                    nChosen = Best(nFirst, nCount);
                d1 = nChosen < 0 ? NaN : first[size_t(nFirst + nChosen)];
                d2 = nChosen < 0 ? NaN : second[size_t(nFirst + nChosen)];
            } else {
                d1 = pNode->payoff;
                d2 = pNode->payoff2;
                for (int c = nFirst; c < nFirst + nCount; ++c) {
                    d1 += first[size_t(c)];
                    d2 += second[size_t(c)];
                }
            }
            first[i] = d1;
            second[i] = d2;
        }
        *pC1 = first.empty() ? 0.0 : first.front();
        *pC2 = second.empty() ? 0.0 : second.front();
    }

private:
    int Best(int nFirst, int nCount) const
    {
        int nBest = -1;
        for (int c = 0; c < nCount; ++c) {
            const size_t i = size_t(nFirst + c);
            if (std::isnan(criteria.Combine(first[i], second[i])))
                continue;
            if (nBest < 0 || criteria.Better(first[i], second[i], first[size_t(nFirst + nBest)],
                                             second[size_t(nFirst + nBest)]))
                nBest = c;
        }
        return nBest;
    }

    const CTreeIndex &index;
    const CCriteria &criteria;
    std::vector<double> first;
    std::vector<double> second;
};

QString Number(double dValue)
{
    return std::isnan(dValue) ? QString() : PlainNumber(dValue);
}

} // namespace

QString CLeagueTable::Run(const CDecisionTree &tree)
{
    rows.clear();
    firstOnly = false;
    if (!criteria.two)
        return tr("The league table compares two criteria; this project has one. Name a second "
                  "criterion in Project Settings.");
    const CTreeIndex index(tree.GetRoot());
    const QString strShape = index.ShapeProblem();
    if (!strShape.isEmpty())
        return strShape;
    int nFirstDecision = -1;
    for (int n = 0; n < index.Size() && nFirstDecision < 0; ++n)
        if (CStrategies::IsChoice(index, n))
            nFirstDecision = n;
    if (nFirstDecision < 0)
        return tr("The tree has no Decision, so it has no strategies to compare.");
    const CStrategies complete(index, MaxStrategies + 1);
    CStrategyValues values(index, criteria);
    std::vector<Strategy> strategies;
    firstOnly = complete.Count() > MaxStrategies;
    if (!firstOnly) {
        for (long long k = 0; k < complete.Count(); ++k) {
            const std::vector<int> choices = complete.Choices(k);
            Strategy strategy{complete.Name(choices), 0.0, 0.0};
            values.Evaluate(choices, &strategy.c1, &strategy.c2);
            strategies.push_back(strategy);
        }
    } else {
        std::vector<int> choices(size_t(index.Size()), -1);
        for (int c = 0; c < index.ChildCount(nFirstDecision); ++c) {
            choices[size_t(nFirstDecision)] = c;
            Strategy strategy{
                QString::fromStdString(index.Node(index.FirstChild(nFirstDecision) + c)->name), 0.0,
                0.0};
            values.Evaluate(choices, &strategy.c1, &strategy.c2);
            strategies.push_back(strategy);
        }
    }
    const QString strProblem = Compute(strategies);
    firstOnly = firstOnly && strProblem.isEmpty();
    return strProblem;
}

QString CLeagueTable::Compute(const std::vector<Strategy> &strategies)
{
    rows.clear();
    for (const Strategy &strategy : strategies) {
        if (!std::isfinite(strategy.c1) || !std::isfinite(strategy.c2)) {
            rows.clear();
            return tr("The strategy \"%1\" has no finite value of each criterion; check the "
                      "payoffs and probabilities on its paths.")
                .arg(strategy.name);
        }
        Row row;
        row.strategy = strategy;
        row.incrementalC1 = row.incrementalC2 = row.icer = NaN;
        row.weightFrom = row.weightTo = NaN;
        rows.push_back(row);
    }
    // By cost, the more effective first among equal costs.
    std::stable_sort(rows.begin(), rows.end(), [this](const Row &a, const Row &b) {
        if (Cost(a.strategy) != Cost(b.strategy))
            return Cost(a.strategy) < Cost(b.strategy);
        return Effect(a.strategy) > Effect(b.strategy);
    });
    MarkDominance();
    FindFrontier();
    return QString();
}

void CLeagueTable::MarkDominance()
{
    for (size_t i = 0; i < rows.size(); ++i) {
        const double dCost = Cost(rows[i].strategy);
        const double dEffect = Effect(rows[i].strategy);
        for (size_t j = 0; j < rows.size(); ++j) {
            if (j == i)
                continue;
            const double dOtherCost = Cost(rows[j].strategy);
            const double dOtherEffect = Effect(rows[j].strategy);
            if (dOtherCost == dCost && dOtherEffect == dEffect)
                rows[i].tiedWith.push_back(int(j));
            else if (dOtherCost <= dCost && dOtherEffect >= dEffect)
                rows[i].dominatedBy.push_back(int(j));
        }
    }
}

void CLeagueTable::FindFrontier()
{
    // The undominated strategies, one of each tie, rise in cost and effect.
    std::vector<int> hull;
    std::vector<int> removed;
    const auto cost = [this](int r) { return (long double)Cost(rows[size_t(r)].strategy); };
    const auto effect = [this](int r) { return (long double)Effect(rows[size_t(r)].strategy); };
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row &row = rows[r];
        if (!row.dominatedBy.empty() || std::any_of(row.tiedWith.begin(), row.tiedWith.end(),
                                                    [r](int t) { return t < int(r); }))
            continue;
        const int c = int(r);
        // b between a and c is extendedly dominated when its ICER against a
        // exceeds c's against it: a mix of a and c buys more for less. Each
        // removal may expose the one before, so the stack is checked again.
        while (hull.size() >= 2) {
            const int b = hull.back();
            const int a = hull[hull.size() - 2];
            if ((cost(b) - cost(a)) * (effect(c) - effect(b)) <=
                (cost(c) - cost(b)) * (effect(b) - effect(a)))
                break;
            removed.push_back(b);
            hull.pop_back();
        }
        hull.push_back(c);
    }
    for (int r : removed) {
        // Bracketed by the frontier strategies on either side of its effect.
        const auto above =
            std::find_if(hull.begin(), hull.end(), [&](int h) { return effect(h) > effect(r); });
        if (above != hull.begin())
            rows[size_t(r)].extendedDominatedBy.push_back(*(above - 1));
        if (above != hull.end())
            rows[size_t(r)].extendedDominatedBy.push_back(*above);
    }
    for (size_t h = 0; h < hull.size(); ++h) {
        Row &row = rows[size_t(hull[h])];
        row.frontier = true;
        if (h > 0) {
            const Row &before = rows[size_t(hull[h - 1])];
            row.incrementalC1 = row.strategy.c1 - before.strategy.c1;
            row.incrementalC2 = row.strategy.c2 - before.strategy.c2;
            row.icer = double((cost(hull[h]) - cost(hull[h - 1])) /
                              (effect(hull[h]) - effect(hull[h - 1])));
        }
    }
    for (size_t h = 0; h < hull.size(); ++h) {
        Row &row = rows[size_t(hull[h])];
        row.weightFrom = h == 0 ? 0.0 : row.icer;
        row.weightTo = h + 1 < hull.size() ? rows[size_t(hull[h + 1])].icer : CCriteria::Infinite;
        row.best = row.weightFrom <= criteria.weight && criteria.weight <= row.weightTo;
    }
    // A tie shares everything with the one it ties with.
    for (Row &row : rows) {
        if (row.tiedWith.empty() || !row.dominatedBy.empty())
            continue;
        const Row &first = rows[size_t(row.tiedWith.front())];
        if (&first == &row || row.frontier || !first.frontier)
            continue;
        row.frontier = true;
        row.incrementalC1 = first.incrementalC1;
        row.incrementalC2 = first.incrementalC2;
        row.icer = first.icer;
        row.weightFrom = first.weightFrom;
        row.weightTo = first.weightTo;
        row.best = first.best;
    }
    for (Row &row : rows) {
        if (row.tiedWith.empty() || row.frontier || !row.dominatedBy.empty())
            continue;
        row.extendedDominatedBy = rows[size_t(row.tiedWith.front())].extendedDominatedBy;
    }
}

QString CLeagueTable::Names(const std::vector<int> &positions) const
{
    QStringList names;
    for (int r : positions)
        names << rows[size_t(r)].strategy.name;
    return names.join(QStringLiteral(", "));
}

CAnalysisTable CLeagueTable::Table() const
{
    CAnalysisTable table;
    table.header = QStringList{QStringLiteral("strategy"),
                               QStringLiteral("c1"),
                               QStringLiteral("c2"),
                               QStringLiteral("dominatedBy"),
                               QStringLiteral("extendedDominatedBy"),
                               QStringLiteral("tiedWith"),
                               QStringLiteral("incrementalC1"),
                               QStringLiteral("incrementalC2"),
                               QStringLiteral("icer"),
                               QStringLiteral("weightFrom"),
                               QStringLiteral("weightTo"),
                               QStringLiteral("best")};
    table.shownHeader = QStringList{tr("Strategy"),
                                    criteria.names[0],
                                    criteria.names[1],
                                    tr("Dominated by"),
                                    tr("Extendedly dominated by"),
                                    tr("Tied with"),
                                    tr("Incremental %1").arg(criteria.names[0]),
                                    tr("Incremental %1").arg(criteria.names[1]),
                                    tr("ICER"),
                                    tr("Best from w ="),
                                    tr("to w ="),
                                    tr("Best at w = %1").arg(PlainNumber(criteria.weight))};
    for (const Row &row : rows)
        table.rows.push_back(
            QStringList{row.strategy.name, Number(row.strategy.c1), Number(row.strategy.c2),
                        Names(row.dominatedBy), Names(row.extendedDominatedBy), Names(row.tiedWith),
                        Number(row.incrementalC1), Number(row.incrementalC2), Number(row.icer),
                        Number(row.weightFrom), Number(row.weightTo),
                        row.best ? QStringLiteral("yes") : QStringLiteral("no")});
    return table;
}
