#include "CAnalysisRequest.h"
#include "CNode.h"
#include "CSolveAnalysis.h"
#include "CSolveReportText.h"
#include "CTornado.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "NumberPrecision.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

using Subject = CSolveAnalysis::Subject;

// The inputs named as the command line takes them.
QString Parameter(const CTreeIndex &index, const CTwoWayAnalysis::Input &input)
{
    return CTornado::ShortName(index, input.option, input.kind, input.variable);
}

// The grid position nearest dValue, or -1 outside the range.
int Nearest(double dValue, double dLow, double dHigh, int nSteps)
{
    if (!(dValue >= dLow && dValue <= dHigh))
        return -1;
    return int(std::lround((dValue - dLow) / (dHigh - dLow) * nSteps));
}

QByteArray Text(const CTwoWayAnalysis &analysis, const Subject &subject)
{
    const CTreeIndex &index = subject.index;
    const int nSteps = analysis.Steps();
    const CTwoWayAnalysis::Input &x = analysis.X();
    const CTwoWayAnalysis::Input &y = analysis.Y();
    QString strOut = CSolveAnalysis::Header(subject);
    const auto axis = [&](const char *pName, const CTwoWayAnalysis::Input &input, double dNow) {
        return QStringLiteral("%1:         %2, %3 to %4 in %5 steps (now %6)\n")
            .arg(QLatin1String(pName),
                 CSolveReportText::Printable(CTwoWayAnalysis::Describe(index, input)),
                 NumberAtPrecision(input.low, 6), NumberAtPrecision(input.high, 6))
            .arg(nSteps)
            .arg(NumberAtPrecision(dNow, 6));
    };
    strOut += axis("x", x, analysis.CurrentX()) + axis("y", y, analysis.CurrentY());
    strOut += CSolveAnalysis::ValueNow(analysis.CurrentValue()) + QLatin1Char('\n');
    if (analysis.Decision() < 0)
        strOut += QStringLiteral("The tree has no decision; the map shows where it is "
                                 "consistent.\n");
    else
        strOut += QStringLiteral("What %1 chooses, x across and y up:\n")
                      .arg(CSolveAnalysis::Label(index, analysis.Decision()));

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
        nWidth = std::max(nWidth, int(NumberAtPrecision(row.y, 6).size()));
    for (int j = nSteps; j >= 0; --j) {
        QString strLine =
            QStringLiteral("  %1  ").arg(NumberAtPrecision(analysis.At(0, j).y, 6), nWidth);
        for (int i = 0; i <= nSteps; ++i) {
            const CTwoWayAnalysis::Point &point = analysis.At(i, j);
            const QChar cell = !point.consistent ? QLatin1Char('/') : letter(point.chosen);
            strLine += i == nNowColumn && j == nNowRow ? cell.toLower() : cell;
        }
        strOut += strLine + QLatin1Char('\n');
    }
    const QString strLow = NumberAtPrecision(x.low, 6);
    const QString strHigh = NumberAtPrecision(x.high, 6);
    const int nSpan = std::max(nSteps + 1, int(strLow.size() + 1 + strHigh.size()));
    strOut += QString(nWidth + 4, QLatin1Char(' ')) + strLow +
              strHigh.rightJustified(nSpan - int(strLow.size())) + QStringLiteral("\n\n");
    for (size_t k = 0; k < options.size(); ++k)
        strOut += QStringLiteral("  %1  %2\n")
                      .arg(letter(options[k]))
                      .arg(CSolveAnalysis::Label(index, options[k]));
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
                          .arg(NumberAtPrecision(row.y, 6), CSolveAnalysis::Exact(found.parameter),
                               CSolveAnalysis::Label(index, found.decision),
                               CSolveAnalysis::Label(index, found.below),
                               CSolveAnalysis::Label(index, found.above));
        }
    if (!bAny)
        strOut += QStringLiteral("  none: no decision changes its choice along any row\n");
    return strOut.toUtf8();
}

QByteArray Json(const CTwoWayAnalysis &analysis, const Subject &subject)
{
    const CTreeIndex &index = subject.index;
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
            breakEvens.append(QJsonObject{
                {QStringLiteral("x"), found.parameter},
                {QStringLiteral("decision"), CSolveAnalysis::NodeRef(index, found.decision)},
                {QStringLiteral("below"), CSolveAnalysis::NodeRef(index, found.below)},
                {QStringLiteral("above"), CSolveAnalysis::NodeRef(index, found.above)}});
        rows.append(
            QJsonObject{{QStringLiteral("y"), row.y}, {QStringLiteral("breakEvens"), breakEvens}});
    }
    const QJsonObject twoWay{{QStringLiteral("x"), axis(analysis.X())},
                             {QStringLiteral("y"), axis(analysis.Y())},
                             {QStringLiteral("grid"), grid},
                             {QStringLiteral("rows"), rows}};
    return CSolveAnalysis::Document({{QStringLiteral("twoWay"), twoWay}}, subject);
}

// --two-way: the tree's value and the first decision's choice over a grid
// of two inputs, each in a form of --sensitivity.
class TwoWay : public CSolveAnalysis
{
public:
    bool Parse(const Request &request, QString *pError) override
    {
        steps = request.steps;
        if (steps > CTwoWayAnalysis::MaxSteps) {
            *pError =
                QStringLiteral("--two-way takes at most %1 steps.").arg(CTwoWayAnalysis::MaxSteps);
            return false;
        }
        return across.ParseSensitivity(request.value, pError) &&
               up.ParseSensitivity(request.second, pError);
    }
    std::vector<std::string> Variables() const override
    {
        std::vector<std::string> names;
        for (const CAnalysisRequest *pRequest : {&across, &up})
            if (!pRequest->variable.empty())
                names.push_back(pRequest->variable);
        return names;
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        CTwoWayAnalysis::Input x;
        CTwoWayAnalysis::Input y;
        QString strError;
        if (!across.ToInput(subject.index, &x, &strError) ||
            !up.ToInput(subject.index, &y, &strError))
            return Usage(strError);
        CTwoWayAnalysis analysis(subject.tree, subject.rule);
        if (!analysis.Run(x, y, steps))
            return Fault(subject, analysis.TreeAtFault(), analysis.Error());
        *pOut = form == Form::Csv    ? Csv(analysis.Table(subject.index))
                : form == Form::Json ? Json(analysis, subject)
                                     : Text(analysis, subject);
        return {};
    }

private:
    CAnalysisRequest across;
    CAnalysisRequest up;
    int steps = CSensitivityAnalysis::DefaultSteps;
};

} // namespace

std::unique_ptr<CSolveAnalysis> CSolveAnalysis::TwoWay()
{
    return std::make_unique<::TwoWay>();
}
