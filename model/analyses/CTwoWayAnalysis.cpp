#include "CTwoWayAnalysis.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CRiskProfile.h"
#include "CTornado.h"
#include "CTreeEvaluation.h"
#include "CTreeFormulas.h"
#include "CTreeIndex.h"
#include "CVariableProbe.h"
#include "CVariableSensitivity.h"
#include "NumberPrecision.h"
#include "TextNumber.h"

#include <algorithm>
#include <cmath>

using Parameter = CSensitivityAnalysis::Parameter;

namespace {

// Whether every Situation but nSkip (the one whose probabilities move along a
// row) is a distribution.
bool Distributed(const CTreeEvaluation &evaluation, int nSkip)
{
    const CTreeIndex &index = evaluation.Index();
    std::vector<double> probabilities;
    for (int n = 0; n < index.Size(); ++n) {
        if (n == nSkip || index.Type(n) != NodeType::Situation || !evaluation.HasOptions(n))
            continue;
        probabilities.clear();
        for (int c = index.FirstChild(n); c < index.FirstChild(n) + index.ChildCount(n); ++c)
            probabilities.push_back(index.Node(c)->probability);
        if (!CTreeEvaluation::IsDistribution(probabilities))
            return false;
    }
    return true;
}

// The copy is the analysis' own; its index hands out read-only nodes.
CNode *Writable(const CTreeIndex &index, int n)
{
    return const_cast<CNode *>(index.Node(n));
}

} // namespace

CTwoWayAnalysis::CTwoWayAnalysis(const CDecisionTree &decisionTree,
                                 const CDecisionRule &decisionRule)
    : tree(decisionTree), rule(decisionRule)
{
}

bool CTwoWayAnalysis::Check(const CTreeIndex &index, const Input &input)
{
    const bool bTwo = rule.Criteria().two;
    if ((input.kind == Parameter::Weight || input.kind == Parameter::SecondPayoff) && !bTwo) {
        error = tr("Only a project of two criteria has a weight and second payoffs.");
        return false;
    }
    if (input.kind == Parameter::Weight) {
        if (input.low < 0.0) {
            error = tr("The weight w cannot fall below 0.");
            return false;
        }
    } else if (input.option < 0) {
        if (tree.Variables().Find(input.variable) < 0) {
            error = tr("The project has no variable named \"%1\".")
                        .arg(QString::fromStdString(input.variable));
            return false;
        }
    } else {
        const bool bProbability = input.kind == Parameter::Probability;
        if (input.option >= index.Size() || index.Type(input.option) != NodeType::Option) {
            error = tr("Only the payoff or probability of an option can be analysed.");
            return false;
        }
        if (bProbability && index.Type(index.Parent(input.option)) != NodeType::Situation) {
            error = tr("%1 belongs to a Decision, so its probability plays no part.")
                        .arg(index.Describe(input.option));
            return false;
        }
        const QString strRule =
            bProbability ? CSensitivityAnalysis::ProbabilityProblem(rule) : QString();
        if (!strRule.isEmpty()) {
            error = strRule;
            return false;
        }
        if (bProbability && (input.low < 0.0 || input.high > 1.0)) {
            error = tr("A probability can only move between 0 and 1.");
            return false;
        }
    }
    if (!std::isfinite(input.low) || !std::isfinite(input.high) || !(input.low < input.high)) {
        error = tr("The range of %1 must run from a lower to a higher number.")
                    .arg(Describe(index, input));
        return false;
    }
    if (!std::isfinite(input.high - input.low)) {
        error = tr("The range of %1 is too wide to analyse.").arg(Describe(index, input));
        return false;
    }
    return true;
}

bool CTwoWayAnalysis::Run(const Input &x, const Input &y, int nSteps)
{
    error.clear();
    treeAtFault = false;
    grid.clear();
    rows.clear();
    decision = -1;
    inputX = x;
    inputY = y;
    steps = nSteps;
    if (!tree.GetRoot()) {
        error = tr("There is no tree to analyse.");
        treeAtFault = true;
        return false;
    }
    const CTreeIndex index(tree.GetRoot());
    error = index.ShapeProblem();
    treeAtFault = !error.isEmpty();
    if (treeAtFault || !Check(index, x) || !Check(index, y))
        return false;
    if (x == y) {
        error = tr("The two inputs must differ.");
        return false;
    }
    error = CSensitivityAnalysis::StepsProblem(nSteps, MaxSteps);
    if (!error.isEmpty())
        return false;
    const auto current = [&](const Input &input) {
        if (input.kind == Parameter::Weight)
            return rule.Criteria().weight;
        if (input.option < 0)
            return tree.Variables().At(tree.Variables().Find(input.variable)).value;
        const CNode *pOption = index.Node(input.option);
        return input.kind == Parameter::Payoff         ? pOption->payoff
               : input.kind == Parameter::SecondPayoff ? pOption->payoff2
                                                       : pOption->probability;
    };
    currentX = current(x);
    currentY = current(y);
    {
        const CTreeEvaluation evaluation(index, rule);
        decision = CRiskProfile::FirstDecision(evaluation);
        currentValue = evaluation.RootValue();
    }

    CDecisionTree work;
    work.SetRoot(tree.GetRoot()->Clone());
    work.Variables() = tree.Variables();
    // The copy keeps its shape, so one index serves every row.
    const CTreeIndex workIndex(work.GetRoot());
    HoldFormulas(workIndex, x, &work);
    HoldFormulas(workIndex, y, &work);
    rowRule = rule;
    baseProbabilities.clear();
    if (y.option >= 0 && y.kind == Parameter::Probability)
        baseProbabilities =
            CTreeEvaluation(workIndex, rule).Probabilities(workIndex.Parent(y.option));
    grid.reserve(size_t(nSteps + 1) * size_t(nSteps + 1));
    for (int j = 0; j <= nSteps; ++j) {
        const double dY = CSensitivityAnalysis::StepAt(y.low, y.high, j, nSteps);
        if (!SetInput(workIndex, y, dY, &work) ||
            !(IsVariable(x) ? RunVariableRow(work, dY) : RunRow(workIndex, dY))) {
            grid.clear();
            rows.clear();
            return false;
        }
    }
    return true;
}

void CTwoWayAnalysis::HoldFormulas(const CTreeIndex &workIndex, const Input &input,
                                   CDecisionTree *pWork) const
{
    if (input.kind == Parameter::Weight) {
        // The weight is a number of the settings; no formula gives it.
    } else if (input.option < 0) {
        const int n = pWork->Variables().Find(input.variable);
        CVariables::Variable variable = pWork->Variables().At(n);
        variable.formula.clear();
        pWork->Variables().Set(n, variable);
    } else if (input.kind == Parameter::Payoff) {
        Writable(workIndex, input.option)->payoffFormula.clear();
    } else if (input.kind == Parameter::SecondPayoff) {
        Writable(workIndex, input.option)->payoff2Formula.clear();
    } else {
        // Its siblings make up for it, so they are moved numbers too.
        const int nSituation = workIndex.Parent(input.option);
        for (int c = workIndex.FirstChild(nSituation);
             c < workIndex.FirstChild(nSituation) + workIndex.ChildCount(nSituation); ++c)
            Writable(workIndex, c)->probabilityFormula.clear();
    }
}

bool CTwoWayAnalysis::SetInput(const CTreeIndex &workIndex, const Input &input, double dValue,
                               CDecisionTree *pWork)
{
    if (input.kind == Parameter::Weight) {
        CCriteria criteria = rowRule.Criteria();
        criteria.weight = dValue;
        rowRule.SetCriteria(criteria);
        return true;
    }
    if (input.option < 0) {
        pWork->Variables().SetValue(pWork->Variables().Find(input.variable), dValue);
        const std::vector<CVariables::Problem> problems = pWork->ApplyFormulas();
        if (problems.empty())
            return true;
        error = CVariableProbe::Failure(input.variable, NumberAtPrecision(dValue, 10),
                                        CTreeFormulas::Message(problems));
        treeAtFault = true;
        return false;
    }
    if (input.kind == Parameter::Payoff) {
        Writable(workIndex, input.option)->payoff = dValue;
        return true;
    }
    if (input.kind == Parameter::SecondPayoff) {
        Writable(workIndex, input.option)->payoff2 = dValue;
        return true;
    }
    // Moved from the tree's own probabilities, not the last row's.
    const int nFirst = workIndex.FirstChild(workIndex.Parent(input.option));
    const std::vector<double> probabilities =
        CSensitivityAnalysis::MovedProbabilities(baseProbabilities, input.option - nFirst, dValue);
    for (size_t j = 0; j < probabilities.size(); ++j)
        Writable(workIndex, nFirst + int(j))->probability = probabilities[j];
    return true;
}

bool CTwoWayAnalysis::RunRow(const CTreeIndex &index, double dY)
{
    const CTreeEvaluation evaluation(index, rowRule);
    CSensitivityAnalysis analysis(evaluation);
    if (!analysis.Run(inputX.option, inputX.kind, inputX.low, inputX.high, steps)) {
        error = analysis.Error();
        treeAtFault = analysis.TreeAtFault();
        return false;
    }
    const bool bProbability = inputX.kind == Parameter::Probability;
    const int nSituation = bProbability ? index.Parent(inputX.option) : -1;
    const bool bRest = Distributed(evaluation, nSituation);
    std::vector<double> probabilities;
    if (bProbability)
        probabilities = evaluation.Probabilities(nSituation);
    for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
        Point point;
        point.x = step.parameter;
        point.y = dY;
        point.value = step.value;
        point.chosen = decision < 0 ? -1 : analysis.ChosenAt(decision, step.parameter);
        point.consistent =
            bRest &&
            (!bProbability ||
             CTreeEvaluation::IsDistribution(CSensitivityAnalysis::MovedProbabilities(
                 probabilities, inputX.option - index.FirstChild(nSituation), step.parameter)));
        grid.push_back(point);
    }
    rows.push_back({dY, analysis.BreakEvens()});
    return true;
}

bool CTwoWayAnalysis::RunVariableRow(const CDecisionTree &work, double dY)
{
    CVariableSensitivity analysis(work, rowRule);
    if (!analysis.Run(inputX.variable, inputX.low, inputX.high, steps)) {
        error = analysis.Error();
        treeAtFault = analysis.TreeAtFault();
        return false;
    }
    rows.push_back({dY, analysis.BreakEvens()});
    CVariableProbe probe(work.GetRoot(), work.Variables(), work.Variables().Find(inputX.variable),
                         rowRule);
    for (int i = 0; i <= steps; ++i) {
        Point point;
        point.x = CSensitivityAnalysis::StepAt(inputX.low, inputX.high, i, steps);
        point.y = dY;
        QString strError;
        if (!probe.At(point.x, &strError)) {
            error =
                CVariableProbe::Failure(inputX.variable, NumberAtPrecision(point.x, 10), strError);
            treeAtFault = true;
            return false;
        }
        const CTreeEvaluation &evaluation = probe.Evaluation();
        point.value = evaluation.RootValue();
        const int nPosition = decision < 0 ? -1 : evaluation.Chosen(decision);
        point.chosen = nPosition < 0 ? -1 : probe.Index().FirstChild(decision) + nPosition;
        point.consistent = Distributed(evaluation, -1);
        grid.push_back(point);
    }
    return true;
}

std::vector<int> CTwoWayAnalysis::ChosenOptions() const
{
    std::vector<int> options;
    for (const Point &point : grid)
        if (point.chosen >= 0 &&
            std::find(options.begin(), options.end(), point.chosen) == options.end())
            options.push_back(point.chosen);
    std::sort(options.begin(), options.end());
    return options;
}

QString CTwoWayAnalysis::Describe(const CTreeIndex &index, const Input &input)
{
    return CTornado::Describe(index, input.option, input.kind, input.variable);
}

CAnalysisTable CTwoWayAnalysis::Table(const CTreeIndex &index) const
{
    const auto name = [&index](const Input &input) {
        return CTornado::ShortName(index, input.option, input.kind, input.variable);
    };
    CAnalysisTable table{{name(inputX), name(inputY), QStringLiteral("value"),
                          QStringLiteral("chosen"), QStringLiteral("consistent")},
                         {},
                         {}};
    table.rows.reserve(grid.size());
    for (const Point &point : grid)
        table.rows.push_back(
            {PlainNumber(point.x), PlainNumber(point.y), PlainNumber(point.value),
             point.consistent ? CAnalysisTable::NodeName(index, point.chosen) : QString(),
             point.consistent ? QStringLiteral("true") : QStringLiteral("false")});
    table.shownHeader =
        QStringList{Describe(index, inputX), Describe(index, inputY), tr("Value of the tree"),
                    tr("Chosen"), tr("Probabilities add up")};
    return table;
}
