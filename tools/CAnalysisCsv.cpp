#include "CAnalysisCsv.h"

#include "CAnalysisRequest.h"
#include "CCsvTable.h"
#include "CNode.h"
#include "CRiskProfile.h"
#include "CSensitivityAnalysis.h"
#include "CSpiderAnalysis.h"
#include "CTornado.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "CValueOfInformation.h"
#include "CVariableSensitivity.h"

namespace {

QString NodeName(const CTreeIndex &index, int n)
{
    return n < 0 ? QString() : QString::fromStdString(index.Node(n)->name);
}

QString Ids(const std::vector<int> &nodes)
{
    QStringList ids;
    for (int n : nodes)
        ids << QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
    return ids.join(QLatin1Char(' '));
}

template <typename Analysis>
QByteArray Steps(const Analysis &analysis, const CTreeIndex &index, const QString &strParameter)
{
    QStringList header{strParameter, QStringLiteral("value")};
    for (int nDecision : analysis.SwitchingDecisions())
        header << QStringLiteral("%1 (#%2)")
                      .arg(NodeName(index, nDecision))
                      .arg(CTreeIndex::IdOf(nDecision));
    std::vector<QStringList> rows;
    for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
        QStringList row{CCsvTable::Number(step.parameter), CCsvTable::Number(step.value)};
        for (int nOption : step.choices)
            row << NodeName(index, nOption);
        rows.push_back(row);
    }
    return CCsvTable::Write(header, rows);
}

} // namespace

QByteArray CAnalysisCsv::Sensitivity(const CSensitivityAnalysis &analysis, const CTreeIndex &index)
{
    return Steps(analysis, index,
                 analysis.Kind() == CSensitivityAnalysis::Parameter::Payoff
                     ? QStringLiteral("payoff")
                     : QStringLiteral("probability"));
}

QByteArray CAnalysisCsv::Sensitivity(const CVariableSensitivity &analysis, const CTreeIndex &index)
{
    return Steps(analysis, index, QString::fromStdString(analysis.Variable()));
}

QByteArray CAnalysisCsv::Tornado(const CTornado &tornado, const CTreeIndex &index)
{
    std::vector<QStringList> rows;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        const bool bVariable = bar.option < 0;
        const QString strKind = bVariable ? QStringLiteral("variable")
                                : bar.kind == CSensitivityAnalysis::Parameter::Payoff
                                    ? QStringLiteral("payoff")
                                    : QStringLiteral("probability");
        rows.push_back({bVariable ? QString::fromStdString(bar.variable)
                                  : QStringLiteral("%1 (#%2)")
                                        .arg(NodeName(index, bar.option))
                                        .arg(CTreeIndex::IdOf(bar.option)),
                        strKind, CCsvTable::Number(bar.current), CCsvTable::Number(bar.low),
                        CCsvTable::Number(bar.high), CCsvTable::Number(bar.valueLow),
                        CCsvTable::Number(bar.valueHigh), CCsvTable::Number(bar.Swing())});
    }
    return CCsvTable::Write({QStringLiteral("input"), QStringLiteral("kind"),
                             QStringLiteral("current"), QStringLiteral("low"),
                             QStringLiteral("high"), QStringLiteral("value at low"),
                             QStringLiteral("value at high"), QStringLiteral("swing")},
                            rows);
}

QByteArray CAnalysisCsv::Evpi(const CValueOfInformation &information)
{
    std::vector<QStringList> rows;
    for (const CValueOfInformation::Uncertainty &uncertainty : information.Uncertainties())
        rows.push_back({uncertainty.name, Ids(uncertainty.situations),
                        CCsvTable::Number(uncertainty.valueWithInformation),
                        CCsvTable::Number(uncertainty.evpi)});
    if (information.HasAll())
        rows.push_back({QStringLiteral("everything"), QString(),
                        CCsvTable::Number(information.AllValueWithInformation()),
                        CCsvTable::Number(information.AllEvpi())});
    return CCsvTable::Write({QStringLiteral("uncertainty"), QStringLiteral("situations"),
                             QStringLiteral("value with information"), QStringLiteral("evpi")},
                            rows);
}

QByteArray CAnalysisCsv::RiskProfile(const CRiskProfile &profile)
{
    std::vector<QStringList> rows;
    for (const CRiskProfile::Profile &option : profile.Profiles()) {
        double dCumulative = 0.0;
        for (const CRiskProfile::Outcome &outcome : option.outcomes) {
            dCumulative += outcome.probability;
            rows.push_back({option.name, QString::number(CTreeIndex::IdOf(option.option)),
                            option.chosen ? QStringLiteral("1") : QStringLiteral("0"),
                            CCsvTable::Number(outcome.value),
                            CCsvTable::Number(outcome.probability),
                            CCsvTable::Number(dCumulative)});
        }
    }
    return CCsvTable::Write({QStringLiteral("option"), QStringLiteral("id"),
                             QStringLiteral("chosen"), QStringLiteral("value"),
                             QStringLiteral("probability"), QStringLiteral("cumulative")},
                            rows);
}

QByteArray CAnalysisCsv::TwoWay(const CTwoWayAnalysis &analysis, const CTreeIndex &index)
{
    // The inputs named as the command line takes them.
    const auto name = [&index](const CTwoWayAnalysis::Input &input) {
        return CAnalysisRequest::ParameterText(index, input.option, input.kind, input.variable);
    };
    const QStringList header{name(analysis.X()), name(analysis.Y()), QStringLiteral("value"),
                             QStringLiteral("chosen"), QStringLiteral("consistent")};
    std::vector<QStringList> rows;
    rows.reserve(analysis.Grid().size());
    for (const CTwoWayAnalysis::Point &point : analysis.Grid())
        rows.push_back({CCsvTable::Number(point.x), CCsvTable::Number(point.y),
                        CCsvTable::Number(point.value),
                        point.consistent ? NodeName(index, point.chosen) : QString(),
                        point.consistent ? QStringLiteral("true") : QStringLiteral("false")});
    return CCsvTable::Write(header, rows);
}

QByteArray CAnalysisCsv::Spider(const CSpiderAnalysis &spider, const CTreeIndex &index)
{
    const QStringList header{QStringLiteral("parameter"), QStringLiteral("change"),
                             QStringLiteral("value")};
    std::vector<QStringList> rows;
    for (const CSpiderAnalysis::Line &line : spider.Lines()) {
        const QString strInput = CAnalysisRequest::ParameterText(
            index, line.input.option, line.input.kind, line.input.variable);
        for (const auto &[dChange, dValue] : line.points)
            rows.push_back({strInput, CCsvTable::Number(dChange), CCsvTable::Number(dValue)});
    }
    return CCsvTable::Write(header, rows);
}
