#include "CProbabilisticSensitivity.h"

#include "CSensitivityAnalysis.h"
#include "CSimulationWorker.h"
#include "CUniformStream.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// The value at share dShare of a sorted sample, between its neighbours as
// R and spreadsheets take it.
double Percentile(const std::vector<double> &sorted, double dShare)
{
    const double dAt = dShare * double(sorted.size() - 1);
    const size_t nBelow = size_t(dAt);
    if (nBelow + 1 >= sorted.size())
        return sorted.back();
    return sorted[nBelow] + (dAt - double(nBelow)) * (sorted[nBelow + 1] - sorted[nBelow]);
}

} // namespace

QString CProbabilisticSensitivity::Prepare(const CDecisionTree &tree, const CDecisionRule &rule)
{
    plan = CSimulationPlan();
    const QString strProblem = plan.Prepare(tree, rule);
    if (strProblem.isEmpty() && plan.strategies.empty())
        return tr("The tree has no Decision with options, so there are no strategies to compare.");
    return strProblem;
}

QString CProbabilisticSensitivity::SettingsProblem(const Settings &runSettings)
{
    if (runSettings.iterations < 1 || runSettings.iterations > MaxIterations)
        return tr("The number of iterations must lie within 1 and %1.").arg(MaxIterations);
    if (!std::isfinite(runSettings.threshold))
        return tr("The threshold must be a number.");
    return QString();
}

std::string CProbabilisticSensitivity::UncertainName(int u) const
{
    return plan.variableNames[size_t(plan.uncertain[size_t(u)].variable)];
}

double CProbabilisticSensitivity::Drawn(int64_t i, int u) const
{
    return draws.empty() ? NaN : draws[size_t(i) * plan.uncertain.size() + size_t(u)];
}

bool CProbabilisticSensitivity::Run(const Settings &runSettings, Progress *pProgress)
{
    settings = runSettings;
    const size_t nCount = size_t(settings.iterations);
    ok.assign(nCount, 0);
    roots.assign(nCount, NaN);
    values.assign(nCount * strategyCount(), NaN);
    criteria.assign(TwoCriteria() ? nCount * strategyCount() * 2 : 0, NaN);
    draws.assign(settings.keepDraws ? nCount * plan.uncertain.size() : 0, NaN);
    const int64_t nBlocks = (settings.iterations + BlockSize - 1) / BlockSize;
    std::vector<QString> failures(static_cast<size_t>(nBlocks));
    std::atomic<int64_t> next{0};
    int nThreads = settings.threads > 0 ? settings.threads
                                        : int(std::max(1U, std::thread::hardware_concurrency()));
    nThreads = int(std::min<int64_t>(nThreads, nBlocks));
    std::vector<std::thread> threads;
    for (int t = 1; t < nThreads; ++t)
        threads.emplace_back([&] { RunBlocks(&next, pProgress, &failures); });
    RunBlocks(&next, pProgress, &failures);
    for (std::thread &thread : threads)
        thread.join();
    if (pProgress && pProgress->cancel)
        return false;
    failed = std::count(ok.begin(), ok.end(), 0);
    firstFailure.clear();
    for (const QString &strFailure : failures)
        if (!strFailure.isEmpty()) {
            firstFailure = strFailure;
            break;
        }
    Summarise();
    return true;
}

void CProbabilisticSensitivity::RunBlocks(std::atomic<int64_t> *pNext, Progress *pProgress,
                                          std::vector<QString> *pFailures)
{
    CSimulationWorker worker(plan);
    const size_t nUncertain = plan.uncertain.size();
    std::vector<double> uniforms(nUncertain);
    std::vector<double> scratch(nUncertain);
    QString strReason;
    for (;;) {
        const int64_t nBlock = pNext->fetch_add(1);
        const int64_t nStart = nBlock * BlockSize;
        if (nStart >= settings.iterations || (pProgress && pProgress->cancel))
            return;
        const int64_t nEnd = std::min<int64_t>(nStart + BlockSize, settings.iterations);
        CUniformStream stream(settings.seed, nBlock, settings.iterations, settings.latinHypercube);
        for (int64_t i = nStart; i < nEnd; ++i) {
            for (size_t u = 0; u < nUncertain; ++u)
                uniforms[u] = stream.Next(i, int(u));
            const size_t at = size_t(i);
            double *pDraws = draws.empty() ? scratch.data() : &draws[at * nUncertain];
            double *pValues = &values[at * strategyCount()];
            double *pCriteria = criteria.empty() ? nullptr : &criteria[at * strategyCount() * 2];
            ok[at] =
                worker.Iterate(uniforms.data(), pDraws, &roots[at], pValues, pCriteria, &strReason);
            if (ok[at])
                continue;
            roots[at] = NaN;
            std::fill(pValues, pValues + strategyCount(), NaN);
            QString &strFirst = (*pFailures)[size_t(nBlock)];
            if (strFirst.isEmpty())
                strFirst = tr("Iteration %1: %2").arg(i + 1).arg(strReason);
        }
        if (pProgress)
            pProgress->done += nEnd - nStart;
    }
}

CProbabilisticSensitivity::Summary
CProbabilisticSensitivity::Summarise(const std::vector<double> &sample) const
{
    Summary summary;
    if (sample.empty()) {
        summary.mean = summary.sd = summary.median = summary.p5 = summary.p25 = summary.p75 =
            summary.p95 = summary.min = summary.max = summary.belowThreshold = NaN;
        return summary;
    }
    double dSum = 0.0;
    double dBelow = 0.0;
    for (double dValue : sample) {
        dSum += dValue;
        dBelow += dValue < settings.threshold ? 1.0 : 0.0;
    }
    const double dCount = double(sample.size());
    summary.mean = dSum / dCount;
    double dSquares = 0.0;
    for (double dValue : sample)
        dSquares += (dValue - summary.mean) * (dValue - summary.mean);
    summary.sd = sample.size() > 1 ? std::sqrt(dSquares / (dCount - 1.0)) : 0.0;
    summary.belowThreshold = dBelow / dCount;
    std::vector<double> sorted(sample);
    std::sort(sorted.begin(), sorted.end());
    summary.min = sorted.front();
    summary.max = sorted.back();
    summary.median = Percentile(sorted, 0.5);
    summary.p5 = Percentile(sorted, 0.05);
    summary.p25 = Percentile(sorted, 0.25);
    summary.p75 = Percentile(sorted, 0.75);
    summary.p95 = Percentile(sorted, 0.95);
    return summary;
}

void CProbabilisticSensitivity::Summarise()
{
    const CDecisionRule &rule = plan.Rule();
    const size_t nStrategies = strategyCount();
    std::vector<double> sample;
    for (size_t i = 0; i < ok.size(); ++i)
        if (ok[i])
            sample.push_back(roots[i]);
    rootSummary = Summarise(sample);
    // Each family of strategies shares out the iterations; a tie splits one.
    std::vector<double> wins(nStrategies, 0.0);
    for (size_t i = 0; i < ok.size(); ++i) {
        if (!ok[i])
            continue;
        const double *pValues = &values[i * nStrategies];
        for (int nFamily = 0; nFamily < 2; ++nFamily) {
            double dBest = rule.Unbeaten();
            int nTies = 0;
            for (size_t s = 0; s < nStrategies; ++s) {
                if (plan.strategies[s].family != nFamily)
                    continue;
                if (rule.Better(pValues[s], dBest)) {
                    dBest = pValues[s];
                    nTies = 1;
                } else if (pValues[s] == dBest) {
                    ++nTies;
                }
            }
            for (size_t s = 0; s < nStrategies; ++s)
                if (plan.strategies[s].family == nFamily && pValues[s] == dBest)
                    wins[s] += 1.0 / nTies;
        }
    }
    summaries.clear();
    double dBestMean = rule.Unbeaten();
    for (size_t s = 0; s < nStrategies; ++s) {
        sample.clear();
        for (size_t i = 0; i < ok.size(); ++i)
            if (ok[i])
                sample.push_back(values[i * nStrategies + s]);
        summaries.push_back(Summarise(sample));
        summaries.back().best = sample.empty() ? NaN : wins[s] / double(sample.size());
        if (rule.Better(summaries.back().mean, dBestMean))
            dBestMean = summaries.back().mean;
    }
    evpi = rule.Minimizes() ? dBestMean - rootSummary.mean : rootSummary.mean - dBestMean;
}

std::vector<CProbabilisticSensitivity::RunningPoint>
CProbabilisticSensitivity::RunningMean(int s, int nPoints) const
{
    std::vector<RunningPoint> points;
    const int64_t nStep = std::max<int64_t>(1, settings.iterations / std::max(1, nPoints));
    // Welford's running mean and variance, steady over millions of values.
    double dMean = 0.0;
    double dSquares = 0.0;
    int64_t nCount = 0;
    for (size_t i = 0; i < ok.size(); ++i) {
        if (ok[i]) {
            const double dValue = s < 0 ? roots[i] : values[i * strategyCount() + size_t(s)];
            ++nCount;
            const double dDelta = dValue - dMean;
            dMean += dDelta / double(nCount);
            dSquares += dDelta * (dValue - dMean);
        }
        if (nCount > 1 && ((int64_t(i) + 1) % nStep == 0 || i + 1 == ok.size()))
            points.push_back(
                {nCount, dMean, 1.96 * std::sqrt(dSquares / double(nCount - 1) / double(nCount))});
    }
    return points;
}

double CProbabilisticSensitivity::MeanCriterion(int s, int k) const
{
    double dSum = 0.0;
    int64_t nCount = 0;
    for (size_t i = 0; i < ok.size(); ++i)
        if (ok[i]) {
            dSum += Criterion(int64_t(i), s, k);
            ++nCount;
        }
    return nCount == 0 ? NaN : dSum / double(nCount);
}

std::vector<double> CProbabilisticSensitivity::Weights(int nSteps) const
{
    const CCriteria &projectCriteria = plan.Rule().Criteria();
    const double dLow = projectCriteria.weightLower;
    double dHigh = projectCriteria.weightUpper;
    if (!std::isfinite(dHigh))
        dHigh = std::isfinite(projectCriteria.weight) && projectCriteria.weight > dLow
                    ? 2.0 * projectCriteria.weight
                    : dLow + 1.0;
    std::vector<double> weights;
    for (int k = 0; k <= nSteps; ++k)
        weights.push_back(CSensitivityAnalysis::StepAt(dLow, dHigh, k, nSteps));
    return weights;
}

double CProbabilisticSensitivity::CombinedAt(double dWeight, size_t i, size_t s) const
{
    return plan.Rule().Criteria().CombineAt(dWeight, Criterion(int64_t(i), int(s), 0),
                                            Criterion(int64_t(i), int(s), 1));
}

int64_t CProbabilisticSensitivity::EachKept(
    double dWeight, const std::function<void(const std::vector<double> &)> &fnEach) const
{
    if (!TwoCriteria())
        return 0;
    std::vector<double> combined(strategyCount());
    int64_t nCount = 0;
    for (size_t i = 0; i < ok.size(); ++i) {
        if (!ok[i])
            continue;
        ++nCount;
        for (size_t s = 0; s < combined.size(); ++s)
            combined[s] = CombinedAt(dWeight, i, s);
        fnEach(combined);
    }
    return nCount;
}

std::vector<double> CProbabilisticSensitivity::Acceptability(double dWeight) const
{
    std::vector<double> shares(strategyCount(), 0.0);
    const int64_t nCount = EachKept(dWeight, [&shares](const std::vector<double> &combined) {
        if (combined.empty())
            return;
        const double dBest = *std::max_element(combined.begin(), combined.end());
        const auto nTies = std::count(combined.begin(), combined.end(), dBest);
        for (size_t s = 0; s < combined.size(); ++s)
            if (combined[s] == dBest)
                shares[s] += 1.0 / double(nTies);
    });
    for (double &dShare : shares)
        dShare = nCount == 0 ? NaN : dShare / double(nCount);
    return shares;
}

double CProbabilisticSensitivity::EvpiAt(double dWeight) const
{
    std::vector<double> sums(strategyCount(), 0.0);
    double dBestSum = 0.0;
    const int64_t nCount = EachKept(dWeight, [&](const std::vector<double> &combined) {
        for (size_t s = 0; s < combined.size(); ++s)
            sums[s] += combined[s];
        if (!combined.empty())
            dBestSum += *std::max_element(combined.begin(), combined.end());
    });
    if (nCount == 0 || sums.empty())
        return NaN;
    return (dBestSum - *std::max_element(sums.begin(), sums.end())) / double(nCount);
}
