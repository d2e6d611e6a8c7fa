#include "CSensitivityAnalysis.h"

#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "TextNumber.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace {

// How fast each option of a Situation moves when the one at nPosition moves
// by one: that one by 1, the others take the change away from themselves.
std::vector<double> SiblingRates(const std::vector<double> &current, int nPosition)
{
    double dRest = 0.0;
    for (size_t j = 0; j < current.size(); ++j)
        if (int(j) != nPosition)
            dRest += current[j];
    std::vector<double> rates(current.size());
    for (size_t j = 0; j < current.size(); ++j) {
        if (int(j) == nPosition)
            rates[j] = 1.0;
        else
            rates[j] = dRest != 0.0 ? -current[j] / dRest : -1.0 / double(current.size() - 1);
    }
    return rates;
}

} // namespace

CSensitivityAnalysis::CSensitivityAnalysis(const CTreeEvaluation &treeEvaluation)
    : evaluation(treeEvaluation)
{
}

std::vector<double> CSensitivityAnalysis::MovedProbabilities(const std::vector<double> &current,
                                                             int nPosition, double dValue)
{
    const std::vector<double> rates = SiblingRates(current, nPosition);
    const double dChange = dValue - current[size_t(nPosition)];
    std::vector<double> moved(current.size());
    for (size_t j = 0; j < current.size(); ++j)
        moved[j] = current[j] + rates[j] * dChange;
    moved[size_t(nPosition)] = dValue;
    return moved;
}

bool CSensitivityAnalysis::Check(int nOption, Parameter parameter, double dLow, double dHigh,
                                 int nSteps)
{
    const CTreeIndex &index = evaluation.Index();
    error = index.ShapeProblem();
    treeAtFault = !error.isEmpty();
    if (treeAtFault)
        return false;
    if (nOption < 0 || nOption >= index.Size() || index.Type(nOption) != NodeType::Option) {
        error = tr("Only the payoff or probability of an option can be analysed.");
        return false;
    }
    const bool bProbability = parameter == Parameter::Probability;
    const bool bSecond = parameter == Parameter::SecondPayoff;
    const CDecisionRule &rule = evaluation.Rule();
    if (bSecond && !rule.Criteria().two) {
        error = tr("Only a project of two criteria has second payoffs.");
        return false;
    }
    // Certainty equivalents bend with every payoff, so no exact break-even
    // can be told by following lines.
    if (rule.HasRiskTolerance()) {
        error = tr("With a risk tolerance the values are certainty equivalents, which do not "
                   "move along straight lines; the analysis follows expected values only.");
        return false;
    }
    const QString strRule = bProbability ? ProbabilityProblem(rule) : QString();
    if (!strRule.isEmpty()) {
        error = strRule;
        return false;
    }
    if (bProbability && index.Type(index.Parent(nOption)) != NodeType::Situation) {
        error = tr("%1 belongs to a Decision, so its probability plays no part.")
                    .arg(index.Describe(nOption));
        return false;
    }
    const CNode *pOption = index.Node(nOption);
    current = bProbability ? pOption->probability : bSecond ? pOption->payoff2 : pOption->payoff;
    if (!std::isfinite(current)) {
        treeAtFault = true;
        error = tr("The %1 of %2 is not a number.")
                    .arg(bProbability ? tr("probability")
                         : bSecond    ? tr("second payoff")
                                      : tr("payoff"),
                         index.Describe(nOption));
        return false;
    }
    if (!std::isfinite(dLow) || !std::isfinite(dHigh) || !(dLow < dHigh)) {
        error = tr("The range must run from a lower to a higher number.");
        return false;
    }
    if (bProbability && (dLow < 0.0 || dHigh > 1.0)) {
        error = tr("A probability can only move between 0 and 1.");
        return false;
    }
    if (!std::isfinite(dHigh - dLow) || !std::isfinite(dLow - current) ||
        !std::isfinite(dHigh - current)) {
        error = tr("The range is too wide to analyse.");
        return false;
    }
    if (nSteps < 1 || nSteps > MaxSteps) {
        error = tr("The number of steps must lie between 1 and %1.").arg(MaxSteps);
        return false;
    }
    return true;
}

bool CSensitivityAnalysis::CheckWeight(double dLow, double dHigh, int nSteps)
{
    const CTreeIndex &index = evaluation.Index();
    error = index.ShapeProblem();
    treeAtFault = !error.isEmpty();
    if (treeAtFault)
        return false;
    const CCriteria &criteria = evaluation.Rule().Criteria();
    if (!criteria.two) {
        error = tr("Only a project of two criteria weighs them with w.");
        return false;
    }
    if (!std::isfinite(dLow) || !std::isfinite(dHigh) || !(dLow < dHigh) || dLow < 0.0) {
        error = tr("The weight's range must run from a number at or above 0 to a higher one.");
        return false;
    }
    if (nSteps < 1 || nSteps > MaxSteps) {
        error = tr("The number of steps must lie between 1 and %1.").arg(MaxSteps);
        return false;
    }
    current = criteria.weight;
    return true;
}

bool CSensitivityAnalysis::Run(int nOption, Parameter parameter, double dLow, double dHigh,
                               int nSteps)
{
    followed.clear();
    breakEvens.clear();
    switching.clear();
    steps.clear();
    root = CPiecewiseLinear();
    option = nOption;
    kind = parameter;
    low = dLow;
    high = dHigh;
    if (parameter == Parameter::Weight) {
        if (!CheckWeight(dLow, dHigh, nSteps))
            return false;
        origin = 0.0;
        root = OverWeight();
        CollectResults(nSteps);
        return true;
    }
    if (!Check(nOption, parameter, dLow, dHigh, nSteps))
        return false;

    const CTreeIndex &index = evaluation.Index();
    origin = current;
    const double dLowShift = low - current;
    const double dHighShift = high - current;
    int nMoved = 0;
    CPiecewiseLinear moved;
    if (kind != Parameter::Probability) {
        nMoved = index.LeadsTo(option);
        moved = ShiftedBelow(nMoved, dLowShift, dHighShift, PayoffRate(evaluation.Rule(), kind));
    } else {
        nMoved = index.Parent(option);
        moved = ProbabilityLine(nMoved, dLowShift, dHighShift);
    }
    // Up to the Root, or until no Decision further up can change its choice:
    // from there on the Root follows linearly.
    for (;;) {
        const int nAbove = index.Parent(nMoved);
        if (nAbove == 0) {
            root = moved;
            break;
        }
        const double dValue = evaluation.Value(nMoved);
        const auto [dLowest, dHighest] = moved.Extremes();
        if (evaluation.Settles(nMoved, dHighest - dValue, dValue - dLowest)) {
            const double dRate = evaluation.RootRate(nMoved);
            root = moved.Affine(dRate, evaluation.RootValue() - dRate * dValue);
            break;
        }
        const int nOwner = index.Parent(nAbove);
        moved = CombineAbove(nOwner, index.ChildPosition(nAbove), moved);
        nMoved = nOwner;
    }
    CollectResults(nSteps);
    return true;
}

CPiecewiseLinear CSensitivityAnalysis::ShiftedBelow(int nNode, double dLowShift, double dHighShift,
                                                    double dRate)
{
    const CTreeIndex &index = evaluation.Index();
    const double dReach = std::max(std::fabs(dLowShift), std::fabs(dHighShift)) * std::fabs(dRate);
    auto line = [&](int n) {
        return CPiecewiseLinear(dLowShift, dHighShift, evaluation.Value(n),
                                evaluation.Weight(n) * dRate);
    };
    if (dReach < evaluation.ShiftRadius(nNode))
        return line(nNode);

    // Only the Decisions and Situations where a choice may change need their
    // own functions.
    std::vector<int> order;
    evaluation.MayChange(nNode, dReach, &order);
    std::unordered_map<int, CPiecewiseLinear> done;
    for (size_t k = order.size(); k-- > 0;) {
        const int m = order[k];
        const bool bDecision = index.Type(m) == NodeType::Decision;
        CPiecewiseLinear f(dLowShift, dHighShift, 0.0, 0.0);
        Candidates candidates;
        for (int o = index.FirstChild(m); o < index.FirstChild(m) + index.ChildCount(m); ++o) {
            const int c = index.LeadsTo(o);
            auto it = done.find(c);
            CPiecewiseLinear outcome = it == done.end() ? line(c) : std::move(it->second);
            if (it != done.end())
                done.erase(it);
            if (bDecision || !evaluation.Rule().Expects())
                candidates.emplace_back(o - index.FirstChild(m), std::move(outcome));
            else
                f = f.PlusWeighted(outcome, index.Node(o)->probability);
        }
        if (bDecision)
            done[m] = Decide(m, std::move(candidates));
        else
            done[m] = evaluation.Rule().Expects() ? std::move(f) : Extreme(m, candidates);
    }
    return done[nNode];
}

CPiecewiseLinear CSensitivityAnalysis::ProbabilityLine(int nSituation, double dLowShift,
                                                       double dHighShift) const
{
    const CTreeIndex &index = evaluation.Index();
    const int nFirst = index.FirstChild(nSituation);
    const std::vector<double> rates =
        SiblingRates(evaluation.Probabilities(nSituation), option - nFirst);
    double dSlope = 0.0;
    for (size_t j = 0; j < rates.size(); ++j)
        dSlope += rates[j] * evaluation.Value(nFirst + int(j));
    return CPiecewiseLinear(dLowShift, dHighShift, evaluation.Value(nSituation), dSlope);
}

CPiecewiseLinear CSensitivityAnalysis::CombineAbove(int nOwner, int nPosition,
                                                    const CPiecewiseLinear &moved)
{
    const CTreeIndex &index = evaluation.Index();
    const int nFirst = index.FirstChild(nOwner);
    const int nCount = index.ChildCount(nOwner);
    const CDecisionRule &rule = evaluation.Rule();
    if (index.Type(nOwner) == NodeType::Situation && rule.Expects()) {
        double dOthers = 0.0;
        for (int j = 0; j < nCount; ++j)
            if (j != nPosition)
                dOthers += index.Node(nFirst + j)->probability * evaluation.Value(nFirst + j);
        return moved.Affine(index.Node(nFirst + nPosition)->probability, dOthers);
    }
    if (index.Type(nOwner) == NodeType::Situation) {
        Candidates all;
        for (int j = 0; j < nCount; ++j)
            all.emplace_back(j, j == nPosition
                                    ? moved
                                    : CPiecewiseLinear(moved.Low(), moved.High(),
                                                       evaluation.Value(nFirst + j), 0.0));
        return Extreme(nOwner, all);
    }
    // The options before the moved one keep a tie against it, the ones after
    // lose it; each group acts as its own best option.
    double dBefore = rule.Unbeaten();
    int nBefore = CPiecewiseLinear::NoTag;
    double dAfter = rule.Unbeaten();
    int nAfter = CPiecewiseLinear::NoTag;
    for (int j = 0; j < nCount; ++j) {
        const double dValue = evaluation.Value(nFirst + j);
        if (j < nPosition && rule.Better(dValue, dBefore)) {
            dBefore = dValue;
            nBefore = j;
        } else if (j > nPosition && rule.Better(dValue, dAfter)) {
            dAfter = dValue;
            nAfter = j;
        }
    }
    Candidates candidates;
    if (nBefore != CPiecewiseLinear::NoTag)
        candidates.emplace_back(nBefore, CPiecewiseLinear(moved.Low(), moved.High(), dBefore, 0.0));
    candidates.emplace_back(nPosition, moved);
    if (nAfter != CPiecewiseLinear::NoTag)
        candidates.emplace_back(nAfter, CPiecewiseLinear(moved.Low(), moved.High(), dAfter, 0.0));
    return Decide(nOwner, std::move(candidates));
}

CPiecewiseLinear CSensitivityAnalysis::Decide(int nDecision, Candidates candidates)
{
    const CPiecewiseLinear &first = candidates.front().second;
    const CDecisionRule &rule = evaluation.Rule();
    CPiecewiseLinear best(first.Low(), first.High(), rule.Unbeaten(), 0.0);
    for (const auto &[nPosition, function] : candidates)
        best =
            rule.Minimizes() ? best.Less(function, nPosition) : best.Greater(function, nPosition);
    best.Tidy();
    Followed &kept = followed[nDecision];
    kept.candidates = std::move(candidates);
    for (const CPiecewiseLinear::Piece &piece : best.Pieces())
        if (kept.starts.empty() || kept.starts.back().second != piece.tag)
            kept.starts.emplace_back(piece.start, piece.tag);
    return best;
}

CPiecewiseLinear CSensitivityAnalysis::Extreme(int nSituation, const Candidates &candidates) const
{
    // The rollback's own choice of options: those whose probability counts,
    // or all when none does.
    const CTreeIndex &index = evaluation.Index();
    const int nFirst = index.FirstChild(nSituation);
    bool bAny = false;
    for (const auto &candidate : candidates)
        bAny = bAny || CDecisionRule::Counts(index.Node(nFirst + candidate.first)->probability);
    const bool bBest = evaluation.Rule().TakesBest();
    CPiecewiseLinear extreme;
    bool bStarted = false;
    for (const auto &[nPosition, function] : candidates) {
        if (bAny && !CDecisionRule::Counts(index.Node(nFirst + nPosition)->probability))
            continue;
        extreme = !bStarted ? function
                  : bBest   ? extreme.Greater(function, CPiecewiseLinear::NoTag)
                            : extreme.Less(function, CPiecewiseLinear::NoTag);
        bStarted = true;
    }
    extreme.Tidy();
    return extreme;
}

CPiecewiseLinear CSensitivityAnalysis::OverWeight()
{
    // Each path's two criteria summed from the Root down; at its end the
    // combined value s1 × w × c1 + s2 × c2 is a line in w.
    const CTreeIndex &index = evaluation.Index();
    const CCriteria &criteria = evaluation.Rule().Criteria();
    const int nSize = index.Size();
    std::vector<double> sums1(size_t(nSize), 0.0);
    std::vector<double> sums2(size_t(nSize), 0.0);
    for (int n = 0; n < nSize; ++n) {
        const size_t i = size_t(n);
        const size_t up = size_t(n == 0 ? 0 : index.Parent(n));
        const bool bOwner = NodeType::IsOwner(index.Type(n));
        const CNode *pNode = index.Node(n);
        sums1[i] = (n == 0 ? 0.0 : sums1[up]) + (bOwner ? 0.0 : pNode->payoff);
        sums2[i] = (n == 0 ? 0.0 : sums2[up]) + (bOwner ? 0.0 : pNode->payoff2);
    }
    // Children come after their parent: backwards, each is done before it.
    std::vector<CPiecewiseLinear> done(static_cast<size_t>(nSize));
    for (int n = nSize - 1; n >= 0; --n) {
        const size_t i = size_t(n);
        const int nFirst = index.FirstChild(n);
        const int nCount = index.ChildCount(n);
        if (!evaluation.HasOptions(n)) {
            if (nCount == 1) {
                done[i] = std::move(done[size_t(nFirst)]);
            } else {
                const size_t path = size_t(n == 0 ? 0 : index.Parent(n));
                const double dFirst = n == 0 ? 0.0 : sums1[path];
                const double dSecond = n == 0 ? 0.0 : sums2[path];
                done[i] = CPiecewiseLinear(low, high, criteria.Sign(1) * dSecond,
                                           criteria.Sign(0) * dFirst);
            }
            continue;
        }
        if (index.Type(n) == NodeType::Situation) {
            CPiecewiseLinear f(low, high, 0.0, 0.0);
            for (int c = nFirst; c < nFirst + nCount; ++c)
                f = f.PlusWeighted(done[size_t(c)], index.Node(c)->probability);
            done[i] = std::move(f);
        } else {
            Candidates candidates;
            for (int c = nFirst; c < nFirst + nCount; ++c)
                candidates.emplace_back(c - nFirst, std::move(done[size_t(c)]));
            done[i] = Decide(n, std::move(candidates));
        }
        for (int c = nFirst; c < nFirst + nCount; ++c)
            done[size_t(c)] = CPiecewiseLinear();
    }
    return std::move(done.front());
}

int CSensitivityAnalysis::OptionAt(int nDecision, int nPosition) const
{
    return nPosition < 0 ? -1 : evaluation.Index().FirstChild(nDecision) + nPosition;
}

void CSensitivityAnalysis::CollectResults(int nSteps)
{
    for (const auto &[nDecision, kept] : followed) {
        const auto &starts = kept.starts;
        for (size_t k = 1; k < starts.size(); ++k) {
            const double dShift = starts[k].first;
            breakEvens.push_back({origin + dShift, root.At(dShift), nDecision,
                                  OptionAt(nDecision, starts[k - 1].second),
                                  OptionAt(nDecision, starts[k].second)});
        }
        if (starts.size() > 1)
            switching.push_back(nDecision);
    }
    std::stable_sort(
        breakEvens.begin(), breakEvens.end(),
        [](const BreakEven &a, const BreakEven &b) { return a.parameter < b.parameter; });

    steps.reserve(size_t(nSteps) + 1);
    for (int s = 0; s <= nSteps; ++s) {
        Step step;
        step.parameter = StepAt(low, high, s, nSteps);
        step.value = ValueAt(step.parameter);
        for (int nDecision : switching)
            step.choices.push_back(ChosenAt(nDecision, step.parameter));
        steps.push_back(std::move(step));
    }
}

double CSensitivityAnalysis::CurrentValue() const
{
    return evaluation.RootValue();
}

double CSensitivityAnalysis::ValueAt(double dParameter) const
{
    return root.Pieces().empty() ? evaluation.RootValue() : root.At(dParameter - origin);
}

std::vector<std::pair<double, double>> CSensitivityAnalysis::Corners() const
{
    std::vector<std::pair<double, double>> corners;
    if (root.Pieces().empty())
        return corners;
    for (const CPiecewiseLinear::Piece &piece : root.Pieces())
        corners.emplace_back(corners.empty() ? low : origin + piece.start, piece.At(piece.start));
    corners.emplace_back(high, root.At(high - origin));
    return corners;
}

int CSensitivityAnalysis::ChosenAt(int nDecision, double dParameter) const
{
    auto found = followed.find(nDecision);
    if (found == followed.end())
        return OptionAt(nDecision, evaluation.Chosen(nDecision));
    // The rollback's own rule at this very point, so that a tie right at a
    // change (or at an end of the range) keeps the earlier option as the
    // editor does.
    const double dShift = dParameter - origin;
    const CDecisionRule &rule = evaluation.Rule();
    double dBest = rule.Unbeaten();
    int nBest = -1;
    for (const auto &[nPosition, function] : found->second.candidates) {
        const double dValue = function.At(dShift);
        if (rule.Better(dValue, dBest)) {
            dBest = dValue;
            nBest = nPosition;
        }
    }
    return OptionAt(nDecision, nBest);
}

std::vector<CSensitivityAnalysis::Region> CSensitivityAnalysis::Regions(int nDecision) const
{
    // An option with no Decision above it (below a Situation at the top)
    // has one stretch that no choice colours.
    if (nDecision < 0)
        return {{low, high, -1}};
    auto found = followed.find(nDecision);
    if (found == followed.end())
        return {{low, high, OptionAt(nDecision, evaluation.Chosen(nDecision))}};
    std::vector<Region> regions;
    const auto &kept = found->second.starts;
    for (size_t k = 0; k < kept.size(); ++k)
        regions.push_back({k == 0 ? low : origin + kept[k].first,
                           k + 1 < kept.size() ? origin + kept[k + 1].first : high,
                           OptionAt(nDecision, kept[k].second)});
    return regions;
}

int CSensitivityAnalysis::DecisionAbove() const
{
    const CTreeIndex &index = evaluation.Index();
    if (kind == Parameter::Weight) {
        for (int n = 0; n < index.Size(); ++n)
            if (index.Type(n) == NodeType::Decision && evaluation.HasOptions(n))
                return n;
        return -1;
    }
    if (option < 0)
        return -1;
    for (int n = index.Parent(option); n > 0; n = index.Parent(n))
        if (index.Type(n) == NodeType::Decision)
            return n;
    return -1;
}

QString CSensitivityAnalysis::StepsProblem(int nSteps, int nMost)
{
    if (nSteps >= 1 && nSteps <= nMost)
        return QString();
    return tr("The number of steps must be a whole number from 1 to %1.").arg(nMost);
}

QString CSensitivityAnalysis::ProbabilityProblem(const CDecisionRule &rule)
{
    if (rule.Expects())
        return QString();
    return tr("Under the rule %1 a probability only decides whether its option counts, "
              "so there is no line to follow.")
        .arg(rule.Name());
}

double CSensitivityAnalysis::PayoffRate(const CDecisionRule &rule, Parameter parameter)
{
    // The combined value is linear in the payoffs: a unit of one moves it
    // by what that unit alone is worth.
    return parameter == Parameter::SecondPayoff ? rule.Payoff(0.0, 1.0) : rule.Payoff(1.0, 0.0);
}

QString CSensitivityAnalysis::KindWord(Parameter parameter)
{
    switch (parameter) {
    case Parameter::Payoff:
        return QStringLiteral("payoff");
    case Parameter::SecondPayoff:
        return QStringLiteral("payoff2");
    case Parameter::Weight:
        return QStringLiteral("weight");
    case Parameter::Probability:
        break;
    }
    return QStringLiteral("probability");
}

QString CSensitivityAnalysis::KindName(Parameter parameter)
{
    switch (parameter) {
    case Parameter::Payoff:
        return tr("payoff");
    case Parameter::SecondPayoff:
        return tr("second payoff");
    case Parameter::Weight:
        return tr("weight w");
    case Parameter::Probability:
        break;
    }
    return tr("probability");
}

CAnalysisTable CSensitivityAnalysis::Table(const CTreeIndex &index) const
{
    QString strShown = KindName(kind);
    strShown[0] = strShown[0].toUpper();
    return StepTable(index, KindWord(kind), strShown, switching, steps);
}

CAnalysisTable CSensitivityAnalysis::StepTable(const CTreeIndex &index, const QString &strParameter,
                                               const QString &strShownParameter,
                                               const std::vector<int> &switching,
                                               const std::vector<Step> &steps)
{
    CAnalysisTable table{{strParameter, QStringLiteral("value")}, {}, {}};
    for (int nDecision : switching)
        table.header << CAnalysisTable::NodeLabel(index, nDecision);
    table.shownHeader = table.header;
    table.shownHeader[0] = strShownParameter;
    table.shownHeader[1] = tr("Value of the tree");
    for (const Step &step : steps) {
        QStringList row{PlainNumber(step.parameter), PlainNumber(step.value)};
        for (int nOption : step.choices)
            row << CAnalysisTable::NodeName(index, nOption);
        table.rows.push_back(row);
    }
    return table;
}
