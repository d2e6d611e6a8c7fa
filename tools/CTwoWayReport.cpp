#include "CTwoWayReport.h"

#include "CAnalysisRequest.h"
#include "CAnalysisText.h"
#include "CNode.h"
#include "CSolveReportText.h"
#include "CSpiderAnalysis.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

QJsonValue NodeRef(const CTreeIndex &index, int n)
{
    if (n < 0)
        return QJsonValue();
    return QJsonObject{{QStringLiteral("id"), double(CTreeIndex::IdOf(n))},
                       {QStringLiteral("name"), QString::fromStdString(index.Node(n)->name)}};
}

QString Parameter(const CTreeIndex &index, const CTwoWayAnalysis::Input &input)
{
    return CAnalysisRequest::ParameterText(index, input.option, input.kind, input.variable);
}

QByteArray Document(QJsonObject object, const QString &strProject, const QString &strFile)
{
    object.insert(QStringLiteral("file"), strFile);
    object.insert(QStringLiteral("project"), strProject);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

QString Header(const QString &strProject, const QString &strFile)
{
    return QStringLiteral("Project:   %1\nFile:      %2\n")
        .arg(CSolveReportText::Printable(strProject), strFile);
}

// The grid position nearest dValue, or -1 outside the range.
int Nearest(double dValue, double dLow, double dHigh, int nSteps)
{
    if (!(dValue >= dLow && dValue <= dHigh))
        return -1;
    return int(std::lround((dValue - dLow) / (dHigh - dLow) * nSteps));
}

} // namespace

QByteArray CTwoWayReport::TwoWayJson(const CTwoWayAnalysis &analysis, const CTreeIndex &index,
                                     const QString &strProject, const QString &strFile)
{
    const auto axis = [&](const CTwoWayAnalysis::Input &input) {
        return QJsonObject{{QStringLiteral("parameter"), Parameter(index, input)},
                           {QStringLiteral("low"), input.low},
                           {QStringLiteral("high"), input.high}};
    };
    QJsonArray grid;
    for (const CTwoWayAnalysis::Point &point : analysis.Grid()) {
        QJsonObject cell{{QStringLiteral("x"), point.x},
                         {QStringLiteral("y"), point.y},
                         {QStringLiteral("value"), point.value},
                         {QStringLiteral("consistent"), point.consistent}};
        if (point.consistent && point.chosen >= 0)
            cell.insert(QStringLiteral("chosen"),
                        QString::fromStdString(index.Node(point.chosen)->name));
        grid.append(cell);
    }
    QJsonArray rows;
    for (const CTwoWayAnalysis::Row &row : analysis.Rows()) {
        QJsonArray breakEvens;
        for (const CSensitivityAnalysis::BreakEven &found : row.breakEvens)
            breakEvens.append(
                QJsonObject{{QStringLiteral("x"), found.parameter},
                            {QStringLiteral("decision"), NodeRef(index, found.decision)},
                            {QStringLiteral("below"), NodeRef(index, found.below)},
                            {QStringLiteral("above"), NodeRef(index, found.above)}});
        rows.append(
            QJsonObject{{QStringLiteral("y"), row.y}, {QStringLiteral("breakEvens"), breakEvens}});
    }
    const QJsonObject twoWay{{QStringLiteral("x"), axis(analysis.X())},
                             {QStringLiteral("y"), axis(analysis.Y())},
                             {QStringLiteral("grid"), grid},
                             {QStringLiteral("rows"), rows}};
    return Document({{QStringLiteral("twoWay"), twoWay}}, strProject, strFile);
}

QString CTwoWayReport::TwoWayText(const CTwoWayAnalysis &analysis, const CTreeIndex &index,
                                  const QString &strProject, const QString &strFile)
{
    const int nSteps = analysis.Steps();
    const CTwoWayAnalysis::Input &x = analysis.X();
    const CTwoWayAnalysis::Input &y = analysis.Y();
    QString strOut = Header(strProject, strFile);
    const auto axis = [&](const char *pName, const CTwoWayAnalysis::Input &input, double dNow) {
        return QStringLiteral("%1:         %2, %3 to %4 in %5 steps (now %6)\n")
            .arg(QLatin1String(pName),
                 CSolveReportText::Printable(CTwoWayAnalysis::Describe(index, input)),
                 CAnalysisText::Number(input.low), CAnalysisText::Number(input.high))
            .arg(nSteps)
            .arg(CAnalysisText::Number(dNow));
    };
    strOut += axis("x", x, analysis.CurrentX()) + axis("y", y, analysis.CurrentY());
    strOut +=
        QStringLiteral("Value now: %1\n\n").arg(CAnalysisText::Number(analysis.CurrentValue()));
    if (analysis.Decision() < 0)
        strOut += QStringLiteral("The tree has no decision; the map shows where it is "
                                 "consistent.\n");
    else
        strOut += QStringLiteral("What %1 chooses, x across and y up:\n")
                      .arg(CAnalysisText::Label(index, analysis.Decision()));

    // A letter per option chosen somewhere; beyond the alphabet, digits.
    const std::vector<int> options = analysis.ChosenOptions();
    static const QString strLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    const auto letter = [&](int nOption) {
        const auto found = std::find(options.begin(), options.end(), nOption);
        const long nAt = found - options.begin();
        return found == options.end()    ? QLatin1Char('-')
               : nAt < strLetters.size() ? strLetters.at(int(nAt))
                                         : QLatin1Char('+');
    };
    const int nNowColumn = Nearest(analysis.CurrentX(), x.low, x.high, nSteps);
    const int nNowRow = Nearest(analysis.CurrentY(), y.low, y.high, nSteps);
    int nWidth = 0;
    for (const CTwoWayAnalysis::Row &row : analysis.Rows())
        nWidth = std::max(nWidth, int(CAnalysisText::Number(row.y).size()));
    for (int j = nSteps; j >= 0; --j) {
        QString strLine =
            QStringLiteral("  %1  ").arg(CAnalysisText::Number(analysis.At(0, j).y), nWidth);
        for (int i = 0; i <= nSteps; ++i) {
            const CTwoWayAnalysis::Point &point = analysis.At(i, j);
            const QChar cell = !point.consistent ? QLatin1Char('/') : letter(point.chosen);
            strLine += i == nNowColumn && j == nNowRow ? cell.toLower() : cell;
        }
        strOut += strLine + QLatin1Char('\n');
    }
    const QString strLow = CAnalysisText::Number(x.low);
    const QString strHigh = CAnalysisText::Number(x.high);
    const int nSpan = std::max(nSteps + 1, int(strLow.size() + 1 + strHigh.size()));
    strOut += QString(nWidth + 4, QLatin1Char(' ')) + strLow +
              strHigh.rightJustified(nSpan - int(strLow.size())) + QStringLiteral("\n\n");
    for (size_t k = 0; k < options.size(); ++k)
        strOut += QStringLiteral("  %1  %2\n")
                      .arg(letter(options[k]))
                      .arg(CAnalysisText::Label(index, options[k]));
    if (nNowColumn >= 0 && nNowRow >= 0)
        strOut += QStringLiteral("  a   lower case: the point nearest the tree as it stands\n");
    strOut += QStringLiteral("  /   the probabilities do not lie within 0 and 1 and add up to 1\n");
    if (options.empty() && analysis.Decision() >= 0)
        strOut += QStringLiteral("  -   no option chosen\n");

    strOut += QStringLiteral("\nBreak-even points of x along each row:\n");
    bool bAny = false;
    for (const CTwoWayAnalysis::Row &row : analysis.Rows())
        for (const CSensitivityAnalysis::BreakEven &found : row.breakEvens) {
            bAny = true;
            strOut += QStringLiteral("  y %1, x %2: %3 chooses %4 below, %5 above\n")
                          .arg(CAnalysisText::Number(row.y), CAnalysisText::Exact(found.parameter),
                               CAnalysisText::Label(index, found.decision),
                               CAnalysisText::Label(index, found.below),
                               CAnalysisText::Label(index, found.above));
        }
    if (!bAny)
        strOut += QStringLiteral("  none: no decision changes its choice along any row\n");
    return strOut;
}

QByteArray CTwoWayReport::SpiderJson(const CSpiderAnalysis &spider, const CTreeIndex &index,
                                     const QString &strProject, const QString &strFile)
{
    QJsonArray lines;
    for (const CSpiderAnalysis::Line &line : spider.Lines()) {
        QJsonArray points;
        for (const auto &[dChange, dValue] : line.points)
            points.append(QJsonObject{{QStringLiteral("change"), dChange},
                                      {QStringLiteral("value"), dValue}});
        lines.append(
            QJsonObject{{QStringLiteral("parameter"),
                         CAnalysisRequest::ParameterText(index, line.input.option, line.input.kind,
                                                         line.input.variable)},
                        {QStringLiteral("points"), points}});
    }
    return Document({{QStringLiteral("value"), spider.CurrentValue()},
                     {QStringLiteral("percent"), spider.Percent()},
                     {QStringLiteral("inputCount"), spider.InputCount()},
                     {QStringLiteral("spider"), lines}},
                    strProject, strFile);
}

QString CTwoWayReport::SpiderText(const CSpiderAnalysis &spider, const CTreeIndex &index,
                                  const QString &strProject, const QString &strFile)
{
    QString strOut = Header(strProject, strFile);
    strOut += QStringLiteral("Value now: %1\n").arg(CAnalysisText::Number(spider.CurrentValue()));
    strOut += QStringLiteral("Spider:    the value of the tree as each input changes from -%1 % "
                             "to +%1 % of its value\n\n")
                  .arg(CAnalysisText::Number(spider.Percent()));
    QStringList header = spider.TableHeader();
    std::vector<QStringList> rows = spider.TableRows(index);
    int nWidth = int(header.front().size());
    for (QStringList &row : rows) {
        row.front() = CSolveReportText::Printable(row.front());
        nWidth = std::max(nWidth, std::min(int(row.front().size()), 60));
    }
    const auto line = [&](const QStringList &cells) {
        QString strLine = cells.front().leftJustified(nWidth);
        for (int c = 1; c < cells.size(); ++c)
            strLine += QStringLiteral("  ") + cells.at(c).rightJustified(11);
        return strLine + QLatin1Char('\n');
    };
    strOut += line(header);
    for (const QStringList &row : rows)
        strOut += line(row);
    strOut += QStringLiteral("\n%1 of %2 inputs do not move the value and are left out.\n")
                  .arg(spider.InputCount() - int(spider.Lines().size()))
                  .arg(spider.InputCount());
    return strOut;
}
