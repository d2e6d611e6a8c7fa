#include "CAnalysisRequest.h"
#include "CNode.h"
#include "CSolveAnalysis.h"
#include "CTreeIndex.h"
#include "CVariableSensitivity.h"
#include "NumberPrecision.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>

namespace {

using Subject = CSolveAnalysis::Subject;

// Columns are padded on the right; the last one needs no padding.
QString Line(const QStringList &columns)
{
    QString strLine = columns.join(QStringLiteral("  "));
    while (strLine.endsWith(QLatin1Char(' ')))
        strLine.chop(1);
    return strLine + QLatin1Char('\n');
}

// One-way analyses of an option's parameter and of a variable read alike.
template <typename Analysis>
QByteArray RenderText(const Analysis &analysis, const Subject &subject, const QString &strParameter,
                      const QString &strSubject)
{
    const CTreeIndex &index = subject.index;
    QString strOut = CSolveAnalysis::Header(subject);
    strOut += QStringLiteral("Parameter: %1, now %2\n")
                  .arg(strSubject, NumberAtPrecision(analysis.Current(), 6));
    strOut += QStringLiteral("Range:     %1 to %2 in %3 steps\n")
                  .arg(NumberAtPrecision(analysis.Low(), 6), NumberAtPrecision(analysis.High(), 6))
                  .arg(analysis.Steps().size() - 1);
    strOut += CSolveAnalysis::ValueNow(analysis.CurrentValue()) +
              QStringLiteral("\nBreak-even points:\n");
    if (analysis.BreakEvens().empty())
        strOut += QStringLiteral("  none: no decision changes its choice over the range\n");
    for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens())
        strOut +=
            QStringLiteral("  %1 %2: %3 chooses %4 below, %5 above; value %6\n")
                .arg(strParameter, CSolveAnalysis::Exact(found.parameter),
                     CSolveAnalysis::Label(index, found.decision),
                     CSolveAnalysis::Label(index, found.below),
                     CSolveAnalysis::Label(index, found.above), CSolveAnalysis::Exact(found.value));

    // One column per Decision whose choice changes; the others keep theirs.
    QStringList header{strParameter.rightJustified(13), QStringLiteral("value").rightJustified(13)};
    std::vector<int> widths;
    for (int nDecision : analysis.SwitchingDecisions())
        widths.push_back(int(CSolveAnalysis::Label(index, nDecision).size()));
    for (const CSensitivityAnalysis::Step &step : analysis.Steps())
        for (size_t k = 0; k < step.choices.size(); ++k)
            widths[k] =
                std::max(widths[k], int(CSolveAnalysis::Label(index, step.choices[k]).size()));
    for (size_t k = 0; k < widths.size(); ++k) {
        widths[k] = std::min(widths[k], CSolveAnalysis::MaxLabelWidth);
        header << CSolveAnalysis::Label(index, analysis.SwitchingDecisions()[k])
                      .leftJustified(widths[k]);
    }
    strOut += QStringLiteral("\nSteps:\n") + Line(header);
    for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
        QStringList line{NumberAtPrecision(step.parameter, 6).rightJustified(13),
                         NumberAtPrecision(step.value, 6).rightJustified(13)};
        for (size_t k = 0; k < step.choices.size(); ++k)
            line << CSolveAnalysis::Label(index, step.choices[k]).leftJustified(widths[k]);
        strOut += Line(line);
    }
    return strOut.toUtf8();
}

// What both one-way analyses report besides their parameter.
template <typename Analysis>
QByteArray RenderJson(const Analysis &analysis, const Subject &subject,
                      const QJsonObject &parameter)
{
    const CTreeIndex &index = subject.index;
    QJsonArray breakEvens;
    for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens())
        breakEvens.append(QJsonObject{
            {QStringLiteral("parameter"), found.parameter},
            {QStringLiteral("value"), found.value},
            {QStringLiteral("decision"), CSolveAnalysis::NodeRef(index, found.decision)},
            {QStringLiteral("below"), CSolveAnalysis::NodeRef(index, found.below)},
            {QStringLiteral("above"), CSolveAnalysis::NodeRef(index, found.above)}});
    QJsonArray decisions;
    for (int nDecision : analysis.SwitchingDecisions())
        decisions.append(CSolveAnalysis::NodeRef(index, nDecision));
    QJsonArray steps;
    for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
        QJsonArray choices;
        for (int nOption : step.choices)
            choices.append(CSolveAnalysis::NodeRef(index, nOption));
        steps.append(QJsonObject{{QStringLiteral("parameter"), step.parameter},
                                 {QStringLiteral("value"), step.value},
                                 {QStringLiteral("choices"), choices}});
    }
    return CSolveAnalysis::Document({{QStringLiteral("parameter"), parameter},
                                     {QStringLiteral("value"), analysis.CurrentValue()},
                                     {QStringLiteral("breakEvens"), breakEvens},
                                     // The order of every step's "choices"; all other
                                     // decisions keep their choice over the whole range.
                                     {QStringLiteral("switchingDecisions"), decisions},
                                     {QStringLiteral("steps"), steps}},
                                    subject);
}

// Either one-way analysis in form; strParameter heads its column, strSubject
// says what moves, and parameter tells it in JSON.
template <typename Analysis>
QByteArray Write(const Analysis &analysis, const Subject &subject, CSolveAnalysis::Form form,
                 const QString &strParameter, const QString &strSubject, QJsonObject parameter)
{
    if (form == CSolveAnalysis::Form::Csv)
        return CSolveAnalysis::Csv(analysis.Table(subject.index));
    if (form == CSolveAnalysis::Form::Text)
        return RenderText(analysis, subject, strParameter, strSubject);
    parameter.insert(QStringLiteral("current"), analysis.Current());
    parameter.insert(QStringLiteral("low"), analysis.Low());
    parameter.insert(QStringLiteral("high"), analysis.High());
    return RenderJson(analysis, subject, parameter);
}

// --sensitivity: the tree's value and the decisions' choices while one
// option's payoff or probability, or one variable, runs over a range.
class Sensitivity : public CSolveAnalysis
{
public:
    Sensitivity() : CSolveAnalysis(true) {}
    bool Parse(const Request &asked, QString *pError) override
    {
        steps = asked.steps;
        return request.ParseSensitivity(asked.value, pError);
    }
    std::vector<std::string> Variables() const override
    {
        if (request.variable.empty())
            return {};
        return {request.variable};
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        if (!request.variable.empty()) {
            CVariableSensitivity analysis(subject.tree, subject.rule);
            if (!analysis.Run(request.variable, request.low, request.high, steps))
                return Fault(subject, analysis.TreeAtFault(), analysis.Error());
            const QString strName = QString::fromStdString(request.variable);
            *pOut =
                Write(analysis, subject, form, strName, QStringLiteral("variable %1").arg(strName),
                      {{QStringLiteral("variable"), strName}});
            return {};
        }
        if (request.parameter == CSensitivityAnalysis::Parameter::Weight) {
            CSensitivityAnalysis analysis(*evaluation);
            if (!analysis.Run(-1, request.parameter, request.low, request.high, steps))
                return Fault(subject, analysis.TreeAtFault(), analysis.Error());
            *pOut = Write(analysis, subject, form, QStringLiteral("w"),
                          QStringLiteral("the weight w of %1").arg(subject.criteria.names[0]),
                          {{QStringLiteral("kind"), ParameterName(request.parameter)}});
            return {};
        }
        QString strError;
        const int nOption = request.FindOption(subject.index, &strError);
        if (nOption < 0)
            return Usage(strError);
        CSensitivityAnalysis analysis(*evaluation);
        if (!analysis.Run(nOption, request.parameter, request.low, request.high, steps))
            return Fault(subject, analysis.TreeAtFault(), analysis.Error());
        const QString strParameter = ParameterName(request.parameter);
        *pOut = Write(analysis, subject, form, strParameter,
                      QStringLiteral("%1 of %2").arg(strParameter, Label(subject.index, nOption)),
                      {{QStringLiteral("option"), NodeRef(subject.index, nOption)},
                       {QStringLiteral("kind"), strParameter}});
        return {};
    }

private:
    CAnalysisRequest request;
    int steps = CSensitivityAnalysis::DefaultSteps;
};

} // namespace

std::unique_ptr<CSolveAnalysis> CSolveAnalysis::Sensitivity()
{
    return std::make_unique<::Sensitivity>();
}
