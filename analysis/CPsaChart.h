#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QString>
#include <QVector>

#include <functional>

class CProbabilisticSensitivity;
namespace QtCharts {
class QChart;
class QValueAxis;
} // namespace QtCharts

// The charts of a probabilistic sensitivity run, one line per strategy
// shown: how often each value came up, the share of iterations at or below
// each value, or the mean after each count of iterations with its 95 % band,
// so that one sees whether the run was long enough.
class CPsaChart
{
    Q_DECLARE_TR_FUNCTIONS(CPsaChart)

public:
    enum Kind
    {
        Histogram,
        Cumulative,
        RunningMean,
        // Of two criteria: the acceptability curve over the range of w, and
        // the iterations on the plane of the two criteria.
        Acceptability,
        Plane,
    };
    // Strategies beyond this many are left out of the chart, not the table.
    static constexpr int MaxShown = 8;

    struct Line
    {
        QString name;
        QColor colour;
        bool dashed;
    };
    // A new chart of strategies 0..MaxShown-1; pLines gets its legend. Its
    // value axes label in strAxisFormat, and hovering the acceptability
    // curve words its EVPI with fnAmount.
    static QtCharts::QChart *Make(const CProbabilisticSensitivity &psa, Kind kind,
                                  const QString &strAxisFormat, QVector<Line> *pLines,
                                  const std::function<QString(double)> &fnAmount);

private:
    // Returns the largest share of a bar.
    static double AddHistogram(const CProbabilisticSensitivity &psa, int s,
                               QtCharts::QChart *pChart);
    static void AddCumulative(const CProbabilisticSensitivity &psa, int s,
                              QtCharts::QChart *pChart);
    static void AddRunningMean(const CProbabilisticSensitivity &psa, int s,
                               QtCharts::QChart *pChart);
    static void AddAcceptability(const CProbabilisticSensitivity &psa, int nShown,
                                 QtCharts::QChart *pChart);
    // The EVPI at each weight of the acceptability curve, on an axis of its
    // own at the right.
    static void AddEvpi(const CProbabilisticSensitivity &psa, QtCharts::QChart *pChart,
                        QtCharts::QValueAxis *pX, const QString &strAxisFormat,
                        const std::function<QString(double)> &fnAmount);
    static void AddPlane(const CProbabilisticSensitivity &psa, int s, QtCharts::QChart *pChart);
};
