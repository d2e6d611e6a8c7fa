#include "CRiskProfile.h"

#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "SubtreeWalk.h"
#include "TextNumber.h"

#include <algorithm>
#include <cmath>

namespace {

// Cumulative probabilities that differ by less are the same: sums of the
// same probabilities in another order.
constexpr double Rounding = 1e-12;

} // namespace

CRiskProfile::CRiskProfile(const CTreeEvaluation &treeEvaluation) : evaluation(treeEvaluation) {}

int CRiskProfile::FirstDecision(const CTreeEvaluation &evaluation)
{
    // Breadth-first, as the file numbers nodes: the Root's child comes first.
    const CTreeIndex &index = evaluation.Index();
    for (int n = 0; n < index.Size(); ++n)
        if (index.Type(n) == NodeType::Decision && evaluation.HasOptions(n))
            return n;
    return -1;
}

bool CRiskProfile::Run()
{
    profiles.clear();
    decision = -1;
    const CTreeIndex &index = evaluation.Index();
    error = index.ShapeProblem();
    if (error.isEmpty())
        error = evaluation.DistributionProblem();
    if (!error.isEmpty())
        return false;
    decision = FirstDecision(evaluation);
    if (decision < 0) {
        profiles.push_back(ProfileFrom(0));
        profiles.back().chosen = true;
        return true;
    }
    const int nFirst = index.FirstChild(decision);
    for (int o = nFirst; o < nFirst + index.ChildCount(decision); ++o) {
        profiles.push_back(ProfileFrom(o));
        profiles.back().chosen = o - nFirst == evaluation.Chosen(decision);
    }
    return true;
}

CRiskProfile::Profile CRiskProfile::ProfileFrom(int nStart) const
{
    const CTreeIndex &index = evaluation.Index();
    Profile profile;
    profile.option = nStart;
    profile.name = QString::fromStdString(index.Node(nStart)->name);
    // Each node goes with the probability of reaching it from nStart.
    using Reach = std::pair<int, double>;
    WalkDepthFirst(Reach{nStart, 1.0}, [&](const Reach &item, const auto &push) {
        const auto [n, dProbability] = item;
        const int nFirst = index.FirstChild(n);
        if (!evaluation.HasOptions(n)) {
            if (index.ChildCount(n) == 1)
                push({nFirst, dProbability});
            else
                profile.outcomes.push_back({evaluation.Value(n), dProbability});
        } else if (index.Type(n) == NodeType::Decision) {
            if (evaluation.Chosen(n) >= 0)
                push({nFirst + evaluation.Chosen(n), dProbability});
        } else {
            for (int c = nFirst; c < nFirst + index.ChildCount(n); ++c)
                if (index.Node(c)->probability > 0.0)
                    push({c, dProbability * index.Node(c)->probability});
        }
    });
    std::vector<Outcome> &outcomes = profile.outcomes;
    MergeEqualValues(&outcomes);
    if (outcomes.empty())
        return profile;
    for (const Outcome &outcome : outcomes) {
        profile.mean += outcome.probability * outcome.value;
        if (outcome.value < 0.0)
            profile.probabilityOfLoss += outcome.probability;
    }
    double dVariance = 0.0;
    for (const Outcome &outcome : outcomes)
        dVariance +=
            outcome.probability * (outcome.value - profile.mean) * (outcome.value - profile.mean);
    profile.standardDeviation = std::sqrt(dVariance);
    profile.minimum = outcomes.front().value;
    profile.maximum = outcomes.back().value;
    return profile;
}

bool CRiskProfile::Dominates(const Profile &a, const Profile &b) const
{
    // a's cumulative probability never lies above b's, and somewhere below
    // (the other way round when lower totals are better). Between outcomes
    // both stay flat, so comparing at every outcome of either is enough.
    const bool bLowerBetter = evaluation.Rule().Minimizes();
    size_t i = 0;
    size_t j = 0;
    double dA = 0.0;
    double dB = 0.0;
    bool bStrict = false;
    while (i < a.outcomes.size() || j < b.outcomes.size()) {
        const double dNextA = i < a.outcomes.size() ? a.outcomes[i].value : HUGE_VAL;
        const double dNextB = j < b.outcomes.size() ? b.outcomes[j].value : HUGE_VAL;
        const double dX = std::min(dNextA, dNextB);
        while (i < a.outcomes.size() && a.outcomes[i].value == dX)
            dA += a.outcomes[i++].probability;
        while (j < b.outcomes.size() && b.outcomes[j].value == dX)
            dB += b.outcomes[j++].probability;
        const double dWorse = bLowerBetter ? dB - dA : dA - dB;
        if (dWorse > Rounding)
            return false;
        bStrict = bStrict || dWorse < -Rounding;
    }
    return bStrict;
}

std::vector<std::pair<size_t, size_t>> CRiskProfile::Dominance() const
{
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t a = 0; a < profiles.size(); ++a)
        for (size_t b = 0; b < profiles.size(); ++b)
            if (a != b && Dominates(profiles[a], profiles[b]))
                pairs.emplace_back(a, b);
    return pairs;
}

QString CRiskProfile::DominanceText() const
{
    QStringList sentences;
    for (const auto &[a, b] : Dominance())
        sentences << tr("%1 dominates %2").arg(profiles[a].name, profiles[b].name);
    return sentences.isEmpty() ? tr("no option dominates another")
                               : sentences.join(QStringLiteral("; "));
}

void CRiskProfile::MergeEqualValues(std::vector<Outcome> *pOutcomes)
{
    std::vector<Outcome> &outcomes = *pOutcomes;
    std::sort(outcomes.begin(), outcomes.end(),
              [](const Outcome &a, const Outcome &b) { return a.value < b.value; });
    size_t nKept = 0;
    for (const Outcome &outcome : outcomes) {
        if (nKept > 0 && outcomes[nKept - 1].value == outcome.value)
            outcomes[nKept - 1].probability += outcome.probability;
        else
            outcomes[nKept++] = outcome;
    }
    outcomes.resize(nKept);
}

CAnalysisTable CRiskProfile::Table() const
{
    CAnalysisTable table{{QStringLiteral("option"), QStringLiteral("id"), QStringLiteral("chosen"),
                          QStringLiteral("value"), QStringLiteral("probability"),
                          QStringLiteral("cumulative")},
                         {},
                         {}};
    for (const Profile &option : profiles) {
        double dCumulative = 0.0;
        for (const Outcome &outcome : option.outcomes) {
            dCumulative += outcome.probability;
            table.rows.push_back({option.name, QString::number(CTreeIndex::IdOf(option.option)),
                                  option.chosen ? QStringLiteral("1") : QStringLiteral("0"),
                                  PlainNumber(outcome.value), PlainNumber(outcome.probability),
                                  PlainNumber(dCumulative)});
        }
    }
    return table;
}
