#include "CAnalysisTable.h"
#include "CProbabilisticSensitivity.h"
#include "CSolveAnalysis.h"
#include "CSolveReportText.h"
#include "NumberPrecision.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace {

using Subject = CSolveAnalysis::Subject;
using Summary = CProbabilisticSensitivity::Summary;

// Seeds beyond this would not survive JSON's numbers.
constexpr quint64 MaxSeed = (quint64(1) << 53) - 1;
constexpr int MaxThreads = 256;

bool ParseWhole(const QString &strText, quint64 nMin, quint64 nMax, const QString &strWhat,
                quint64 *pValue, QString *pError)
{
    bool bNumber = false;
    const quint64 nValue = strText.toULongLong(&bNumber);
    if (!bNumber || nValue < nMin || nValue > nMax) {
        *pError = QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\".")
                      .arg(strWhat)
                      .arg(nMin)
                      .arg(nMax)
                      .arg(strText);
        return false;
    }
    *pValue = nValue;
    return true;
}

QJsonObject Json(const Summary &summary, bool bFull)
{
    QJsonObject object{{QStringLiteral("mean"), summary.mean},
                       {QStringLiteral("sd"), summary.sd},
                       {QStringLiteral("p5"), summary.p5},
                       {QStringLiteral("p95"), summary.p95}};
    if (!bFull)
        return object;
    for (const auto &[pName, dValue] : {std::pair{"median", summary.median},
                                        {"p25", summary.p25},
                                        {"p75", summary.p75},
                                        {"min", summary.min},
                                        {"max", summary.max},
                                        {"belowThreshold", summary.belowThreshold},
                                        {"best", summary.best}})
        object.insert(QLatin1String(pName), dValue);
    return object;
}

QByteArray Json(const CProbabilisticSensitivity &psa, const Subject &subject)
{
    QJsonArray strategies;
    for (int s = 0; s < psa.StrategyCount(); ++s) {
        QJsonObject strategy = Json(psa.StrategySummary(s), true);
        strategy.insert(QStringLiteral("name"), psa.StrategyName(s));
        if (psa.TwoCriteria())
            strategy.insert(QStringLiteral("meanCriteria"),
                            QJsonArray{psa.MeanCriterion(s, 0), psa.MeanCriterion(s, 1)});
        strategies.append(strategy);
    }
    const CProbabilisticSensitivity::Settings &settings = psa.GetSettings();
    QJsonObject result{{QStringLiteral("iterations"), double(settings.iterations)},
                       {QStringLiteral("seed"), double(settings.seed)},
                       {QStringLiteral("failed"), double(psa.Failed())},
                       {QStringLiteral("firstFailure"), psa.FirstFailure().isEmpty()
                                                            ? QJsonValue()
                                                            : QJsonValue(psa.FirstFailure())},
                       {QStringLiteral("evpi"), psa.Evpi()},
                       {QStringLiteral("root"), Json(psa.RootSummary(), false)},
                       {QStringLiteral("strategies"), strategies}};
    // Two criteria: the acceptability curve and the EVPI over the range of w.
    if (psa.TwoCriteria()) {
        QJsonArray curve;
        for (double dWeight : psa.Weights(CProbabilisticSensitivity::AcceptabilitySteps)) {
            QJsonArray shares;
            for (double dShare : psa.Acceptability(dWeight))
                shares.append(dShare);
            curve.append(QJsonObject{{QStringLiteral("w"), dWeight},
                                     {QStringLiteral("best"), shares},
                                     {QStringLiteral("evpi"), psa.EvpiAt(dWeight)}});
        }
        result.insert(QStringLiteral("acceptability"), curve);
    }
    return CSolveAnalysis::Document({{QStringLiteral("psa"), result}}, subject);
}

QByteArray Text(const CProbabilisticSensitivity &psa, const Subject &subject)
{
    const CProbabilisticSensitivity::Settings &settings = psa.GetSettings();
    QString strOut = CSolveAnalysis::Header(subject);
    strOut += QStringLiteral("Simulated: %1 iterations (%2), seed %3\n")
                  .arg(settings.iterations)
                  .arg(settings.latinHypercube ? QStringLiteral("Latin hypercube")
                                               : QStringLiteral("Monte Carlo"))
                  .arg(settings.seed);
    strOut += QStringLiteral("Failed:    %1%2\n")
                  .arg(psa.Failed())
                  .arg(psa.FirstFailure().isEmpty()
                           ? QString()
                           : QStringLiteral(", the first: ") +
                                 CSolveReportText::Printable(psa.FirstFailure()));
    strOut += QStringLiteral("EVPI:      %1\n\n").arg(NumberAtPrecision(psa.Evpi(), 6));
    const CAnalysisTable table = psa.Table();
    int nWidth = 8;
    for (const QStringList &row : table.rows)
        nWidth = std::max(nWidth, std::min(int(row.front().size()), CSolveAnalysis::MaxLabelWidth));
    auto line = [&](const QStringList &cells, bool bHeader) {
        QString strLine = CSolveReportText::Printable(cells.front()).leftJustified(nWidth);
        for (int c = 1; c < cells.size(); ++c) {
            bool bNumber = false;
            const double dValue = cells.at(c).toDouble(&bNumber);
            strLine += QLatin1Char(' ') +
                       (bHeader || !bNumber ? cells.at(c) : NumberAtPrecision(dValue, 6))
                           .rightJustified(11);
        }
        return strLine + QLatin1Char('\n');
    };
    strOut += line(table.header, true);
    for (const QStringList &row : table.rows)
        strOut += line(row, false);
    if (psa.TwoCriteria()) {
        CAnalysisTable curve =
            psa.AcceptabilityTable(CProbabilisticSensitivity::AcceptabilitySteps);
        for (QStringList &row : curve.rows)
            row.front() = NumberAtPrecision(row.front().toDouble(), 6);
        strOut += QStringLiteral("\nShare of iterations in which each strategy is the best, and "
                                 "the EVPI, by w:\n");
        strOut += line(curve.header, true);
        for (const QStringList &row : curve.rows)
            strOut += line(row, false);
    }
    return strOut.toUtf8();
}

// --psa N: the probabilistic sensitivity analysis over the variables'
// distributions.
class Psa : public CSolveAnalysis
{
public:
    bool Parse(const Request &request, QString *pError) override
    {
        quint64 nValue = 0;
        if (!ParseWhole(request.value, 1, quint64(CProbabilisticSensitivity::MaxIterations),
                        QStringLiteral("The number of iterations"), &nValue, pError))
            return false;
        settings.iterations = int64_t(nValue);
        if (!request.seed.isNull() &&
            !ParseWhole(request.seed, 0, MaxSeed, QStringLiteral("The seed"), &nValue, pError))
            return false;
        settings.seed = request.seed.isNull() ? settings.seed : uint64_t(nValue);
        if (!request.threads.isNull() &&
            !ParseWhole(request.threads, 1, MaxThreads, QStringLiteral("The number of threads"),
                        &nValue, pError))
            return false;
        settings.threads = request.threads.isNull() ? 0 : int(nValue);
        settings.latinHypercube = request.lhs;
        bool bNumber = true;
        settings.threshold =
            request.threshold.isNull() ? 0.0 : request.threshold.toDouble(&bNumber);
        *pError = bNumber ? CProbabilisticSensitivity::SettingsProblem(settings)
                          : QStringLiteral("The threshold must be a number, not \"%1\".")
                                .arg(request.threshold);
        return pError->isEmpty();
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        CProbabilisticSensitivity psa;
        const QString strProblem = psa.Prepare(subject.tree, subject.rule);
        if (!strProblem.isEmpty())
            return FileFault(subject, strProblem);
        settings.keepDraws = form == Form::Csv;
        psa.Run(settings);
        *pOut = form == Form::Csv    ? Csv(psa.IterationTable())
                : form == Form::Json ? Json(psa, subject)
                                     : Text(psa, subject);
        // Figures over no iteration at all are no result.
        if (psa.Failed() == settings.iterations)
            return {FileFailure,
                    QStringLiteral("\"%1\": every iteration failed. %2")
                        .arg(subject.file, psa.FirstFailure()),
                    true};
        return {};
    }

private:
    CProbabilisticSensitivity::Settings settings;
};

} // namespace

std::unique_ptr<CSolveAnalysis> CSolveAnalysis::Psa()
{
    return std::make_unique<::Psa>();
}
