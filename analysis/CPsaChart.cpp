#include "CPsaChart.h"

#include "CChartColours.h"

#include "CProbabilisticSensitivity.h"
#include "NumberPrecision.h"

#include <QChart>
#include <QCursor>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace QtCharts;

namespace {

// Each strategy in a colour of its own, the same in every view of the chart.
QLineSeries *NewLine(const CProbabilisticSensitivity &psa, int s)
{
    auto *pSeries = new QLineSeries;
    pSeries->setName(psa.StrategyName(s));
    pSeries->setPen(QPen(CChartColours::InTurn(s), 2.0));
    return pSeries;
}

// Hovering a line of the acceptability chart shows its point nearest the
// pointer: the line's name, w and its value as fnValue words it.
void ShowPointOnHover(QXYSeries *pSeries, const std::function<QString(double)> &fnValue)
{
    QObject::connect(
        pSeries, &QXYSeries::hovered, pSeries,
        [pSeries, fnValue](const QPointF &pointer, bool bState) {
            const QVector<QPointF> points = pSeries->pointsVector();
            if (!bState || points.isEmpty()) {
                QToolTip::hideText();
                return;
            }
            const auto nearest = std::min_element(
                points.begin(), points.end(), [&](const QPointF &a, const QPointF &b) {
                    return std::fabs(a.x() - pointer.x()) < std::fabs(b.x() - pointer.x());
                });
            QToolTip::showText(QCursor::pos(),
                               QStringLiteral("%1\nw = %2\n%3")
                                   .arg(pSeries->name(), NumberAtPrecision(nearest->x(), 6),
                                        fnValue(nearest->y())));
        });
}

constexpr int Bins = 40;
// Points of a cumulative line or a running mean; enough for the eye.
constexpr int Points = 400;

std::vector<double> Sample(const CProbabilisticSensitivity &psa, int s)
{
    std::vector<double> sample;
    for (int64_t i = 0; i < psa.GetSettings().iterations; ++i)
        if (psa.Succeeded(i))
            sample.push_back(psa.Value(i, s));
    return sample;
}

// The range of values over the strategies shown, never empty.
std::pair<double, double> Range(const CProbabilisticSensitivity &psa, int nShown)
{
    double dLow = psa.StrategySummary(0).min;
    double dHigh = psa.StrategySummary(0).max;
    for (int s = 1; s < nShown; ++s) {
        dLow = std::min(dLow, psa.StrategySummary(s).min);
        dHigh = std::max(dHigh, psa.StrategySummary(s).max);
    }
    if (!(dHigh > dLow)) {
        dLow -= 1.0;
        dHigh += 1.0;
    }
    return {dLow, dHigh};
}

} // namespace

QChart *CPsaChart::Make(const CProbabilisticSensitivity &psa, Kind kind,
                        const QString &strAxisFormat, QVector<Line> *pLines,
                        const std::function<QString(double)> &fnAmount)
{
    auto *pChart = new QChart;
    const int nShown = std::min(psa.StrategyCount(), int(MaxShown));
    // A strategy of one value is a single bar of 1, which would flatten the
    // others: the axis follows those that vary, and it stands above them.
    double dTallestVaried = 0.0;
    // A run of one criterion has neither of these.
    if (!psa.TwoCriteria() && (kind == Acceptability || kind == Plane))
        kind = Cumulative;
    if (kind == Acceptability)
        AddAcceptability(psa, nShown, pChart);
    for (int s = 0; s < nShown && kind != Acceptability; ++s) {
        if (std::isnan(psa.StrategySummary(s).mean))
            continue;
        if (kind == Histogram) {
            const double dTallest = AddHistogram(psa, s, pChart);
            if (psa.StrategySummary(s).sd > 0)
                dTallestVaried = std::max(dTallestVaried, dTallest);
        } else if (kind == Cumulative) {
            AddCumulative(psa, s, pChart);
        } else if (kind == Plane) {
            AddPlane(psa, s, pChart);
        } else {
            AddRunningMean(psa, s, pChart);
        }
    }
    auto *pX = new QValueAxis;
    auto *pY = new QValueAxis;
    pChart->addAxis(pX, Qt::AlignBottom);
    pChart->addAxis(pY, Qt::AlignLeft);
    double dTop = 0.0;
    double dBottom = 0.0;
    bool bFirst = true;
    double dLeft = 0.0;
    double dRight = 0.0;
    for (QAbstractSeries *pSeries : pChart->series()) {
        pSeries->attachAxis(pX);
        pSeries->attachAxis(pY);
        for (const QPointF &point : static_cast<QXYSeries *>(pSeries)->points()) {
            dTop = bFirst ? point.y() : std::max(dTop, point.y());
            dBottom = bFirst ? point.y() : std::min(dBottom, point.y());
            dLeft = bFirst ? point.x() : std::min(dLeft, point.x());
            dRight = bFirst ? point.x() : std::max(dRight, point.x());
            bFirst = false;
        }
    }
    const CCriteria &criteria = psa.Criteria();
    if (kind == Acceptability) {
        pX->setRange(dLeft, std::max(dRight, dLeft + 1e-9));
        pX->setLabelFormat(QStringLiteral("%g"));
        pX->setTitleText(tr("Weight w"));
        pY->setRange(0.0, 1.0);
        pY->setLabelFormat(QStringLiteral("%g"));
        pY->setTitleText(tr("Share of iterations in which it is the best"));
    } else if (kind == Plane) {
        const auto margin = [](double dLow, double dHigh) {
            return std::max((dHigh - dLow) * 0.05, 1e-9 * (1.0 + std::fabs(dHigh)));
        };
        pX->setRange(dLeft - margin(dLeft, dRight), dRight + margin(dLeft, dRight));
        pY->setRange(dBottom - margin(dBottom, dTop), dTop + margin(dBottom, dTop));
        pX->setLabelFormat(QStringLiteral("%g"));
        pY->setLabelFormat(QStringLiteral("%g"));
        pX->setTitleText(criteria.names[0]);
        pY->setTitleText(criteria.names[1]);
    } else if (kind == RunningMean) {
        pX->setRange(0, double(psa.GetSettings().iterations));
        pX->setLabelFormat(QStringLiteral("%.0f"));
        pX->setTitleText(tr("Iterations"));
        pY->setRange(dBottom - (dTop - dBottom) * 0.05 - 1e-9,
                     dTop + (dTop - dBottom) * 0.05 + 1e-9);
        pY->setLabelFormat(strAxisFormat);
        pY->setTitleText(tr("Mean so far, with its 95 % band"));
    } else {
        const auto [dLow, dHigh] = Range(psa, nShown);
        pX->setRange(dLow, dHigh);
        pX->setLabelFormat(strAxisFormat);
        pX->setTitleText(tr("Value"));
        if (dTallestVaried > 0)
            dTop = dTallestVaried;
        pY->setRange(0.0, kind == Cumulative ? 1.0 : std::max(dTop * 1.1, 0.01));
        pY->setLabelFormat(QStringLiteral("%g"));
        pY->setTitleText(kind == Cumulative ? tr("Share at or below") : tr("Share of iterations"));
    }
    pX->applyNiceNumbers();
    pY->applyNiceNumbers();
    if (kind == Acceptability)
        AddEvpi(psa, pChart, pX, strAxisFormat, fnAmount);
    pChart->legend()->hide();
    for (QAbstractSeries *pSeries : pChart->series()) {
        const auto *pXY = static_cast<QXYSeries *>(pSeries);
        const QPen pen = pXY->pen();
        const QColor colour = kind == Plane ? pXY->color() : pen.color();
        if (!pSeries->name().isEmpty())
            pLines->append(
                {pSeries->name(), colour, kind != Plane && pen.style() != Qt::SolidLine});
    }
    return pChart;
}

void CPsaChart::AddAcceptability(const CProbabilisticSensitivity &psa, int nShown, QChart *pChart)
{
    std::vector<QLineSeries *> lines;
    for (int s = 0; s < nShown; ++s)
        lines.push_back(NewLine(psa, s));
    for (double dWeight : psa.Weights(CProbabilisticSensitivity::AcceptabilitySteps)) {
        const std::vector<double> shares = psa.Acceptability(dWeight);
        for (int s = 0; s < nShown; ++s)
            lines[size_t(s)]->append(dWeight, shares[size_t(s)]);
    }
    for (QLineSeries *pLine : lines) {
        pChart->addSeries(pLine);
        ShowPointOnHover(pLine, [](double dShare) {
            return tr("Best in %1 % of the iterations").arg(NumberAtPrecision(dShare * 100.0, 3));
        });
    }
}

void CPsaChart::AddEvpi(const CProbabilisticSensitivity &psa, QChart *pChart, QValueAxis *pX,
                        const QString &strAxisFormat,
                        const std::function<QString(double)> &fnAmount)
{
    auto *pEvpi = new QLineSeries;
    pEvpi->setName(tr("EVPI"));
    // Dashed and grey, a colour no strategy has: it is not a share.
    QPen pen(QColor(Qt::darkGray).darker(130), 2.0);
    pen.setStyle(Qt::DashLine);
    pEvpi->setPen(pen);
    double dTop = 0.0;
    for (double dWeight : psa.Weights(CProbabilisticSensitivity::AcceptabilitySteps)) {
        const double dValue = psa.EvpiAt(dWeight);
        pEvpi->append(dWeight, dValue);
        if (std::isfinite(dValue))
            dTop = std::max(dTop, dValue);
    }
    auto *pAxis = new QValueAxis;
    pChart->addAxis(pAxis, Qt::AlignRight);
    pChart->addSeries(pEvpi);
    pEvpi->attachAxis(pX);
    pEvpi->attachAxis(pAxis);
    // From 0, which it never falls below; a flat 0 still gets a range.
    pAxis->setRange(0.0, dTop > 0.0 ? dTop * 1.05 : 1.0);
    pAxis->setLabelFormat(strAxisFormat);
    pAxis->setTitleText(tr("Expected value of perfect information"));
    pAxis->applyNiceNumbers();
    ShowPointOnHover(pEvpi, fnAmount);
}

void CPsaChart::AddPlane(const CProbabilisticSensitivity &psa, int s, QChart *pChart)
{
    auto *pPoints = new QScatterSeries;
    pPoints->setName(psa.StrategyName(s));
    pPoints->setColor(CChartColours::InTurn(s));
    pPoints->setBorderColor(CChartColours::InTurn(s));
    pPoints->setMarkerSize(4.0);
    const int64_t nCount = psa.GetSettings().iterations;
    const int64_t nStep = std::max<int64_t>(1, nCount / Points);
    for (int64_t i = 0; i < nCount; i += nStep)
        if (psa.Succeeded(i))
            pPoints->append(psa.Criterion(i, s, 0), psa.Criterion(i, s, 1));
    pChart->addSeries(pPoints);
}

double CPsaChart::AddHistogram(const CProbabilisticSensitivity &psa, int s, QChart *pChart)
{
    const auto [dLow, dHigh] = Range(psa, std::min(psa.StrategyCount(), int(MaxShown)));
    const std::vector<double> sample = Sample(psa, s);
    std::vector<double> shares(Bins, 0.0);
    const double dWidth = (dHigh - dLow) / Bins;
    for (double dValue : sample)
        shares[size_t(std::clamp(int((dValue - dLow) / dWidth), 0, Bins - 1))] +=
            1.0 / double(sample.size());
    // The outline of the bars, as a step line.
    QLineSeries *pSeries = NewLine(psa, s);
    pSeries->append(dLow, 0.0);
    for (int b = 0; b < Bins; ++b) {
        pSeries->append(dLow + b * dWidth, shares[size_t(b)]);
        pSeries->append(dLow + (b + 1) * dWidth, shares[size_t(b)]);
    }
    pSeries->append(dHigh, 0.0);
    pChart->addSeries(pSeries);
    return *std::max_element(shares.begin(), shares.end());
}

void CPsaChart::AddCumulative(const CProbabilisticSensitivity &psa, int s, QChart *pChart)
{
    std::vector<double> sample = Sample(psa, s);
    std::sort(sample.begin(), sample.end());
    QLineSeries *pSeries = NewLine(psa, s);
    const size_t nStep = std::max<size_t>(1, sample.size() / Points);
    for (size_t k = 0; k < sample.size(); k += nStep)
        pSeries->append(sample[k], double(k + 1) / double(sample.size()));
    pSeries->append(sample.back(), 1.0);
    pChart->addSeries(pSeries);
}

void CPsaChart::AddRunningMean(const CProbabilisticSensitivity &psa, int s, QChart *pChart)
{
    QLineSeries *pMean = NewLine(psa, s);
    auto *pUpper = new QLineSeries;
    auto *pLower = new QLineSeries;
    for (const CProbabilisticSensitivity::RunningPoint &point : psa.RunningMean(s, Points)) {
        pMean->append(double(point.count), point.mean);
        pUpper->append(double(point.count), point.mean + point.halfWidth);
        pLower->append(double(point.count), point.mean - point.halfWidth);
    }
    pChart->addSeries(pMean);
    // The band in the colour of its mean, dashed.
    for (QLineSeries *pBand : {pUpper, pLower}) {
        QPen pen = pMean->pen();
        pen.setStyle(Qt::DashLine);
        pen.setWidthF(1.0);
        pBand->setPen(pen);
        pChart->addSeries(pBand);
    }
}
