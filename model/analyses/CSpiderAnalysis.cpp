#include "CSpiderAnalysis.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CSensitivityAnalysis.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CVariableProbe.h"
#include "NumberPrecision.h"
#include "TextNumber.h"

#include <algorithm>
#include <cmath>

using Parameter = CSensitivityAnalysis::Parameter;

double CSpiderAnalysis::Line::Swing() const
{
    if (points.empty())
        return 0.0;
    const auto [lowest, highest] =
        std::minmax_element(points.begin(), points.end(),
                            [](const auto &a, const auto &b) { return a.second < b.second; });
    return highest->second - lowest->second;
}

CSpiderAnalysis::CSpiderAnalysis(const CTreeEvaluation &treeEvaluation) : evaluation(treeEvaluation)
{
}

double CSpiderAnalysis::CurrentValue() const
{
    return evaluation.RootValue();
}

bool CSpiderAnalysis::Run(double dPercent, int nSteps, const CDecisionTree *pTree)
{
    lines.clear();
    inputCount = 0;
    percent = dPercent;
    steps = nSteps;
    error = evaluation.Index().ShapeProblem();
    if (!error.isEmpty())
        return false;
    if (!std::isfinite(dPercent) || dPercent < 0.0) {
        error = tr("The share to move each input by must be a number of 0 or more.");
        return false;
    }
    error = CSensitivityAnalysis::StepsProblem(nSteps);
    if (!error.isEmpty())
        return false;
    CTornado tornado(evaluation);
    const double dNoise = tornado.Noise();
    for (const CTornado::Bar &input : tornado.Inputs(pTree)) {
        ++inputCount;
        Line line;
        line.input = input;
        const double dMove = std::fabs(input.current) * dPercent / 100.0;
        line.input.low = input.current - dMove;
        line.input.high = input.current + dMove;
        if (CTornado::IsVariable(input)) {
            if (!VariableLine(*pTree, &line))
                return false;
        } else {
            for (int s = 0; s <= nSteps; ++s) {
                const double dChange = CSensitivityAnalysis::StepAt(-dPercent, dPercent, s, nSteps);
                double dParameter = input.current + std::fabs(input.current) * dChange / 100.0;
                if (input.kind == Parameter::Probability)
                    dParameter = std::clamp(dParameter, 0.0, 1.0);
                if (input.kind == Parameter::Weight)
                    dParameter = std::max(dParameter, 0.0);
                line.points.emplace_back(dChange, tornado.RootValueWith(input, dParameter));
            }
            if (input.kind == Parameter::Probability) {
                line.input.low = std::clamp(line.input.low, 0.0, 1.0);
                line.input.high = std::clamp(line.input.high, 0.0, 1.0);
            }
            if (input.kind == Parameter::Weight)
                line.input.low = std::max(line.input.low, 0.0);
        }
        line.input.valueLow = line.points.front().second;
        line.input.valueHigh = line.points.back().second;
        // As in the tornado: a swing at the level of rounding is none, and
        // one that is not a number is left out too.
        if (line.Swing() > dNoise)
            lines.push_back(std::move(line));
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line &a, const Line &b) { return a.Swing() > b.Swing(); });
    return true;
}

bool CSpiderAnalysis::VariableLine(const CDecisionTree &tree, Line *pLine)
{
    const CTornado::Bar &input = pLine->input;
    CVariableProbe probe(tree.GetRoot(), tree.Variables(), tree.Variables().Find(input.variable),
                         evaluation.Rule());
    for (int s = 0; s <= steps; ++s) {
        const double dChange = CSensitivityAnalysis::StepAt(-percent, percent, s, steps);
        const double dParameter = input.current + std::fabs(input.current) * dChange / 100.0;
        QString strError;
        if (!probe.At(dParameter, &strError)) {
            error = CVariableProbe::Failure(input.variable, NumberAtPrecision(dParameter, 12),
                                            strError);
            return false;
        }
        pLine->points.emplace_back(dChange, probe.Evaluation().RootValue());
    }
    return true;
}

QStringList CSpiderAnalysis::TableHeader() const
{
    QStringList header{tr("Input")};
    for (int s = 0; s <= steps; ++s)
        header << tr("%1 %").arg(
            QString::number(CSensitivityAnalysis::StepAt(-percent, percent, s, steps), 'g', 6));
    return header;
}

std::vector<QStringList> CSpiderAnalysis::TableRows(const CTreeIndex &index) const
{
    std::vector<QStringList> table;
    for (const Line &line : lines) {
        QStringList row{
            CTornado::Describe(index, line.input.option, line.input.kind, line.input.variable)};
        for (const auto &point : line.points)
            row << NumberAtPrecision(point.second, 10);
        table.push_back(row);
    }
    return table;
}

CAnalysisTable CSpiderAnalysis::Table(const CTreeIndex &index) const
{
    CAnalysisTable table{
        {QStringLiteral("parameter"), QStringLiteral("change"), QStringLiteral("value")}, {}, {}};
    for (const Line &line : lines) {
        const QString strInput =
            CTornado::ShortName(index, line.input.option, line.input.kind, line.input.variable);
        for (const auto &[dChange, dValue] : line.points)
            table.rows.push_back({strInput, PlainNumber(dChange), PlainNumber(dValue)});
    }
    table.shownHeader = QStringList{tr("Input"), tr("Change (%)"), tr("Value of the tree")};
    return table;
}
