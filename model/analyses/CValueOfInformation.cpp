#include "CValueOfInformation.h"

#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "TextNumber.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <unordered_map>
#include <unordered_set>

CValueOfInformation::CValueOfInformation(const CTreeEvaluation &treeEvaluation)
    : evaluation(treeEvaluation)
{
}

QString CValueOfInformation::ReadingNote(const Uncertainty &uncertainty)
{
    if (uncertainty.reading.isEmpty())
        return QString();
    return tr(" (through \"%1\", by Bayes' rule)").arg(uncertainty.test);
}

double CValueOfInformation::Value() const
{
    return evaluation.RootValue();
}

double CValueOfInformation::Gain(double dWithInformation) const
{
    // Information can only help: for costs it lowers the value.
    return evaluation.Rule().Minimizes() ? Value() - dWithInformation : dWithInformation - Value();
}

bool CValueOfInformation::Run()
{
    uncertainties.clear();
    outcomeProbabilities.clear();
    readings.clear();
    overridden.clear();
    allError.clear();
    allValue = 0.0;
    const CTreeIndex &index = evaluation.Index();
    error = index.ShapeProblem();
    treeAtFault = true;
    if (error.isEmpty() && !evaluation.Rule().Expects()) {
        treeAtFault = false;
        error = tr("The value of information needs expected values; the rule %1 takes worst or "
                   "best outcomes instead.")
                    .arg(evaluation.Rule().Name());
    }
    if (error.isEmpty())
        error = evaluation.DistributionProblem();
    if (!error.isEmpty() || !Group())
        return false;

    pathSums.assign(size_t(index.Size()), 0.0);
    for (int n = 0; n < index.Size(); ++n)
        pathSums[size_t(n)] = evaluation.PathSum(n);
    scratch.resize(size_t(index.Size()));
    for (int n = 0; n < index.Size(); ++n)
        scratch[size_t(n)] = evaluation.Value(n);
    std::vector<int> forced(size_t(index.Size()), -1);
    for (size_t u = 0; u < uncertainties.size(); ++u) {
        const std::vector<double> &probabilities = outcomeProbabilities[u];
        const std::vector<int> affected = Above(uncertainties[u].situations);
        std::vector<double> values;
        const CBayesReading &reading = readings[u];
        for (int k = 0; k < int(probabilities.size()); ++k) {
            for (int n : uncertainties[u].situations)
                forced[size_t(n)] = k;
            // Knowing the state, the test's results follow it.
            if (reading.test >= 0)
                overridden[reading.test] = reading.ResultsGiven(size_t(k));
            const bool bPossible = reading.test < 0 || !overridden[reading.test].empty();
            values.push_back(bPossible ? RollBack(affected, forced) : 0.0);
        }
        overridden.clear();
        for (int n : uncertainties[u].situations)
            forced[size_t(n)] = -1;
        Uncertainty &uncertainty = uncertainties[u];
        uncertainty.valueWithInformation =
            evaluation.Rule().Situation(int(values.size()), probabilities.data(), values.data());
        uncertainty.evpi = Gain(uncertainty.valueWithInformation);
    }
    KnowEverything();
    std::stable_sort(uncertainties.begin(), uncertainties.end(),
                     [](const Uncertainty &a, const Uncertainty &b) { return a.evpi > b.evpi; });
    return true;
}

bool CValueOfInformation::Group()
{
    const CTreeIndex &index = evaluation.Index();
    std::map<std::string, size_t> named;
    for (int n = 0; n < index.Size(); ++n) {
        if (index.Type(n) != NodeType::Situation || !evaluation.HasOptions(n))
            continue;
        const std::string &strName = index.Node(n)->name;
        auto found = strName.empty() ? named.end() : named.find(strName);
        if (found == named.end()) {
            if (!strName.empty())
                named.emplace(strName, uncertainties.size());
            uncertainties.push_back(
                {QString::fromStdString(strName), {n}, 0.0, 0.0, QString(), QString()});
            outcomeProbabilities.push_back(evaluation.Probabilities(n));
            readings.emplace_back();
            continue;
        }
        Uncertainty &uncertainty = uncertainties[found->second];
        const int nFirst = uncertainty.situations.front();
        bool bSame = index.ChildCount(n) == index.ChildCount(nFirst);
        for (int k = 0; bSame && k < index.ChildCount(n); ++k)
            bSame = index.Node(index.FirstChild(n) + k)->name ==
                    index.Node(index.FirstChild(nFirst) + k)->name;
        // Differing probabilities alone may be one uncertainty seen through a test.
        if (bSame && evaluation.Probabilities(n) != outcomeProbabilities[found->second])
            uncertainty.reading = QStringLiteral("bayes");
        if (!bSame) {
            error = tr("The Situations named \"%1\" (#%2 and #%3) are one uncertainty, but their "
                       "options differ in names or probabilities.")
                        .arg(uncertainty.name)
                        .arg(CTreeIndex::IdOf(nFirst))
                        .arg(CTreeIndex::IdOf(n));
            return false;
        }
        uncertainty.situations.push_back(n);
    }
    for (size_t u = 0; u < uncertainties.size(); ++u) {
        Uncertainty &uncertainty = uncertainties[u];
        if (uncertainty.reading.isEmpty())
            continue;
        CBayesReading &reading = readings[u];
        if (!reading.Read(evaluation, uncertainty.situations, &error))
            return false;
        // The test is known or not as a whole: a copy of it elsewhere would
        // be a second test of the same state.
        for (const Uncertainty &other : uncertainties)
            if (other.situations.size() > 1 &&
                std::find(other.situations.begin(), other.situations.end(), reading.test) !=
                    other.situations.end()) {
                error = tr("The Situations named \"%1\" follow the test %2, which appears more "
                           "than once; the tree gives no single reading of them.")
                            .arg(uncertainty.name, index.Describe(reading.test));
                return false;
            }
        uncertainty.test = QString::fromStdString(index.Node(reading.test)->name);
        outcomeProbabilities[u] = reading.priors;
    }
    return true;
}

double CValueOfInformation::RollBack(const std::vector<int> &affected,
                                     const std::vector<int> &forced)
{
    // Only the forced Situations and the nodes above them change; everything
    // else keeps the evaluation's value.
    const CTreeIndex &index = evaluation.Index();
    std::vector<double> probabilities;
    for (int n : affected) {
        const int nFirst = index.FirstChild(n);
        const int nCount = index.ChildCount(n);
        if (!evaluation.HasOptions(n)) {
            scratch[size_t(n)] = scratch[size_t(nFirst)];
        } else if (forced[size_t(n)] >= 0) {
            scratch[size_t(n)] = scratch[size_t(nFirst + forced[size_t(n)])];
        } else {
            const auto it = overridden.find(n);
            probabilities = it != overridden.end() ? it->second : evaluation.Probabilities(n);
            scratch[size_t(n)] = evaluation.Combine(index.Type(n), nCount, probabilities.data(),
                                                    scratch.data() + nFirst);
        }
    }
    const double dValue = scratch.front();
    for (int n : affected)
        scratch[size_t(n)] = evaluation.Value(n);
    return dValue;
}

std::vector<int> CValueOfInformation::Above(const std::vector<int> &situations) const
{
    std::vector<int> above;
    std::unordered_set<int> seen;
    for (int n : situations)
        for (int m = n; m >= 0 && seen.insert(m).second; m = evaluation.Index().Parent(m))
            above.push_back(m);
    // Children before their parents.
    std::sort(above.begin(), above.end(), std::greater<int>());
    return above;
}

std::vector<bool> CValueOfInformation::Linked() const
{
    // Two Situations of one uncertainty are independent of each other only
    // when they lie below different options of a Situation: then one case
    // excludes the other. Below two options of a Decision, or one below the
    // other, knowing one means knowing the other.
    const CTreeIndex &index = evaluation.Index();
    std::vector<bool> linked(uncertainties.size(), false);
    for (size_t u = 0; u < uncertainties.size(); ++u) {
        const std::vector<int> &copies = uncertainties[u].situations;
        const std::unordered_set<int> copySet(copies.begin(), copies.end());
        // Each node passed on the way up, with the child it was entered from.
        std::unordered_map<int, int> passed;
        for (size_t k = 0; k < copies.size() && !linked[u]; ++k) {
            for (int nFrom = copies[k], m = index.Parent(nFrom); m >= 0;
                 nFrom = m, m = index.Parent(m)) {
                if (copySet.count(m)) {
                    linked[u] = true;
                    break;
                }
                const auto [it, bNew] = passed.emplace(m, nFrom);
                if (!bNew) {
                    linked[u] = it->second != nFrom && index.Type(m) != NodeType::Situation;
                    break;
                }
            }
        }
    }
    return linked;
}

void CValueOfInformation::KnowEverything()
{
    const CTreeIndex &index = evaluation.Index();
    const std::vector<bool> linked = Linked();
    std::vector<size_t> enumerated;
    // Cases per enumerated uncertainty: an outcome each, or for one read
    // through a test, each pair of state and result.
    std::vector<size_t> counts;
    double dCases = 1.0;
    for (size_t u = 0; u < uncertainties.size(); ++u) {
        if (!linked[u] && readings[u].test < 0)
            continue;
        enumerated.push_back(u);
        counts.push_back(outcomeProbabilities[u].size() *
                         (readings[u].test < 0 ? 1 : readings[u].joint.front().size()));
        dCases *= double(counts.back());
    }
    if (dCases * double(index.Size()) > MaxWork) {
        allError = tr("Knowing everything at once is too much to compute: %n uncertainties "
                      "appear below several options of one Decision.",
                      nullptr, int(enumerated.size()));
        return;
    }
    // Case by case over the enumerated uncertainties, like the digits of a
    // number, each case weighed by the probability of its outcomes.
    std::vector<int> forced(size_t(index.Size()), -1);
    std::vector<size_t> digits(enumerated.size(), 0);
    std::vector<Distribution> cases;
    std::vector<double> weights;
    for (;;) {
        double dWeight = 1.0;
        for (size_t d = 0; d < enumerated.size(); ++d) {
            const size_t u = enumerated[d];
            const CBayesReading &reading = readings[u];
            size_t nOutcome = digits[d];
            if (reading.test < 0) {
                dWeight *= outcomeProbabilities[u][nOutcome];
            } else {
                const size_t nResults = reading.joint.front().size();
                nOutcome = digits[d] / nResults;
                dWeight *= reading.joint[nOutcome][digits[d] % nResults];
                forced[size_t(reading.test)] = int(digits[d] % nResults);
            }
            for (int n : uncertainties[u].situations)
                forced[size_t(n)] = int(nOutcome);
        }
        if (dWeight > 0.0) {
            cases.push_back(Distributions(forced));
            weights.push_back(dWeight);
        }
        size_t d = 0;
        while (d < digits.size() && ++digits[d] == counts[d])
            digits[d++] = 0;
        if (d == digits.size())
            break;
    }
    std::vector<std::pair<double, const Distribution *>> parts;
    for (size_t c = 0; c < cases.size(); ++c)
        parts.emplace_back(weights[c], &cases[c]);
    const Distribution all = Mixture(parts);
    std::vector<double> values;
    std::vector<double> probabilities;
    for (const Outcome &outcome : all) {
        values.push_back(outcome.value);
        probabilities.push_back(outcome.probability);
    }
    allValue = evaluation.Rule().Situation(int(values.size()), probabilities.data(), values.data());
}

CValueOfInformation::Distribution
CValueOfInformation::Distributions(const std::vector<int> &forced) const
{
    // Children come after their parent, so backwards every child is done
    // first; each hands its distribution over once and is then left empty.
    const CTreeIndex &index = evaluation.Index();
    std::vector<Distribution> distributions(size_t(index.Size()));
    for (int n = index.Size() - 1; n >= 0; --n) {
        const int nFirst = index.FirstChild(n);
        const int nCount = index.ChildCount(n);
        Distribution &here = distributions[size_t(n)];
        if (!evaluation.HasOptions(n)) {
            if (nCount == 1)
                here.swap(distributions[size_t(nFirst)]);
            else
                here.push_back({n == 0 ? 0.0 : pathSums[size_t(index.Parent(n))], 1.0});
        } else if (forced[size_t(n)] >= 0) {
            here.swap(distributions[size_t(nFirst + forced[size_t(n)])]);
        } else if (index.Type(n) == NodeType::Situation) {
            std::vector<std::pair<double, const Distribution *>> parts;
            for (int c = nFirst; c < nFirst + nCount; ++c)
                parts.emplace_back(index.Node(c)->probability, &distributions[size_t(c)]);
            here = Mixture(parts);
        } else {
            std::vector<const Distribution *> options;
            for (int c = nFirst; c < nFirst + nCount; ++c)
                options.push_back(&distributions[size_t(c)]);
            here = Extreme(options);
        }
        for (int c = nFirst; c < nFirst + nCount; ++c)
            Distribution().swap(distributions[size_t(c)]);
    }
    return std::move(distributions.front());
}

void CValueOfInformation::Merge(Distribution *pDistribution)
{
    CRiskProfile::MergeEqualValues(pDistribution);
}

CValueOfInformation::Distribution
CValueOfInformation::Mixture(const std::vector<std::pair<double, const Distribution *>> &parts)
{
    Distribution mixed;
    for (const auto &[dWeight, pPart] : parts)
        if (dWeight > 0.0)
            for (const Outcome &outcome : *pPart)
                mixed.push_back({outcome.value, dWeight * outcome.probability});
    Merge(&mixed);
    return mixed;
}

CValueOfInformation::Distribution
CValueOfInformation::Extreme(const std::vector<const Distribution *> &options) const
{
    // Independent options: P(best <= x) is the product of each one's
    // P(<= x); for a rule that minimises, P(least > x) the product of each
    // one's P(> x).
    const bool bMinimizes = evaluation.Rule().Minimizes();
    Distribution support;
    for (const Distribution *pOption : options)
        support.insert(support.end(), pOption->begin(), pOption->end());
    Merge(&support);
    std::vector<size_t> next(options.size(), 0);
    std::vector<double> below(options.size(), 0.0);
    double dBefore = bMinimizes ? 1.0 : 0.0;
    for (Outcome &outcome : support) {
        double dProduct = 1.0;
        for (size_t i = 0; i < options.size(); ++i) {
            const Distribution &option = *options[i];
            while (next[i] < option.size() && option[next[i]].value <= outcome.value)
                below[i] += option[next[i]++].probability;
            dProduct *= bMinimizes ? std::max(0.0, 1.0 - below[i]) : below[i];
        }
        outcome.probability = bMinimizes ? dBefore - dProduct : dProduct - dBefore;
        dBefore = dProduct;
    }
    return support;
}

CAnalysisTable CValueOfInformation::Table() const
{
    CAnalysisTable table{{QStringLiteral("uncertainty"), QStringLiteral("situations"),
                          QStringLiteral("value with information"), QStringLiteral("evpi")},
                         {},
                         {}};
    for (const Uncertainty &uncertainty : uncertainties) {
        table.rows.push_back(
            {uncertainty.name, CAnalysisTable::Ids(uncertainty.situations).join(QLatin1Char(' ')),
             PlainNumber(uncertainty.valueWithInformation), PlainNumber(uncertainty.evpi)});
    }
    if (HasAll())
        table.rows.push_back({QStringLiteral("everything"), QString(),
                              PlainNumber(AllValueWithInformation()), PlainNumber(AllEvpi())});
    return table;
}
