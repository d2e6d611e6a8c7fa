#include "CTornado.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CVariableProbe.h"
#include "NumberPrecision.h"
#include "TextNumber.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

CTornado::CTornado(const CTreeEvaluation &treeEvaluation) : evaluation(treeEvaluation) {}

double CTornado::CurrentValue() const
{
    return evaluation.RootValue();
}

bool CTornado::Run(double dPercent, const CDecisionTree *pTree)
{
    bars.clear();
    inputCount = 0;
    withVariables = pTree && !pTree->Variables().IsEmpty();
    percent = dPercent;
    const CTreeIndex &index = evaluation.Index();
    error = index.ShapeProblem();
    if (!error.isEmpty())
        return false;
    if (!std::isfinite(dPercent) || dPercent < 0.0) {
        error = tr("The share to move each input by must be a number of 0 or more.");
        return false;
    }
    const double dShare = dPercent / 100.0;
    noise = Noise();
    for (Bar bar : Inputs(pTree)) {
        if (IsVariable(bar)) {
            if (!AddVariable(*pTree, bar, dShare))
                return false;
            continue;
        }
        const double dMove = std::fabs(bar.current) * dShare;
        bar.low = bar.current - dMove;
        bar.high = bar.current + dMove;
        // A probability stays within 0 and 1, a weight above 0.
        if (bar.kind == CSensitivityAnalysis::Parameter::Probability) {
            bar.low = std::clamp(bar.low, 0.0, 1.0);
            bar.high = std::clamp(bar.high, 0.0, 1.0);
        }
        if (bar.kind == CSensitivityAnalysis::Parameter::Weight)
            bar.low = std::max(bar.low, 0.0);
        bar.valueLow = RootValueWith(bar, bar.low);
        bar.valueHigh = RootValueWith(bar, bar.high);
        Keep(bar);
    }
    std::stable_sort(bars.begin(), bars.end(),
                     [](const Bar &a, const Bar &b) { return a.Swing() > b.Swing(); });
    return true;
}

QString CTornado::Describe(const CTreeIndex &index, int nOption,
                           CSensitivityAnalysis::Parameter kind, const std::string &strVariable)
{
    if (kind == CSensitivityAnalysis::Parameter::Weight)
        return CSensitivityAnalysis::KindName(kind);
    if (nOption < 0)
        return tr("variable %1").arg(QString::fromStdString(strVariable));
    return tr("%1 of \"%2\" (#%3)")
        .arg(CSensitivityAnalysis::KindName(kind),
             QString::fromStdString(index.Node(nOption)->name))
        .arg(CTreeIndex::IdOf(nOption));
}

double CTornado::Noise() const
{
    const CTreeIndex &index = evaluation.Index();
    double dNoise = 0.0;
    for (int n = 0; n < index.Size(); ++n)
        if (std::isfinite(evaluation.Value(n)))
            dNoise = std::max(dNoise, 1e-12 * std::fabs(evaluation.Value(n)));
    return dNoise;
}

std::vector<CTornado::Bar> CTornado::Inputs(const CDecisionTree *pTree) const
{
    const CTreeIndex &index = evaluation.Index();
    std::vector<Bar> inputs;
    for (int n = 0; n < index.Size(); ++n) {
        if (index.Type(n) != NodeType::Option)
            continue;
        const CNode *pOption = index.Node(n);
        Bar bar;
        bar.option = n;
        if (!pTree || pOption->payoffFormula.empty()) {
            bar.kind = CSensitivityAnalysis::Parameter::Payoff;
            bar.current = pOption->payoff;
            inputs.push_back(bar);
        }
        if (evaluation.Rule().Criteria().two && (!pTree || pOption->payoff2Formula.empty())) {
            bar.kind = CSensitivityAnalysis::Parameter::SecondPayoff;
            bar.current = pOption->payoff2;
            inputs.push_back(bar);
        }
        if (index.Type(index.Parent(n)) == NodeType::Situation &&
            (!pTree || pOption->probabilityFormula.empty())) {
            bar.kind = CSensitivityAnalysis::Parameter::Probability;
            bar.current = pOption->probability;
            inputs.push_back(bar);
        }
    }
    // The weight of two criteria moves the value of every path at once.
    const CCriteria &criteria = evaluation.Rule().Criteria();
    if (criteria.two && !criteria.WeightIsInfinite()) {
        Bar bar;
        bar.kind = CSensitivityAnalysis::Parameter::Weight;
        bar.current = criteria.weight;
        inputs.push_back(bar);
    }
    for (int n = 0; pTree && pTree->GetRoot() && n < pTree->Variables().Count(); ++n) {
        Bar bar;
        bar.variable = pTree->Variables().At(n).name;
        bar.current = pTree->Variables().At(n).value;
        inputs.push_back(bar);
    }
    return inputs;
}

double CTornado::RootValueWith(const Bar &input, double dParameter)
{
    const CTreeIndex &index = evaluation.Index();
    if (input.kind == CSensitivityAnalysis::Parameter::Weight) {
        // Every path moves at its own rate: the tree is rolled back anew.
        CDecisionRule rule = evaluation.Rule();
        CCriteria criteria = rule.Criteria();
        criteria.weight = dParameter;
        rule.SetCriteria(criteria);
        return CTreeEvaluation(index, rule).RootValue();
    }
    if (input.kind != CSensitivityAnalysis::Parameter::Probability) {
        const int nBelow = index.LeadsTo(input.option);
        const double dRate = CSensitivityAnalysis::PayoffRate(evaluation.Rule(), input.kind);
        return RootAfter(nBelow, ShiftedValue(nBelow, (dParameter - input.current) * dRate));
    }
    const int nSituation = index.Parent(input.option);
    const int nFirst = index.FirstChild(nSituation);
    const int nCount = index.ChildCount(nSituation);
    // Not the scratch space: RootAfter uses that.
    std::vector<double> situationOutcomes(static_cast<size_t>(nCount));
    for (int j = 0; j < nCount; ++j)
        situationOutcomes[size_t(j)] = evaluation.Value(nFirst + j);
    const std::vector<double> moved = CSensitivityAnalysis::MovedProbabilities(
        evaluation.Probabilities(nSituation), input.option - nFirst, dParameter);
    return RootAfter(nSituation, evaluation.Combine(NodeType::Situation, nCount, moved.data(),
                                                    situationOutcomes.data()));
}

bool CTornado::AddVariable(const CDecisionTree &tree, Bar bar, double dShare)
{
    const CVariables &variables = tree.Variables();
    const int n = variables.Find(bar.variable);
    const CVariables::Variable &variable = variables.At(n);
    std::tie(bar.low, bar.high) = variable.Range(dShare);
    CVariableProbe probe(tree.GetRoot(), variables, n, evaluation.Rule());
    for (auto [dParameter, pValue] :
         {std::pair{bar.low, &bar.valueLow}, {bar.high, &bar.valueHigh}}) {
        QString strError;
        if (!probe.At(dParameter, &strError)) {
            error =
                CVariableProbe::Failure(variable.name, NumberAtPrecision(dParameter, 12), strError);
            return false;
        }
        *pValue = probe.Evaluation().RootValue();
    }
    Keep(bar);
    return true;
}

void CTornado::Keep(Bar bar)
{
    ++inputCount;
    // Moving a probability takes its siblings along by ratios that are rarely
    // exact; a "swing" at the level of that rounding is none. The comparison
    // also leaves out what is not a number at either end.
    if (bar.Swing() > noise)
        bars.push_back(bar);
}

double CTornado::ShiftedValue(int n, double dShift)
{
    const double dReach = std::fabs(dShift);
    auto shifted = [&](int m) { return evaluation.Value(m) + evaluation.Weight(m) * dShift; };
    if (dReach < evaluation.ShiftRadius(n))
        return shifted(n);

    const CTreeIndex &index = evaluation.Index();
    evaluation.MayChange(n, dReach, &order);
    std::unordered_map<int, double> done;
    for (size_t k = order.size(); k-- > 0;) {
        const int m = order[k];
        const int nFirst = index.FirstChild(m);
        const int nCount = index.ChildCount(m);
        outcomes.resize(size_t(nCount));
        probabilities.resize(size_t(nCount));
        for (int j = 0; j < nCount; ++j) {
            const int c = index.LeadsTo(nFirst + j);
            auto it = done.find(c);
            outcomes[size_t(j)] = it == done.end() ? shifted(c) : it->second;
            probabilities[size_t(j)] = index.Node(nFirst + j)->probability;
        }
        done[m] = evaluation.Combine(index.Type(m), nCount, probabilities.data(), outcomes.data());
    }
    return done[n];
}

double CTornado::RootAfter(int n, double dValue)
{
    const CTreeIndex &index = evaluation.Index();
    for (;;) {
        const double dChange = dValue - evaluation.Value(n);
        if (dChange == 0.0)
            return evaluation.RootValue();
        const int nAbove = index.Parent(n);
        if (nAbove == 0)
            return dValue;
        if (evaluation.Settles(n, dChange, -dChange))
            return evaluation.RootValue() + evaluation.RootRate(n) * dChange;
        const int nOwner = index.Parent(nAbove);
        const int nFirst = index.FirstChild(nOwner);
        const int nCount = index.ChildCount(nOwner);
        outcomes.resize(size_t(nCount));
        probabilities.resize(size_t(nCount));
        for (int j = 0; j < nCount; ++j) {
            outcomes[size_t(j)] = evaluation.Value(nFirst + j);
            probabilities[size_t(j)] = index.Node(nFirst + j)->probability;
        }
        outcomes[size_t(nAbove - nFirst)] = dValue;
        dValue =
            evaluation.Combine(index.Type(nOwner), nCount, probabilities.data(), outcomes.data());
        n = nOwner;
    }
}

QString CTornado::ShortName(const CTreeIndex &index, int nOption,
                            CSensitivityAnalysis::Parameter kind, const std::string &strVariable)
{
    if (kind == CSensitivityAnalysis::Parameter::Weight)
        return QStringLiteral(":weight");
    if (nOption < 0)
        return QString::fromStdString(strVariable);
    const std::string &strName = index.Node(nOption)->name;
    const QString strNode =
        !strName.empty() && strName[0] != '#' && index.OptionsNamed(strName).size() == 1
            ? QString::fromStdString(strName)
            : QStringLiteral("#%1").arg(CTreeIndex::IdOf(nOption));
    return strNode + QLatin1Char(':') + CSensitivityAnalysis::KindWord(kind);
}

CAnalysisTable CTornado::Table(const CTreeIndex &index) const
{
    CAnalysisTable table{{QStringLiteral("input"), QStringLiteral("kind"),
                          QStringLiteral("current"), QStringLiteral("low"), QStringLiteral("high"),
                          QStringLiteral("value at low"), QStringLiteral("value at high"),
                          QStringLiteral("swing")},
                         {},
                         {}};
    for (const Bar &bar : bars) {
        const bool bVariable = IsVariable(bar);
        table.rows.push_back(
            {bVariable        ? QString::fromStdString(bar.variable)
             : bar.option < 0 ? QStringLiteral("w")
                              : CAnalysisTable::NodeLabel(index, bar.option),
             bVariable ? QStringLiteral("variable") : CSensitivityAnalysis::KindWord(bar.kind),
             PlainNumber(bar.current), PlainNumber(bar.low), PlainNumber(bar.high),
             PlainNumber(bar.valueLow), PlainNumber(bar.valueHigh), PlainNumber(bar.Swing())});
    }
    table.shownHeader =
        QStringList{tr("Input"), tr("Kind"),         tr("Now"),           tr("Low"),
                    tr("High"),  tr("Value at low"), tr("Value at high"), tr("Swing")};
    return table;
}
