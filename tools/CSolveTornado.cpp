#include "CSolveTornado.h"

#include "CAnalysisRequest.h"
#include "CCsvTable.h"
#include "CNode.h"
#include "CSolveReportText.h"
#include "CTreeIndex.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>

QCommandLineOption CSolveTornado::Option()
{
    return QCommandLineOption(
        QStringLiteral("tornado"),
        QStringLiteral("Move every payoff and situation probability down and up by <percent> "
                       "of its value, one at a time."),
        QStringLiteral("percent"));
}

bool CSolveTornado::Parse(const Request &request, QString *pError)
{
    CAnalysisRequest share;
    if (!share.ParseTornado(request.value, pError))
        return false;
    percent = share.percent;
    return true;
}

CSolveAnalysis::Outcome CSolveTornado::Run(const Subject &subject)
{
    Outcome fault;
    if (!Evaluate(subject, &fault))
        return fault;
    tornado.emplace(*evaluation);
    // The share was checked with the command line: what fails here is a
    // formula at the end of a variable's range.
    if (!tornado->Run(percent, &subject.tree))
        return FileFault(subject, tornado->Error());
    return {};
}

QByteArray CSolveTornado::Text(const Subject &subject) const
{
    QString strOut = Header(subject);
    strOut += QStringLiteral("Value now: %1\n").arg(Number(tornado->CurrentValue()));
    strOut += QStringLiteral("Tornado:   every payoff and Situation probability moved down and up "
                             "by %1 %\n")
                  .arg(Number(tornado->Percent()));
    // Only printed for projects with variables, so older outputs stay as they were.
    if (tornado->HasVariables())
        strOut += QStringLiteral("           that is not a formula, and every variable over its "
                                 "Low..High or by that share\n");
    strOut += QLatin1Char('\n');
    QStringList labels;
    int nWidth = 5;
    for (const CTornado::Bar &bar : tornado->Bars()) {
        labels << (bar.option < 0
                       ? QStringLiteral("variable %1")
                             .arg(CSolveReportText::Printable(QString::fromStdString(bar.variable)))
                       : QStringLiteral("%1 of %2")
                             .arg(ParameterName(bar.kind), Label(subject.index, bar.option)));
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
    for (size_t i = 0; i < tornado->Bars().size(); ++i) {
        const CTornado::Bar &bar = tornado->Bars()[i];
        strOut +=
            columns(labels.at(int(i)), {Number(bar.low), Number(bar.high), Number(bar.valueLow),
                                        Number(bar.valueHigh), Number(bar.Swing())});
    }
    const int nLeftOut = tornado->InputCount() - int(tornado->Bars().size());
    strOut += QStringLiteral("\n%1 of %2 inputs do not move the value and are left out.\n")
                  .arg(nLeftOut)
                  .arg(tornado->InputCount());
    return strOut.toUtf8();
}

QByteArray CSolveTornado::Json(const Subject &subject) const
{
    QJsonArray inputs;
    for (const CTornado::Bar &bar : tornado->Bars()) {
        QJsonObject input{{QStringLiteral("current"), bar.current},
                          {QStringLiteral("low"), bar.low},
                          {QStringLiteral("high"), bar.high},
                          {QStringLiteral("valueLow"), bar.valueLow},
                          {QStringLiteral("valueHigh"), bar.valueHigh},
                          {QStringLiteral("swing"), bar.Swing()}};
        if (bar.option < 0) {
            input.insert(QStringLiteral("variable"), QString::fromStdString(bar.variable));
        } else {
            input.insert(QStringLiteral("option"), NodeRef(subject.index, bar.option));
            input.insert(QStringLiteral("kind"), ParameterName(bar.kind));
        }
        inputs.append(input);
    }
    return Document({{QStringLiteral("value"), tornado->CurrentValue()},
                     {QStringLiteral("percent"), tornado->Percent()},
                     {QStringLiteral("inputCount"), tornado->InputCount()},
                     {QStringLiteral("inputs"), inputs}},
                    subject);
}

QByteArray CSolveTornado::Csv(const Subject &subject) const
{
    std::vector<QStringList> rows;
    for (const CTornado::Bar &bar : tornado->Bars()) {
        const bool bVariable = bar.option < 0;
        rows.push_back({bVariable
                            ? QString::fromStdString(bar.variable)
                            : QStringLiteral("%1 (#%2)")
                                  .arg(QString::fromStdString(subject.index.Node(bar.option)->name))
                                  .arg(CTreeIndex::IdOf(bar.option)),
                        bVariable ? QStringLiteral("variable") : ParameterName(bar.kind),
                        CCsvTable::Number(bar.current), CCsvTable::Number(bar.low),
                        CCsvTable::Number(bar.high), CCsvTable::Number(bar.valueLow),
                        CCsvTable::Number(bar.valueHigh), CCsvTable::Number(bar.Swing())});
    }
    return CCsvTable::Write({QStringLiteral("input"), QStringLiteral("kind"),
                             QStringLiteral("current"), QStringLiteral("low"),
                             QStringLiteral("high"), QStringLiteral("value at low"),
                             QStringLiteral("value at high"), QStringLiteral("swing")},
                            rows);
}
