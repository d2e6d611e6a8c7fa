#include "CVariableSensitivity.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CVariableProbe.h"
#include "NumberPrecision.h"

#include <algorithm>
#include <cmath>

CVariableSensitivity::CVariableSensitivity(const CDecisionTree &decisionTree,
                                           const CDecisionRule &decisionRule)
    : tree(decisionTree), rule(decisionRule)
{
}

CVariableSensitivity::~CVariableSensitivity() = default;

bool CVariableSensitivity::Probe(CVariableProbe &probe, double dParameter, Sample *pSample)
{
    QString strError;
    if (!probe.At(dParameter, &strError)) {
        error = CVariableProbe::Failure(variable, NumberAtPrecision(dParameter, 12), strError);
        treeAtFault = true;
        return false;
    }
    const CTreeEvaluation &evaluation = probe.Evaluation();
    pSample->parameter = dParameter;
    pSample->value = evaluation.RootValue();
    pSample->problem = evaluation.DistributionProblem();
    pSample->choices.clear();
    for (int nDecision : decisions) {
        const int nPosition = evaluation.Chosen(nDecision);
        pSample->choices.push_back(nPosition < 0 ? -1
                                                 : probe.Index().FirstChild(nDecision) + nPosition);
    }
    return true;
}

bool CVariableSensitivity::Run(const std::string &strVariable, double dLow, double dHigh,
                               int nSteps)
{
    error.clear();
    treeAtFault = false;
    breakEvens.clear();
    switching.clear();
    steps.clear();
    corners.clear();
    inconsistent.clear();
    inconsistency.clear();
    decisions.clear();
    variable = strVariable;
    low = dLow;
    high = dHigh;
    const int nVariable = tree.Variables().Find(strVariable);
    if (nVariable < 0) {
        error = tr("The project has no variable named \"%1\".")
                    .arg(QString::fromStdString(strVariable));
        return false;
    }
    if (!std::isfinite(dLow) || !std::isfinite(dHigh) || dLow >= dHigh) {
        error = tr("The range must run from a lower to a higher number.");
        return false;
    }
    error = CSensitivityAnalysis::StepsProblem(nSteps);
    if (!error.isEmpty())
        return false;
    if (!tree.GetRoot()) {
        error = tr("There is no tree to analyse.");
        treeAtFault = true;
        return false;
    }
    CVariableProbe probe(tree.GetRoot(), tree.Variables(), nVariable, rule);
    error = probe.ShapeProblem();
    if (!error.isEmpty()) {
        treeAtFault = true;
        return false;
    }
    for (int n = 0; n < probe.Index().Size(); ++n)
        if (probe.Index().Type(n) == NodeType::Decision && probe.Index().ChildCount(n) > 0)
            decisions.push_back(n);

    current = tree.Variables().At(nVariable).value;
    Sample now;
    if (!Probe(probe, current, &now))
        return false;
    currentValue = now.value;

    // The grid holds every step, so a step's choices come from it as well.
    const int nIntervals = std::max(nSteps, SearchIntervals);
    std::vector<Sample> grid(size_t(nIntervals) + 1);
    for (int i = 0; i <= nIntervals; ++i) {
        const double dParameter = i == nIntervals ? dHigh : dLow + (dHigh - dLow) * i / nIntervals;
        if (!Probe(probe, dParameter, &grid[size_t(i)]))
            return false;
    }
    std::vector<bool> switches(decisions.size(), false);
    for (int i = 0; i < nIntervals; ++i) {
        corners.emplace_back(grid[size_t(i)].parameter, grid[size_t(i)].value);
        for (size_t d = 0; d < decisions.size(); ++d)
            if (grid[size_t(i)].choices[d] != grid[size_t(i) + 1].choices[d]) {
                switches[d] = true;
                if (!FindBreakEven(probe, d, grid[size_t(i)], grid[size_t(i) + 1]))
                    return false;
            }
    }
    corners.emplace_back(grid.back().parameter, grid.back().value);
    for (int i = 0; i <= nIntervals; ++i) {
        const Sample &sample = grid[size_t(i)];
        if (sample.problem.isEmpty())
            continue;
        const double dFrom = i == 0 ? dLow : (grid[size_t(i) - 1].parameter + sample.parameter) / 2;
        const double dTo =
            i == nIntervals ? dHigh : (sample.parameter + grid[size_t(i) + 1].parameter) / 2;
        if (inconsistency.isEmpty())
            inconsistency = sample.problem;
        if (i > 0 && !grid[size_t(i) - 1].problem.isEmpty())
            inconsistent.back().second = dTo;
        else
            inconsistent.emplace_back(dFrom, dTo);
    }
    std::stable_sort(breakEvens.begin(), breakEvens.end(),
                     [](const auto &a, const auto &b) { return a.parameter < b.parameter; });
    for (const CSensitivityAnalysis::BreakEven &found : breakEvens)
        corners.emplace_back(found.parameter, found.value);
    std::stable_sort(corners.begin(), corners.end());

    for (size_t d = 0; d < decisions.size(); ++d)
        if (switches[d])
            switching.push_back(decisions[d]);
    for (int i = 0; i <= nSteps; ++i) {
        const double dParameter = i == nSteps ? dHigh : dLow + (dHigh - dLow) * i / nSteps;
        Sample sample;
        if (!Probe(probe, dParameter, &sample))
            return false;
        CSensitivityAnalysis::Step step;
        step.parameter = dParameter;
        step.value = sample.value;
        for (size_t d = 0; d < decisions.size(); ++d)
            if (switches[d])
                step.choices.push_back(sample.choices[d]);
        steps.push_back(step);
    }
    return true;
}

bool CVariableSensitivity::FindBreakEven(CVariableProbe &probe, size_t nDecision, Sample a,
                                         Sample b)
{
    const int nBelow = a.choices[nDecision];
    const int nAbove = b.choices[nDecision];
    // How far the option chosen at b leads the one chosen at a: at most 0 at
    // a, above 0 at b, 0 at the crossing.
    const auto probeLead = [&](double dParameter, Sample *pSample, double *pLead) {
        if (!Probe(probe, dParameter, pSample))
            return false;
        const CTreeEvaluation &evaluation = probe.Evaluation();
        *pLead =
            nAbove < 0 || nBelow < 0 ? 0.0 : evaluation.Value(nAbove) - evaluation.Value(nBelow);
        return true;
    };
    double dLeadA = 0.0;
    double dLeadB = 0.0;
    if (!probeLead(a.parameter, &a, &dLeadA) || !probeLead(b.parameter, &b, &dLeadB))
        return false;
    const double dTolerance = 1e-9 * std::max(std::fabs(a.parameter), std::fabs(b.parameter));
    bool bHalve = false;
    for (int nRound = 0; nRound < 300 && b.parameter - a.parameter > dTolerance; ++nRound) {
        const double dWidth = b.parameter - a.parameter;
        double dNext = a.parameter + 0.5 * dWidth;
        if (!bHalve && dLeadB > dLeadA) {
            const double dGuess = a.parameter - dLeadA * dWidth / (dLeadB - dLeadA);
            if (dGuess > a.parameter && dGuess < b.parameter)
                dNext = dGuess;
        }
        Sample next;
        double dLead = 0.0;
        if (!probeLead(dNext, &next, &dLead))
            return false;
        if (next.choices[nDecision] == nBelow) {
            a = next;
            dLeadA = dLead;
        } else {
            b = next;
            dLeadB = dLead;
        }
        // Met exactly: which side keeps a tie is the rollback's business.
        if (dLead == 0.0)
            break;
        // A step that gained less than half is followed by a halving, so the
        // bracket always closes, however curved the values are.
        bHalve = !bHalve && b.parameter - a.parameter > 0.5 * dWidth;
    }
    // The end nearer the crossing, which for values linear in the variable
    // is the crossing itself.
    const Sample &nearer = std::fabs(dLeadB) < std::fabs(dLeadA) ? b : a;
    CSensitivityAnalysis::BreakEven found;
    found.parameter = nearer.parameter;
    found.value = nearer.value;
    found.decision = decisions[nDecision];
    found.below = a.choices[nDecision];
    found.above = b.choices[nDecision];
    breakEvens.push_back(found);
    return true;
}

CAnalysisTable CVariableSensitivity::Table(const CTreeIndex &index) const
{
    const QString strName = QString::fromStdString(Variable());
    return CSensitivityAnalysis::StepTable(index, strName, strName, switching, steps);
}
