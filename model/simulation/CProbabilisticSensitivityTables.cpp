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
    table.rows.reserve(size_t(settings.iterations));
    for (int64_t i = 0; i < settings.iterations; ++i) {
        QStringList cells{QString::number(i + 1)};
        for (int u = 0; u < UncertainCount(); ++u)
            cells << PlainNumber(Drawn(i, u));
        for (int s = 0; s < StrategyCount(); ++s)
            cells << PlainNumber(Value(i, s));
        table.rows.push_back(cells);
    }
    return table;
}
