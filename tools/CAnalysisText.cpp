#include "CAnalysisText.h"

#include "CNode.h"
#include "CSensitivityAnalysis.h"
#include "CSolveReportText.h"
#include "CTornado.h"
#include "CTreeIndex.h"
#include "CVariableSensitivity.h"

#include <QStringList>

#include <algorithm>

namespace {

QString ParameterName(CSensitivityAnalysis::Parameter parameter)
{
    return parameter == CSensitivityAnalysis::Parameter::Payoff ? QStringLiteral("payoff")
                                                                : QStringLiteral("probability");
}

QString Header(const QString &strProject, const QString &strFile)
{
    return QStringLiteral("Project:   %1\nFile:      %2\n")
        .arg(CSolveReportText::Printable(strProject), strFile);
}

// Columns are padded on the right; the last one needs no padding.
QString Line(const QStringList &columns)
{
    QString strLine = columns.join(QStringLiteral("  "));
    while (strLine.endsWith(QLatin1Char(' ')))
        strLine.chop(1);
    return strLine + QLatin1Char('\n');
}

// Labels wider than this are not padded to one another.
constexpr int MaxLabelWidth = 60;

// One-way analyses of an option's parameter and of a variable read alike.
template <typename Analysis>
QString Render(const Analysis &analysis, const CTreeIndex &index, const QString &strParameter,
               const QString &strSubject, const QString &strProject, const QString &strFile)
{
    QString strOut = Header(strProject, strFile);
    strOut += QStringLiteral("Parameter: %1, now %2\n")
                  .arg(strSubject, CAnalysisText::Number(analysis.Current()));
    strOut +=
        QStringLiteral("Range:     %1 to %2 in %3 steps\n")
            .arg(CAnalysisText::Number(analysis.Low()), CAnalysisText::Number(analysis.High()))
            .arg(analysis.Steps().size() - 1);
    strOut += QStringLiteral("Value now: %1\n\nBreak-even points:\n")
                  .arg(CAnalysisText::Number(analysis.CurrentValue()));
    if (analysis.BreakEvens().empty())
        strOut += QStringLiteral("  none: no decision changes its choice over the range\n");
    for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens())
        strOut +=
            QStringLiteral("  %1 %2: %3 chooses %4 below, %5 above; value %6\n")
                .arg(strParameter, CAnalysisText::Exact(found.parameter),
                     CAnalysisText::Label(index, found.decision),
                     CAnalysisText::Label(index, found.below),
                     CAnalysisText::Label(index, found.above), CAnalysisText::Exact(found.value));

    // One column per Decision whose choice changes; the others keep theirs.
    QStringList header{strParameter.rightJustified(13), QStringLiteral("value").rightJustified(13)};
    std::vector<int> widths;
    for (int nDecision : analysis.SwitchingDecisions())
        widths.push_back(int(CAnalysisText::Label(index, nDecision).size()));
    for (const CSensitivityAnalysis::Step &step : analysis.Steps())
        for (size_t k = 0; k < step.choices.size(); ++k)
            widths[k] =
                std::max(widths[k], int(CAnalysisText::Label(index, step.choices[k]).size()));
    for (size_t k = 0; k < widths.size(); ++k) {
        widths[k] = std::min(widths[k], MaxLabelWidth);
        header << CAnalysisText::Label(index, analysis.SwitchingDecisions()[k])
                      .leftJustified(widths[k]);
    }
    strOut += QStringLiteral("\nSteps:\n") + Line(header);
    for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
        QStringList line{CAnalysisText::Number(step.parameter).rightJustified(13),
                         CAnalysisText::Number(step.value).rightJustified(13)};
        for (size_t k = 0; k < step.choices.size(); ++k)
            line << CAnalysisText::Label(index, step.choices[k]).leftJustified(widths[k]);
        strOut += Line(line);
    }
    return strOut;
}

} // namespace

QString CAnalysisText::Sensitivity(const CSensitivityAnalysis &analysis, const CTreeIndex &index,
                                   const QString &strProject, const QString &strFile)
{
    const QString strParameter = ParameterName(analysis.Kind());
    return Render(analysis, index, strParameter,
                  QStringLiteral("%1 of %2")
                      .arg(strParameter, CAnalysisText::Label(index, analysis.Option())),
                  strProject, strFile);
}

QString CAnalysisText::Sensitivity(const CVariableSensitivity &analysis, const CTreeIndex &index,
                                   const QString &strProject, const QString &strFile)
{
    const QString strName = QString::fromStdString(analysis.Variable());
    return Render(analysis, index, strName, QStringLiteral("variable %1").arg(strName), strProject,
                  strFile);
}

QString CAnalysisText::Tornado(const CTornado &tornado, const CTreeIndex &index,
                               const QString &strProject, const QString &strFile)
{
    QString strOut = Header(strProject, strFile);
    strOut += QStringLiteral("Value now: %1\n").arg(CAnalysisText::Number(tornado.CurrentValue()));
    strOut += QStringLiteral("Tornado:   every payoff and Situation probability moved down and up "
                             "by %1 %\n")
                  .arg(CAnalysisText::Number(tornado.Percent()));
    // Only printed for projects with variables, so older outputs stay as they were.
    if (tornado.HasVariables())
        strOut += QStringLiteral("           that is not a formula, and every variable over its "
                                 "Low..High or by that share\n");
    strOut += QLatin1Char('\n');
    QStringList labels;
    int nWidth = 5;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        labels << (bar.option < 0
                       ? QStringLiteral("variable %1")
                             .arg(CSolveReportText::Printable(QString::fromStdString(bar.variable)))
                       : QStringLiteral("%1 of %2")
                             .arg(ParameterName(bar.kind),
                                  CAnalysisText::Label(index, bar.option)));
        nWidth = std::max(nWidth, std::min(int(labels.last().size()), MaxLabelWidth));
    }
    auto columns = [&](const QString &strLabel, const QStringList &numbers) {
        QString strLine = strLabel.leftJustified(nWidth);
        for (const QString &strNumber : numbers)
            strLine += QStringLiteral("  ") + strNumber.rightJustified(13);
        return strLine + QLatin1Char('\n');
    };
    strOut +=
        columns(QStringLiteral("Input"),
                {QStringLiteral("low"), QStringLiteral("high"), QStringLiteral("value at low"),
                 QStringLiteral("value at high"), QStringLiteral("swing")});
    for (size_t i = 0; i < tornado.Bars().size(); ++i) {
        const CTornado::Bar &bar = tornado.Bars()[i];
        strOut +=
            columns(labels.at(int(i)),
                    {CAnalysisText::Number(bar.low), CAnalysisText::Number(bar.high),
                     CAnalysisText::Number(bar.valueLow), CAnalysisText::Number(bar.valueHigh),
                     CAnalysisText::Number(bar.Swing())});
    }
    const int nLeftOut = tornado.InputCount() - int(tornado.Bars().size());
    strOut += QStringLiteral("\n%1 of %2 inputs do not move the value and are left out.\n")
                  .arg(nLeftOut)
                  .arg(tornado.InputCount());
    return strOut;
}

QString CAnalysisText::Number(double dValue)
{
    return QString::number(dValue, 'g', 6);
}

// Break-evens are exact; they get the digits to show it.
QString CAnalysisText::Exact(double dValue)
{
    return QString::number(dValue, 'g', 12);
}

QString CAnalysisText::Label(const CTreeIndex &index, int n)
{
    if (n < 0)
        return QStringLiteral("no option");
    return QStringLiteral("\"%1\" (#%2)")
        .arg(CSolveReportText::Printable(QString::fromStdString(index.Node(n)->name)))
        .arg(CTreeIndex::IdOf(n));
}
