#include "CAnalysisJson.h"

#include "CNode.h"
#include "CSensitivityAnalysis.h"
#include "CTornado.h"
#include "CTreeIndex.h"
#include "CVariableSensitivity.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue NodeRef(const CTreeIndex &index, int n)
{
    if (n < 0)
        return QJsonValue();
    return QJsonObject{{QStringLiteral("id"), double(CTreeIndex::IdOf(n))},
                       {QStringLiteral("name"), QString::fromStdString(index.Node(n)->name)}};
}

QString ParameterName(CSensitivityAnalysis::Parameter parameter)
{
    return parameter == CSensitivityAnalysis::Parameter::Payoff ? QStringLiteral("payoff")
                                                                : QStringLiteral("probability");
}

QByteArray Document(QJsonObject object, const QString &strProject, const QString &strFile)
{
    object.insert(QStringLiteral("file"), strFile);
    object.insert(QStringLiteral("project"), strProject);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

// What both one-way analyses report besides their parameter.
template <typename Analysis>
QByteArray Render(const Analysis &analysis, const CTreeIndex &index, const QJsonObject &parameter,
                  const QString &strProject, const QString &strFile)
{
    QJsonArray breakEvens;
    for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens())
        breakEvens.append(QJsonObject{{QStringLiteral("parameter"), found.parameter},
                                      {QStringLiteral("value"), found.value},
                                      {QStringLiteral("decision"), NodeRef(index, found.decision)},
                                      {QStringLiteral("below"), NodeRef(index, found.below)},
                                      {QStringLiteral("above"), NodeRef(index, found.above)}});
    QJsonArray decisions;
    for (int nDecision : analysis.SwitchingDecisions())
        decisions.append(NodeRef(index, nDecision));
    QJsonArray steps;
    for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
        QJsonArray choices;
        for (int nOption : step.choices)
            choices.append(NodeRef(index, nOption));
        steps.append(QJsonObject{{QStringLiteral("parameter"), step.parameter},
                                 {QStringLiteral("value"), step.value},
                                 {QStringLiteral("choices"), choices}});
    }
    return Document({{QStringLiteral("parameter"), parameter},
                     {QStringLiteral("value"), analysis.CurrentValue()},
                     {QStringLiteral("breakEvens"), breakEvens},
                     // The order of every step's "choices"; all other
                     // decisions keep their choice over the whole range.
                     {QStringLiteral("switchingDecisions"), decisions},
                     {QStringLiteral("steps"), steps}},
                    strProject, strFile);
}

} // namespace

QByteArray CAnalysisJson::Sensitivity(const CSensitivityAnalysis &analysis, const CTreeIndex &index,
                                      const QString &strProject, const QString &strFile)
{
    const QJsonObject parameter{{QStringLiteral("option"), NodeRef(index, analysis.Option())},
                                {QStringLiteral("kind"), ParameterName(analysis.Kind())},
                                {QStringLiteral("current"), analysis.Current()},
                                {QStringLiteral("low"), analysis.Low()},
                                {QStringLiteral("high"), analysis.High()}};
    return Render(analysis, index, parameter, strProject, strFile);
}

QByteArray CAnalysisJson::Sensitivity(const CVariableSensitivity &analysis, const CTreeIndex &index,
                                      const QString &strProject, const QString &strFile)
{
    const QJsonObject parameter{
        {QStringLiteral("variable"), QString::fromStdString(analysis.Variable())},
        {QStringLiteral("current"), analysis.Current()},
        {QStringLiteral("low"), analysis.Low()},
        {QStringLiteral("high"), analysis.High()}};
    return Render(analysis, index, parameter, strProject, strFile);
}

QByteArray CAnalysisJson::Tornado(const CTornado &tornado, const CTreeIndex &index,
                                  const QString &strProject, const QString &strFile)
{
    QJsonArray inputs;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        QJsonObject input{{QStringLiteral("current"), bar.current},
                          {QStringLiteral("low"), bar.low},
                          {QStringLiteral("high"), bar.high},
                          {QStringLiteral("valueLow"), bar.valueLow},
                          {QStringLiteral("valueHigh"), bar.valueHigh},
                          {QStringLiteral("swing"), bar.Swing()}};
        if (bar.option < 0) {
            input.insert(QStringLiteral("variable"), QString::fromStdString(bar.variable));
        } else {
            input.insert(QStringLiteral("option"), NodeRef(index, bar.option));
            input.insert(QStringLiteral("kind"), ParameterName(bar.kind));
        }
        inputs.append(input);
    }
    return Document({{QStringLiteral("value"), tornado.CurrentValue()},
                     {QStringLiteral("percent"), tornado.Percent()},
                     {QStringLiteral("inputCount"), tornado.InputCount()},
                     {QStringLiteral("inputs"), inputs}},
                    strProject, strFile);
}
