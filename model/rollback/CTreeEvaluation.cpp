#include "CTreeEvaluation.h"

#include "CNode.h"
#include "CTreeIndex.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using NodeType::IsOwner;

constexpr double Unlimited = std::numeric_limits<double>::infinity();

// An option whose value is NaN or minus infinity stays so under any finite
// move, and the rollback never chooses it.
bool NeverChosen(double dValue)
{
    return std::isnan(dValue) || dValue == -Unlimited;
}

} // namespace

CTreeEvaluation::CTreeEvaluation(const CTreeIndex &treeIndex, const CDecisionRule &decisionRule)
    : index(treeIndex), rule(decisionRule), values(size_t(treeIndex.Size())),
      chosen(size_t(treeIndex.Size()), -1), weights(size_t(treeIndex.Size()), 1.0),
      shiftRadii(size_t(treeIndex.Size()), Unlimited), rootRates(size_t(treeIndex.Size()), 1.0),
      riseLimits(size_t(treeIndex.Size()), Unlimited),
      fallLimits(size_t(treeIndex.Size()), Unlimited)
{
    EvaluateUpwards();
    if (rule.IsDefault()) {
        SpreadDownwards();
    } else {
        // A path's end still moves in step with its payoffs; every Decision
        // and Situation is followed on its own.
        for (int n = index.Size() - 1; n >= 0; --n)
            shiftRadii[size_t(n)] = HasOptions(n) ? 0.0
                                    : index.ChildCount(n) == 1
                                        ? shiftRadii[size_t(index.FirstChild(n))]
                                        : Unlimited;
        std::fill(riseLimits.begin(), riseLimits.end(), 0.0);
        std::fill(fallLimits.begin(), fallLimits.end(), 0.0);
    }
}

double CTreeEvaluation::Combine(int nType, int nCount, const double *pProbabilities,
                                const double *pOutcomes, int *pChosen) const
{
    if (nType == NodeType::Situation)
        return rule.Situation(nCount, pProbabilities, pOutcomes);
    return rule.Decide(nCount, pOutcomes, pChosen);
}

bool CTreeEvaluation::HasOptions(int n) const
{
    return IsOwner(index.Type(n)) && index.ChildCount(n) > 0 &&
           index.Type(index.FirstChild(n)) == NodeType::Option;
}

void CTreeEvaluation::MayChange(int n, double dReach, std::vector<int> *pOrder) const
{
    pOrder->assign(1, n);
    for (size_t k = 0; k < pOrder->size(); ++k) {
        const int m = (*pOrder)[k];
        for (int o = index.FirstChild(m); o < index.FirstChild(m) + index.ChildCount(m); ++o) {
            const int c = index.LeadsTo(o);
            if (HasOptions(c) && !(dReach < ShiftRadius(c)))
                pOrder->push_back(c);
        }
    }
}

std::vector<double> CTreeEvaluation::Probabilities(int n) const
{
    std::vector<double> probabilities;
    for (int c = index.FirstChild(n); c < index.FirstChild(n) + index.ChildCount(n); ++c)
        probabilities.push_back(index.Node(c)->probability);
    return probabilities;
}

std::vector<double> CTreeEvaluation::ExpectedValues() const
{
    if (!rule.HasRiskTolerance())
        return values;
    std::vector<double> expected(values);
    for (int n = index.Size() - 1; n >= 0; --n) {
        if (!HasOptions(n)) {
            if (index.ChildCount(n) == 1)
                expected[size_t(n)] = expected[size_t(index.FirstChild(n))];
            continue;
        }
        const int nFirst = index.FirstChild(n);
        if (index.Type(n) == NodeType::Decision) {
            expected[size_t(n)] = chosen[size_t(n)] < 0
                                      ? values[size_t(n)]
                                      : expected[size_t(nFirst + chosen[size_t(n)])];
            continue;
        }
        double dValue = 0.0;
        for (int c = nFirst; c < nFirst + index.ChildCount(n); ++c)
            dValue += index.Node(c)->probability * expected[size_t(c)];
        expected[size_t(n)] = dValue;
    }
    return expected;
}

bool CTreeEvaluation::IsDistribution(const std::vector<double> &probabilities)
{
    double dSum = 0.0;
    bool bInRange = true;
    for (double dProbability : probabilities) {
        bInRange = bInRange && dProbability >= 0.0 && dProbability <= 1.0;
        dSum += dProbability;
    }
    return bInRange && std::fabs(dSum - 1.0) <= CDecisionRule::ActivityThreshold;
}

QString CTreeEvaluation::DistributionProblem() const
{
    for (int n = 0; n < index.Size(); ++n) {
        if (!std::isfinite(values[size_t(n)]))
            return QCoreApplication::translate("CTreeEvaluation",
                                               "The value of %1 is not a number.")
                .arg(index.Describe(n));
        if (!HasOptions(n) || index.Type(n) != NodeType::Situation)
            continue;
        if (!IsDistribution(Probabilities(n)))
            return QCoreApplication::translate(
                       "CTreeEvaluation",
                       "The probabilities of %1 do not lie within 0 and 1 and add up to 1.")
                .arg(index.Describe(n));
    }
    return QString();
}

double CTreeEvaluation::ProbabilitySum(int n) const
{
    double dSum = 0.0;
    for (double dProbability : Probabilities(n))
        dSum += dProbability;
    return dSum;
}

void CTreeEvaluation::EvaluateUpwards()
{
    const int nSize = index.Size();
    // Payoffs summed from the Root down; Decisions and Situations hold
    // computed values, not payoffs, and add nothing.
    pathSums.assign(size_t(nSize), 0.0);
    for (int n = 0; n < nSize; ++n) {
        const double dAbove = n == 0 ? 0.0 : pathSums[size_t(index.Parent(n))];
        const CNode *pNode = index.Node(n);
        pathSums[size_t(n)] =
            IsOwner(index.Type(n)) ? dAbove : dAbove + rule.Payoff(pNode->payoff, pNode->payoff2);
    }

    std::vector<double> outcomes;
    std::vector<double> probabilities;
    // Children come after their parent, so backwards every child is done first.
    for (int n = nSize - 1; n >= 0; --n) {
        const size_t i = size_t(n);
        const int nFirst = index.FirstChild(n);
        const int nCount = index.ChildCount(n);
        if (!HasOptions(n)) {
            // A Terminal, a Decision or Situation left without options, an
            // option or the Root: the value of the one child, or of the path.
            if (nCount == 1) {
                values[i] = values[size_t(nFirst)];
                weights[i] = weights[size_t(nFirst)];
                shiftRadii[i] = shiftRadii[size_t(nFirst)];
            } else {
                values[i] = n == 0 ? 0.0 : pathSums[size_t(index.Parent(n))];
            }
            continue;
        }
        outcomes.assign(values.begin() + nFirst, values.begin() + nFirst + nCount);
        probabilities.resize(size_t(nCount));
        for (int c = 0; c < nCount; ++c)
            probabilities[size_t(c)] = index.Node(nFirst + c)->probability;
        values[i] =
            Combine(index.Type(n), nCount, probabilities.data(), outcomes.data(), &chosen[i]);
        double dRadius = Unlimited;
        for (int c = nFirst; c < nFirst + nCount; ++c)
            dRadius = std::min(dRadius, shiftRadii[size_t(c)]);
        if (index.Type(n) == NodeType::Situation) {
            double dWeight = 0.0;
            for (int c = 0; c < nCount; ++c)
                dWeight += probabilities[size_t(c)] * weights[size_t(nFirst + c)];
            weights[i] = dWeight;
        } else {
            weights[i] = chosen[i] < 0 ? 0.0 : weights[size_t(nFirst + chosen[i])];
            dRadius = std::min(dRadius, DecisionRadius(n));
        }
        shiftRadii[i] = std::isfinite(values[i]) && std::isfinite(weights[i]) ? dRadius : 0.0;
    }
}

double CTreeEvaluation::DecisionRadius(int n) const
{
    const int nChosen = chosen[size_t(n)];
    if (nChosen < 0)
        return 0.0;
    const int nFirst = index.FirstChild(n);
    const size_t best = size_t(nFirst + nChosen);
    double dRadius = Unlimited;
    for (int c = nFirst; c < nFirst + index.ChildCount(n); ++c) {
        if (size_t(c) == best || NeverChosen(values[size_t(c)]))
            continue;
        // Shifted together, two options close their gap at the difference of
        // their weights. Equal weights keep even a tie as it is.
        const double dGap = values[best] - values[size_t(c)];
        const double dApart = std::fabs(weights[best] - weights[size_t(c)]);
        if (dApart == 0.0 && dGap >= 0.0)
            continue;
        const double dLimit = dGap / dApart;
        dRadius = std::isnan(dLimit) ? 0.0 : std::min(dRadius, dLimit);
    }
    return dRadius;
}

bool CTreeEvaluation::Settles(int n, double dRise, double dFall) const
{
    // Written so that NaN settles nothing.
    return (dRise <= 0.0 || dRise < riseLimits[size_t(n)]) &&
           (dFall <= 0.0 || dFall < fallLimits[size_t(n)]);
}

void CTreeEvaluation::SpreadDownwards()
{
    for (int n = 1; n < index.Size(); ++n) {
        const size_t i = size_t(n);
        const int nParent = index.Parent(n);
        const size_t parent = size_t(nParent);
        if (nParent == 0) {
            // The Root's value is that of its child.
            continue;
        }
        if (!HasOptions(nParent)) {
            rootRates[i] = rootRates[parent];
            riseLimits[i] = riseLimits[parent];
            fallLimits[i] = fallLimits[parent];
            continue;
        }
        if (index.Type(nParent) == NodeType::Situation) {
            // A negative probability turns a rise into a fall.
            const double dProbability = index.Node(n)->probability;
            const bool bTurned = dProbability < 0.0;
            const double dScale = std::fabs(dProbability);
            rootRates[i] = rootRates[parent] * dProbability;
            riseLimits[i] = dProbability == 0.0
                                ? Unlimited
                                : (bTurned ? fallLimits[parent] : riseLimits[parent]) / dScale;
            fallLimits[i] = dProbability == 0.0
                                ? Unlimited
                                : (bTurned ? riseLimits[parent] : fallLimits[parent]) / dScale;
            if (std::isnan(dProbability))
                riseLimits[i] = fallLimits[i] = 0.0;
            continue;
        }
        // An option of a Decision: the chosen one carries its changes up and
        // may fall until it meets the runner-up; any other one changes
        // nothing until it rises to the chosen one.
        const int nChosen = chosen[parent];
        const int nFirst = index.FirstChild(nParent);
        const double dBest = nChosen < 0 ? 0.0 : values[size_t(nFirst + nChosen)];
        if (nChosen < 0 || !std::isfinite(dBest)) {
            rootRates[i] = 0.0;
            riseLimits[i] = fallLimits[i] = 0.0;
        } else if (n == nFirst + nChosen) {
            double dRunnerUp = -Unlimited;
            for (int c = nFirst; c < nFirst + index.ChildCount(nParent); ++c)
                if (c != n && !std::isnan(values[size_t(c)]))
                    dRunnerUp = std::max(dRunnerUp, values[size_t(c)]);
            rootRates[i] = rootRates[parent];
            riseLimits[i] = riseLimits[parent];
            fallLimits[i] = std::min(fallLimits[parent], dBest - dRunnerUp);
        } else {
            rootRates[i] = 0.0;
            riseLimits[i] = NeverChosen(values[i]) ? Unlimited : dBest - values[i];
            fallLimits[i] = Unlimited;
        }
    }
}
