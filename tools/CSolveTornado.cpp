#include "CAnalysisRequest.h"
#include "CNode.h"
#include "CSolveAnalysis.h"
#include "CSolveReportText.h"
#include "CTornado.h"
#include "CTreeIndex.h"
#include "NumberPrecision.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>

namespace {

using Subject = CSolveAnalysis::Subject;

QByteArray Text(const CTornado &tornado, const Subject &subject)
{
    QString strOut = CSolveAnalysis::Header(subject, tornado.CurrentValue());
    strOut += QStringLiteral("Tornado:   every payoff and Situation probability moved down and up "
                             "by %1 %\n")
                  .arg(NumberAtPrecision(tornado.Percent(), 6));
    // Only printed for projects with variables, so older outputs stay as they were.
    if (tornado.HasVariables())
        strOut += QStringLiteral("           that is not a formula, and every variable over its "
                                 "Low..High or by that share\n");
    strOut += QLatin1Char('\n');
    QStringList labels;
    int nWidth = 5;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        labels << (CTornado::IsVariable(bar)
                       ? QStringLiteral("variable %1")
                             .arg(CSolveReportText::Printable(QString::fromStdString(bar.variable)))
                   : bar.option < 0 ? QStringLiteral("weight w")
                                    : QStringLiteral("%1 of %2")
                                          .arg(CSolveAnalysis::ParameterName(bar.kind),
                                               CSolveAnalysis::Label(subject.index, bar.option)));
        nWidth =
            std::max(nWidth, std::min(int(labels.last().size()), CSolveAnalysis::MaxLabelWidth));
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
        strOut += columns(labels.at(int(i)),
                          {NumberAtPrecision(bar.low, 6), NumberAtPrecision(bar.high, 6),
                           NumberAtPrecision(bar.valueLow, 6), NumberAtPrecision(bar.valueHigh, 6),
                           NumberAtPrecision(bar.Swing(), 6)});
    }
    const int nLeftOut = tornado.InputCount() - int(tornado.Bars().size());
    strOut += QStringLiteral("\n%1 of %2 inputs do not move the value and are left out.\n")
                  .arg(nLeftOut)
                  .arg(tornado.InputCount());
    return strOut.toUtf8();
}

QByteArray Json(const CTornado &tornado, const Subject &subject)
{
    QJsonArray inputs;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        QJsonObject input{{QStringLiteral("current"), bar.current},
                          {QStringLiteral("low"), bar.low},
                          {QStringLiteral("high"), bar.high},
                          {QStringLiteral("valueLow"), bar.valueLow},
                          {QStringLiteral("valueHigh"), bar.valueHigh},
                          {QStringLiteral("swing"), bar.Swing()}};
        if (CTornado::IsVariable(bar)) {
            input.insert(QStringLiteral("variable"), QString::fromStdString(bar.variable));
        } else if (bar.option < 0) {
            input.insert(QStringLiteral("kind"), CSolveAnalysis::ParameterName(bar.kind));
        } else {
            input.insert(QStringLiteral("option"),
                         CSolveAnalysis::NodeRef(subject.index, bar.option));
            input.insert(QStringLiteral("kind"), CSolveAnalysis::ParameterName(bar.kind));
        }
        inputs.append(input);
    }
    return CSolveAnalysis::EveryInput(tornado, QStringLiteral("inputs"), inputs, subject);
}

// --tornado: every input moved down and up by a share of its value, one at
// a time, the widest swing of the tree's value first.
class Tornado : public CSolveAnalysis
{
public:
    Tornado() : CSolveAnalysis(true) {}
    bool Parse(const Request &request, QString *pError) override
    {
        return ParseShare(request.value, &percent, pError);
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        CTornado tornado(*evaluation);
        // The share was checked with the command line: what fails here is a
        // formula at the end of a variable's range.
        if (!tornado.Run(percent, &subject.tree))
            return FileFault(subject, tornado.Error());
        *pOut = form == Form::Csv    ? Csv(tornado.Table(subject.index))
                : form == Form::Json ? Json(tornado, subject)
                                     : Text(tornado, subject);
        return {};
    }

private:
    double percent = 0.0;
};

} // namespace

std::unique_ptr<CSolveAnalysis> CSolveAnalysis::Tornado()
{
    return std::make_unique<::Tornado>();
}
