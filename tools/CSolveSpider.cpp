#include "CAnalysisRequest.h"
#include "CSolveAnalysis.h"
#include "CSolveReportText.h"
#include "CSpiderAnalysis.h"
#include "NumberPrecision.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>

namespace {

using Subject = CSolveAnalysis::Subject;

// The inputs named as the command line takes them.
QString Parameter(const CTreeIndex &index, const CTornado::Bar &input)
{
    return CTornado::ShortName(index, input.option, input.kind, input.variable);
}

QByteArray Text(const CSpiderAnalysis &spider, const Subject &subject)
{
    QString strOut = CSolveAnalysis::Header(subject, spider.CurrentValue());
    strOut += QStringLiteral("Spider:    the value of the tree as each input changes from -%1 % "
                             "to +%1 % of its value\n\n")
                  .arg(NumberAtPrecision(spider.Percent(), 6));
    QStringList header = spider.TableHeader();
    std::vector<QStringList> rows = spider.TableRows(subject.index);
    int nWidth = int(header.front().size());
    for (QStringList &row : rows) {
        row.front() = CSolveReportText::Printable(row.front());
        nWidth = std::max(nWidth, std::min(int(row.front().size()), CSolveAnalysis::MaxLabelWidth));
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
    return strOut.toUtf8();
}

QByteArray Json(const CSpiderAnalysis &spider, const Subject &subject)
{
    QJsonArray lines;
    for (const CSpiderAnalysis::Line &line : spider.Lines()) {
        QJsonArray points;
        for (const auto &[dChange, dValue] : line.points)
            points.append(QJsonObject{{QStringLiteral("change"), dChange},
                                      {QStringLiteral("value"), dValue}});
        lines.append(
            QJsonObject{{QStringLiteral("parameter"), Parameter(subject.index, line.input)},
                        {QStringLiteral("points"), points}});
    }
    return CSolveAnalysis::EveryInput(spider, QStringLiteral("spider"), lines, subject);
}

// --spider: the tree's value as every input of the tornado changes in steps
// from -PERCENT to +PERCENT of its value.
class Spider : public CSolveAnalysis
{
public:
    Spider() : CSolveAnalysis(true) {}
    bool Parse(const Request &request, QString *pError) override
    {
        steps = request.steps;
        return ParseShare(request.value, &percent, pError);
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        CSpiderAnalysis spider(*evaluation);
        if (!spider.Run(percent, steps, &subject.tree))
            return FileFault(subject, spider.Error());
        *pOut = form == Form::Csv    ? Csv(spider.Table(subject.index))
                : form == Form::Json ? Json(spider, subject)
                                     : Text(spider, subject);
        return {};
    }

private:
    int steps = CSensitivityAnalysis::DefaultSteps;
    double percent = 0.0;
};

} // namespace

std::unique_ptr<CSolveAnalysis> CSolveAnalysis::Spider()
{
    return std::make_unique<::Spider>();
}
