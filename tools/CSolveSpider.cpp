#include "CSolveSpider.h"

#include "CAnalysisRequest.h"
#include "CCsvTable.h"
#include "CSolveReportText.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>

namespace {

// The inputs named as the command line takes them.
QString Parameter(const CTreeIndex &index, const CTornado::Bar &input)
{
    return CAnalysisRequest::ParameterText(index, input.option, input.kind, input.variable);
}

} // namespace

QCommandLineOption CSolveSpider::Option()
{
    return QCommandLineOption(
        QStringLiteral("spider"),
        QStringLiteral("Change every input of the tornado from -<percent> to +<percent> of its "
                       "value in --steps steps."),
        QStringLiteral("percent"));
}

bool CSolveSpider::Parse(const Request &request, QString *pError)
{
    CAnalysisRequest share;
    if (!share.ParseTornado(request.value, pError))
        return false;
    percent = share.percent;
    steps = request.steps;
    return true;
}

CSolveAnalysis::Outcome CSolveSpider::Run(const Subject &subject)
{
    Outcome fault;
    if (!Evaluate(subject, &fault))
        return fault;
    spider.emplace(*evaluation);
    if (!spider->Run(percent, steps, &subject.tree))
        return FileFault(subject, spider->Error());
    return {};
}

QByteArray CSolveSpider::Text(const Subject &subject) const
{
    QString strOut = Header(subject);
    strOut += QStringLiteral("Value now: %1\n").arg(Number(spider->CurrentValue()));
    strOut += QStringLiteral("Spider:    the value of the tree as each input changes from -%1 % "
                             "to +%1 % of its value\n\n")
                  .arg(Number(spider->Percent()));
    QStringList header = spider->TableHeader();
    std::vector<QStringList> rows = spider->TableRows(subject.index);
    int nWidth = int(header.front().size());
    for (QStringList &row : rows) {
        row.front() = CSolveReportText::Printable(row.front());
        nWidth = std::max(nWidth, std::min(int(row.front().size()), MaxLabelWidth));
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
                  .arg(spider->InputCount() - int(spider->Lines().size()))
                  .arg(spider->InputCount());
    return strOut.toUtf8();
}

QByteArray CSolveSpider::Json(const Subject &subject) const
{
    QJsonArray lines;
    for (const CSpiderAnalysis::Line &line : spider->Lines()) {
        QJsonArray points;
        for (const auto &[dChange, dValue] : line.points)
            points.append(QJsonObject{{QStringLiteral("change"), dChange},
                                      {QStringLiteral("value"), dValue}});
        lines.append(
            QJsonObject{{QStringLiteral("parameter"), Parameter(subject.index, line.input)},
                        {QStringLiteral("points"), points}});
    }
    return Document({{QStringLiteral("value"), spider->CurrentValue()},
                     {QStringLiteral("percent"), spider->Percent()},
                     {QStringLiteral("inputCount"), spider->InputCount()},
                     {QStringLiteral("spider"), lines}},
                    subject);
}

QByteArray CSolveSpider::Csv(const Subject &subject) const
{
    const QStringList header{QStringLiteral("parameter"), QStringLiteral("change"),
                             QStringLiteral("value")};
    std::vector<QStringList> rows;
    for (const CSpiderAnalysis::Line &line : spider->Lines()) {
        const QString strInput = Parameter(subject.index, line.input);
        for (const auto &[dChange, dValue] : line.points)
            rows.push_back({strInput, CCsvTable::Number(dChange), CCsvTable::Number(dValue)});
    }
    return CCsvTable::Write(header, rows);
}
