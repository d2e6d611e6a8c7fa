#include "CSolveAnalysis.h"

#include "CAnalysisRequest.h"
#include "CCsvTable.h"
#include "CNode.h"
#include "CSolveReportText.h"
#include "CTreeIndex.h"
#include "NumberPrecision.h"

#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

QString CSolveAnalysis::CriteriaProblem(const CCriteria &criteria) const
{
    return criteria.AnalysisProblem();
}

CSolveAnalysis::Outcome CSolveAnalysis::Deliver(const Subject &subject, Form form)
{
    Outcome outcome;
    if (evaluates && !Evaluate(subject, &outcome))
        return outcome;
    QByteArray out;
    outcome = Run(subject, form, &out);
    const auto print = [](const QByteArray &piece) {
        std::fwrite(piece.constData(), 1, size_t(piece.size()), stdout);
    };
    if (outcome.status == Success || outcome.printed) {
        print(out);
        if (rest)
            rest(print);
    }
    rest = nullptr;
    return outcome;
}

CSolveAnalysis::Outcome CSolveAnalysis::Usage(const QString &strMessage)
{
    return {UsageError, strMessage, false};
}

CSolveAnalysis::Outcome CSolveAnalysis::FileFault(const Subject &subject, const QString &strMessage)
{
    return {FileFailure, QStringLiteral("\"%1\": %2").arg(subject.file, strMessage), false};
}

int CSolveAnalysis::Exit(const Outcome &outcome)
{
    if (outcome.status == Success)
        return Success;
    QTextStream error(stderr);
    error << "ramify-solve: " << outcome.message << "\n";
    if (outcome.status == UsageError)
        error << "Try 'ramify-solve --help' for more information.\n";
    return outcome.status;
}

CSolveAnalysis::Outcome CSolveAnalysis::Fault(const Subject &subject, bool bTreeAtFault,
                                              const QString &strMessage)
{
    return bTreeAtFault ? FileFault(subject, strMessage) : Usage(strMessage);
}

bool CSolveAnalysis::ParseShare(const QString &strText, double *pPercent, QString *pError)
{
    CAnalysisRequest share;
    if (!share.ParseTornado(strText, pError))
        return false;
    *pPercent = share.percent;
    return true;
}

bool CSolveAnalysis::Evaluate(const Subject &subject, Outcome *pFault)
{
    const QString strShape = subject.index.ShapeProblem();
    if (!strShape.isEmpty()) {
        *pFault = FileFault(subject, strShape);
        return false;
    }
    evaluation.emplace(subject.index, subject.rule);
    return true;
}

QString CSolveAnalysis::ValueNow(double dValue)
{
    return QStringLiteral("Value now: %1\n").arg(NumberAtPrecision(dValue, 6));
}

QString CSolveAnalysis::Header(const Subject &subject, double dValueNow)
{
    return Header(subject) + ValueNow(dValueNow);
}

QString CSolveAnalysis::Header(const Subject &subject, bool bCombined)
{
    QString strHeader = QStringLiteral("Project:   %1\nFile:      %2\n")
                            .arg(CSolveReportText::Printable(subject.project), subject.file);
    // Two criteria are analysed by their combined value; the reader needs
    // to know which.
    if (subject.criteria.two && bCombined)
        strHeader += QStringLiteral("Values:    %1\n").arg(subject.criteria.ValueName());
    return strHeader;
}

QByteArray CSolveAnalysis::Document(QJsonObject object, const Subject &subject, bool bCombined)
{
    object.insert(QStringLiteral("file"), subject.file);
    object.insert(QStringLiteral("project"), subject.project);
    if (subject.criteria.two && bCombined)
        object.insert(QStringLiteral("values"), subject.criteria.ValueName());
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

QJsonValue CSolveAnalysis::NodeRef(const CTreeIndex &index, int n)
{
    if (n < 0)
        return QJsonValue();
    return QJsonObject{{QStringLiteral("id"), double(CTreeIndex::IdOf(n))},
                       {QStringLiteral("name"), QString::fromStdString(index.Node(n)->name)}};
}

QString CSolveAnalysis::ParameterName(CSensitivityAnalysis::Parameter parameter)
{
    return CSensitivityAnalysis::KindWord(parameter);
}

QString CSolveAnalysis::Exact(double dValue)
{
    return NumberAtPrecision(dValue, 12);
}

QString CSolveAnalysis::Label(const CTreeIndex &index, int n)
{
    if (n < 0)
        return QStringLiteral("no option");
    return QStringLiteral("\"%1\" (#%2)")
        .arg(CSolveReportText::Printable(QString::fromStdString(index.Node(n)->name)))
        .arg(CTreeIndex::IdOf(n));
}

QByteArray CSolveAnalysis::Csv(const CAnalysisTable &table)
{
    return CCsvTable::Write(table.header, table.rows);
}
