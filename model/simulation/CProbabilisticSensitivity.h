#pragma once

#include "CAnalysisTable.h"
#include "CSimulationPlan.h"

#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CDecisionRule;
class CDecisionTree;

// Probabilistic sensitivity analysis: N iterations, each drawing every
// uncertain variable, computing the formulas the draws reach and rolling the
// tree back, recording the Root's value and each strategy's. Iterations run
// in fixed blocks, each with uniforms of its own seeded from the seed and
// its number, and land at their own place: the same seed gives bitwise the
// same results whatever the number of threads. An iteration that cannot be
// computed is counted as failed, with the first reason kept; it never
// counts as 0.
class CProbabilisticSensitivity
{
    Q_DECLARE_TR_FUNCTIONS(CProbabilisticSensitivity)

public:
    struct Settings
    {
        int64_t iterations = 1000;
        uint64_t seed = 1;
        bool latinHypercube = false;
        double threshold = 0.0;
        // 0 for as many as the machine has.
        int threads = 0;
        // Keeps every draw, for a table with a row per iteration.
        bool keepDraws = false;
    };
    static constexpr int64_t MaxIterations = 10000000;
    static constexpr int BlockSize = 256;

    // Shared with whoever watches a run from another thread.
    struct Progress
    {
        std::atomic<int64_t> done{0};
        std::atomic<bool> cancel{false};
    };

    struct Summary
    {
        double mean = 0, sd = 0, median = 0, p5 = 0, p25 = 0, p75 = 0, p95 = 0, min = 0, max = 0;
        // Shares of the iterations that did not fail.
        double belowThreshold = 0, best = 0;
    };
    struct RunningPoint
    {
        int64_t count;
        double mean;
        // Of the 95 % confidence band around the mean.
        double halfWidth;
    };

    // Empty when the project can be simulated; otherwise why not.
    QString Prepare(const CDecisionTree &tree, const CDecisionRule &rule);
    // Empty when the settings can run (N within 1..MaxIterations).
    static QString SettingsProblem(const Settings &settings);
    // False when cancelled through progress; the results are then not there.
    bool Run(const Settings &runSettings, Progress *pProgress = nullptr);

    const Settings &GetSettings() const { return settings; }
    int StrategyCount() const { return int(plan.strategies.size()); }
    QString StrategyName(int s) const { return plan.strategies[size_t(s)].name; }
    int UncertainCount() const { return int(plan.uncertain.size()); }
    std::string UncertainName(int u) const;
    int64_t Failed() const { return failed; }
    // Of the first iteration that failed; empty when none did.
    const QString &FirstFailure() const { return firstFailure; }
    bool Succeeded(int64_t i) const { return ok[size_t(i)] != 0; }
    double Root(int64_t i) const { return roots[size_t(i)]; }
    double Value(int64_t i, int s) const { return values[size_t(i) * strategyCount() + size_t(s)]; }
    double Drawn(int64_t i, int u) const;

    const Summary &RootSummary() const { return rootSummary; }
    const Summary &StrategySummary(int s) const { return summaries[size_t(s)]; }
    // The mean of the best value of each iteration less the best mean.
    double Evpi() const { return evpi; }
    // About nPoints points of strategy s's mean after each count of
    // iterations, in iteration order.
    std::vector<RunningPoint> RunningMean(int s, int nPoints) const;

    // With two criteria, each iteration's criterion k (0 or 1) of strategy
    // s, and its mean over the iterations that did not fail.
    bool TwoCriteria() const { return plan.TwoCriteria(); }
    const CCriteria &Criteria() const { return plan.Rule().Criteria(); }
    double Criterion(int64_t i, int s, int k) const
    {
        return criteria[(size_t(i) * strategyCount() + size_t(s)) * 2 + size_t(k)];
    }
    double MeanCriterion(int s, int k) const;
    // The steps of w the acceptability curve and its EVPI are given at, by
    // the window and by ramify-solve alike, so that both show the same points.
    static constexpr int AcceptabilitySteps = 20;
    // The weights the acceptability curve is drawn at: nSteps + 1 from the
    // lower end of the project's range of w to its upper one (twice w, or
    // 1, for an open upper end).
    std::vector<double> Weights(int nSteps) const;
    // The share of the iterations that did not fail in which strategy s has
    // the best combined value at dWeight (a tie shares the iteration out).
    std::vector<double> Acceptability(double dWeight) const;
    // The mean of each iteration's best combined value at dWeight less the
    // best mean: what knowing every uncertainty is worth at that weight.
    double EvpiAt(double dWeight) const;
    // A row per weight: w, each strategy's share and the EVPI there.
    CAnalysisTable AcceptabilityTable(int nSteps) const;

    // One row per strategy, as the panel copies it and ramify-solve prints it.
    CAnalysisTable Table() const;
    // One row per iteration: each draw and each strategy's value.
    CAnalysisTable IterationTable() const;

private:
    size_t strategyCount() const { return plan.strategies.size(); }
    void RunBlocks(std::atomic<int64_t> *pNext, Progress *pProgress,
                   std::vector<QString> *pFailures);
    void Summarise();
    double CombinedAt(double dWeight, size_t i, size_t s) const;
    // Hands each iteration that did not fail to fnEach as the combined value
    // of every strategy at dWeight; answers how many it handed.
    int64_t EachKept(double dWeight,
                     const std::function<void(const std::vector<double> &)> &fnEach) const;
    Summary Summarise(const std::vector<double> &sample) const;

    CSimulationPlan plan;
    Settings settings;
    std::vector<char> ok;
    std::vector<double> roots;
    std::vector<double> values;
    // Two per strategy and iteration, with two criteria; empty otherwise.
    std::vector<double> criteria;
    std::vector<double> draws;
    int64_t failed = 0;
    QString firstFailure;
    Summary rootSummary;
    std::vector<Summary> summaries;
    double evpi = 0.0;
};
