#include "CSolveTwoWay.h"

#include "CCsvTable.h"
#include "CNode.h"
#include "CSolveReportText.h"
#include "CTreeIndex.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// The inputs named as the command line takes them.
QString Parameter(const CTreeIndex &index, const CTwoWayAnalysis::Input &input)
{
    return CAnalysisRequest::ParameterText(index, input.option, input.kind, input.variable);
}

// The grid position nearest dValue, or -1 outside the range.
int Nearest(double dValue, double dLow, double dHigh, int nSteps)
{
    if (!(dValue >= dLow && dValue <= dHigh))
        return -1;
    return int(std::lround((dValue - dLow) / (dHigh - dLow) * nSteps));
}

QString NodeName(const CTreeIndex &index, int n)
{
    return n < 0 ? QString() : QString::fromStdString(index.Node(n)->name);
}

} // namespace

QCommandLineOption CSolveTwoWay::Option()
{
    return QCommandLineOption(
        QStringLiteral("two-way"),
        QStringLiteral("Analyse two inputs over a grid: <a>=<low>..<high> followed by "
                       "<b>=<low>..<high>, each in a form of --sensitivity."),
        QStringLiteral("a=low..high"));
}

bool CSolveTwoWay::Parse(const Request &request, QString *pError)
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

std::vector<std::string> CSolveTwoWay::Variables() const
{
    std::vector<std::string> names;
    for (const CAnalysisRequest *pRequest : {&across, &up})
        if (!pRequest->variable.empty())
            names.push_back(pRequest->variable);
    return names;
}

CSolveAnalysis::Outcome CSolveTwoWay::Run(const Subject &subject)
{
    CTwoWayAnalysis::Input x;
    CTwoWayAnalysis::Input y;
    QString strError;
    if (!across.ToInput(subject.index, &x, &strError) || !up.ToInput(subject.index, &y, &strError))
        return Usage(strError);
    result.emplace(subject.tree, subject.rule);
    if (!result->Run(x, y, steps))
        return Fault(subject, result->TreeAtFault(), result->Error());
    return {};
}

QByteArray CSolveTwoWay::Text(const Subject &subject) const
{
    const CTwoWayAnalysis &analysis = *result;
    const CTreeIndex &index = subject.index;
    const int nSteps = analysis.Steps();
    const CTwoWayAnalysis::Input &x = analysis.X();
    const CTwoWayAnalysis::Input &y = analysis.Y();
    QString strOut = Header(subject);
    const auto axis = [&](const char *pName, const CTwoWayAnalysis::Input &input, double dNow) {
        return QStringLiteral("%1:         %2, %3 to %4 in %5 steps (now %6)\n")
            .arg(QLatin1String(pName),
                 CSolveReportText::Printable(CTwoWayAnalysis::Describe(index, input)),
                 Number(input.low), Number(input.high))
            .arg(nSteps)
            .arg(Number(dNow));
    };
    strOut += axis("x", x, analysis.CurrentX()) + axis("y", y, analysis.CurrentY());
    strOut += QStringLiteral("Value now: %1\n\n").arg(Number(analysis.CurrentValue()));
    if (analysis.Decision() < 0)
        strOut += QStringLiteral("The tree has no decision; the map shows where it is "
                                 "consistent.\n");
    else
        strOut += QStringLiteral("What %1 chooses, x across and y up:\n")
                      .arg(Label(index, analysis.Decision()));

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
        nWidth = std::max(nWidth, int(Number(row.y).size()));
    for (int j = nSteps; j >= 0; --j) {
        QString strLine = QStringLiteral("  %1  ").arg(Number(analysis.At(0, j).y), nWidth);
        for (int i = 0; i <= nSteps; ++i) {
            const CTwoWayAnalysis::Point &point = analysis.At(i, j);
            const QChar cell = !point.consistent ? QLatin1Char('/') : letter(point.chosen);
            strLine += i == nNowColumn && j == nNowRow ? cell.toLower() : cell;
        }
        strOut += strLine + QLatin1Char('\n');
    }
    const QString strLow = Number(x.low);
    const QString strHigh = Number(x.high);
    const int nSpan = std::max(nSteps + 1, int(strLow.size() + 1 + strHigh.size()));
    strOut += QString(nWidth + 4, QLatin1Char(' ')) + strLow +
              strHigh.rightJustified(nSpan - int(strLow.size())) + QStringLiteral("\n\n");
    for (size_t k = 0; k < options.size(); ++k)
        strOut +=
            QStringLiteral("  %1  %2\n").arg(letter(options[k])).arg(Label(index, options[k]));
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
                          .arg(Number(row.y), Exact(found.parameter), Label(index, found.decision),
                               Label(index, found.below), Label(index, found.above));
        }
    if (!bAny)
        strOut += QStringLiteral("  none: no decision changes its choice along any row\n");
    return strOut.toUtf8();
}

QByteArray CSolveTwoWay::Json(const Subject &subject) const
{
    const CTwoWayAnalysis &analysis = *result;
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
    return Document({{QStringLiteral("twoWay"), twoWay}}, subject);
}

QByteArray CSolveTwoWay::Csv(const Subject &subject) const
{
    const CTwoWayAnalysis &analysis = *result;
    const CTreeIndex &index = subject.index;
    const QStringList header{Parameter(index, analysis.X()), Parameter(index, analysis.Y()),
                             QStringLiteral("value"), QStringLiteral("chosen"),
                             QStringLiteral("consistent")};
    std::vector<QStringList> rows;
    rows.reserve(analysis.Grid().size());
    for (const CTwoWayAnalysis::Point &point : analysis.Grid())
        rows.push_back({CCsvTable::Number(point.x), CCsvTable::Number(point.y),
                        CCsvTable::Number(point.value),
                        point.consistent ? NodeName(index, point.chosen) : QString(),
                        point.consistent ? QStringLiteral("true") : QStringLiteral("false")});
    return CCsvTable::Write(header, rows);
}
