#include "CProbabilisticSensitivity.h"
#include "TextNumber.h"

#include <cmath>

CAnalysisTable CProbabilisticSensitivity::Table() const
{
    CAnalysisTable table;
    table.header = QStringList{tr("Strategy"),
                               tr("Mean"),
                               tr("SD"),
                               tr("Median"),
                               tr("P5"),
                               tr("P25"),
                               tr("P75"),
                               tr("P95"),
                               tr("Min"),
                               tr("Max"),
                               tr("Below %1").arg(settings.threshold),
                               tr("Best")};
    auto row = [&](const QString &strName, const Summary &summary) {
        QStringList cells{strName};
        for (double dValue :
             {summary.mean, summary.sd, summary.median, summary.p5, summary.p25, summary.p75,
              summary.p95, summary.min, summary.max, summary.belowThreshold, summary.best})
            cells << PlainNumber(dValue);
        table.rows.push_back(cells);
    };
    for (int s = 0; s < StrategyCount(); ++s)
        row(StrategyName(s), StrategySummary(s));
    Summary root = rootSummary;
    root.best = std::nan("");
    row(tr("Best choice in each iteration"), root);
    // Two criteria add each strategy's mean of each.
    if (TwoCriteria()) {
        const CCriteria &names = plan.Rule().Criteria();
        table.header << tr("Mean %1").arg(names.names[0]) << tr("Mean %1").arg(names.names[1]);
        for (int s = 0; s < StrategyCount(); ++s)
            table.rows[size_t(s)] << PlainNumber(MeanCriterion(s, 0))
                                  << PlainNumber(MeanCriterion(s, 1));
        table.rows.back() << QString() << QString();
    }
    return table;
}

CAnalysisTable CProbabilisticSensitivity::AcceptabilityTable(int nSteps) const
{
    CAnalysisTable table;
    table.header << QStringLiteral("w");
    for (int s = 0; s < StrategyCount(); ++s)
        table.header << StrategyName(s);
    table.header << tr("EVPI");
    for (double dWeight : Weights(nSteps)) {
        QStringList cells{PlainNumber(dWeight)};
        for (double dShare : Acceptability(dWeight))
            cells << PlainNumber(dShare);
        cells << PlainNumber(EvpiAt(dWeight));
        table.rows.push_back(cells);
    }
    return table;
}

CAnalysisTable CProbabilisticSensitivity::IterationTable() const
{
    CAnalysisTable table;
    table.header << tr("Iteration");
    for (int u = 0; u < UncertainCount(); ++u)
        table.header << QString::fromStdString(UncertainName(u));
    for (int s = 0; s < StrategyCount(); ++s)
        table.header << StrategyName(s);
    // Two criteria add each strategy's two, the points of the plane.
    const CCriteria &names = plan.Rule().Criteria();
    for (int s = 0; s < StrategyCount() && TwoCriteria(); ++s)
        table.header << QStringLiteral("%1: %2").arg(StrategyName(s), names.names[0])
                     << QStringLiteral("%1: %2").arg(StrategyName(s), names.names[1]);
    table.rows.reserve(size_t(settings.iterations));
    for (int64_t i = 0; i < settings.iterations; ++i) {
        QStringList cells{QString::number(i + 1)};
        for (int u = 0; u < UncertainCount(); ++u)
            cells << PlainNumber(Drawn(i, u));
        for (int s = 0; s < StrategyCount(); ++s)
            cells << PlainNumber(Value(i, s));
        for (int s = 0; s < StrategyCount() && TwoCriteria(); ++s)
            cells << PlainNumber(Criterion(i, s, 0)) << PlainNumber(Criterion(i, s, 1));
        table.rows.push_back(cells);
    }
    return table;
}
