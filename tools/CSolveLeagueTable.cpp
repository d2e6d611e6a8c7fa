#include "CLeagueTable.h"
#include "CSolveAnalysis.h"
#include "CSolveReportText.h"
#include "NumberPrecision.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

using Subject = CSolveAnalysis::Subject;

// A number, or null where the table has none; JSON has no infinity, so an
// open end of a weight range is null as well.
QJsonValue Number(double dValue)
{
    return std::isfinite(dValue) ? QJsonValue(dValue) : QJsonValue();
}

QJsonValue Names(const CLeagueTable &table, const std::vector<int> &positions)
{
    if (positions.empty())
        return QJsonValue();
    QJsonArray names;
    for (int r : positions)
        names.append(table.Rows()[size_t(r)].strategy.name);
    return names;
}

QByteArray Json(const CLeagueTable &table, const Subject &subject)
{
    QJsonArray rows;
    for (const CLeagueTable::Row &row : table.Rows())
        rows.append(QJsonObject{
            {QStringLiteral("strategy"), row.strategy.name},
            {QStringLiteral("c1"), row.strategy.c1},
            {QStringLiteral("c2"), row.strategy.c2},
            {QStringLiteral("dominatedBy"), Names(table, row.dominatedBy)},
            {QStringLiteral("extendedDominatedBy"), Names(table, row.extendedDominatedBy)},
            {QStringLiteral("tiedWith"), Names(table, row.tiedWith)},
            {QStringLiteral("incrementalC1"), Number(row.incrementalC1)},
            {QStringLiteral("incrementalC2"), Number(row.incrementalC2)},
            {QStringLiteral("icer"), Number(row.icer)},
            {QStringLiteral("weightFrom"), Number(row.weightFrom)},
            {QStringLiteral("weightTo"), Number(row.weightTo)},
            {QStringLiteral("best"), row.best}});
    const CCriteria &criteria = table.Criteria();
    const QJsonObject result{
        {QStringLiteral("criteria"), QJsonArray{criteria.names[0], criteria.names[1]}},
        {QStringLiteral("weight"), Number(criteria.weight)},
        {QStringLiteral("firstDecisionOnly"), table.FirstDecisionOnly()},
        {QStringLiteral("rows"), rows}};
    return CSolveAnalysis::Document({{QStringLiteral("leagueTable"), result}}, subject, false);
}

QByteArray Text(const CLeagueTable &table, const Subject &subject)
{
    QString strOut = CSolveAnalysis::Header(subject, false);
    const CAnalysisTable shown = table.Table();
    int nWidth = 8;
    for (const QStringList &row : shown.rows)
        nWidth = std::max(nWidth, std::min(int(row.front().size()), CSolveAnalysis::MaxLabelWidth));
    for (const QStringList &row : shown.rows) {
        strOut += CSolveReportText::Printable(row.front()).leftJustified(nWidth);
        for (int c = 1; c < row.size(); ++c)
            if (!row.at(c).isEmpty())
                strOut += QStringLiteral("  %1 %2").arg(shown.header.at(c), row.at(c));
        strOut += QLatin1Char('\n');
    }
    return strOut.toUtf8();
}

// --league-table: every strategy of a project of two criteria, its
// dominance and the frontier's ICERs.
class LeagueTable : public CSolveAnalysis
{
public:
    bool Parse(const Request &, QString *) override { return true; }
    QString CriteriaProblem(const CCriteria &criteria) const override
    {
        return criteria.two ? QString()
                            : QStringLiteral("--league-table compares two criteria; the project "
                                             "has one.");
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        CLeagueTable table(subject.criteria);
        const QString strProblem = table.Run(subject.tree);
        if (!strProblem.isEmpty())
            return FileFault(subject, strProblem);
        *pOut = form == Form::Csv    ? Csv(table.Table())
                : form == Form::Json ? Json(table, subject)
                                     : Text(table, subject);
        return {};
    }
};

} // namespace

std::unique_ptr<CSolveAnalysis> CSolveAnalysis::LeagueTable()
{
    return std::make_unique<::LeagueTable>();
}
