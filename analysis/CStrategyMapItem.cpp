#include "CStrategyMapItem.h"

#include <QAbstractSeries>
#include <QChart>
#include <QGraphicsSceneHoverEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

CStrategyMapItem::CStrategyMapItem(QChart *pChart, QAbstractSeries *pReference)
    : QGraphicsObject(pChart), chart(pChart), reference(pReference)
{
    setAcceptHoverEvents(true);
    // Over the plot area's background and grid (1), under the axes (2) and
    // the series' lines and markers (3).
    setZValue(1.5);
    connect(chart, &QChart::plotAreaChanged, this, [this] {
        prepareGeometryChange();
        update();
    });
}

void CStrategyMapItem::SetMap(std::vector<Band> newBands, std::vector<Boundary> newBoundaries,
                              double dLowX, double dHighX, double dLowY, double dHighY)
{
    prepareGeometryChange();
    bands = std::move(newBands);
    boundaries = std::move(newBoundaries);
    lowX = dLowX;
    highX = dHighX;
    lowY = dLowY;
    highY = dHighY;
    update();
}

QRectF CStrategyMapItem::boundingRect() const
{
    return chart->plotArea();
}

QRectF CStrategyMapItem::Cell(double dFromX, double dToX, double dFromY, double dToY) const
{
    return QRectF(chart->mapToPosition(QPointF(dFromX, dToY), reference),
                  chart->mapToPosition(QPointF(dToX, dFromY), reference))
        .normalized();
}

// Each row owns the band halfway to its neighbours; the outer rows reach the
// ends of the range.
double CStrategyMapItem::BandEdge(size_t nBand, bool bUpper) const
{
    if (bUpper)
        return nBand + 1 < bands.size() ? (bands[nBand].y + bands[nBand + 1].y) / 2 : highY;
    return nBand > 0 ? (bands[nBand - 1].y + bands[nBand].y) / 2 : lowY;
}

double CStrategyMapItem::PointEdge(const Band &band, size_t nPoint, bool bRight) const
{
    const auto &points = band.points;
    if (bRight)
        return nPoint + 1 < points.size() ? (points[nPoint].first + points[nPoint + 1].first) / 2
                                          : highX;
    return nPoint > 0 ? (points[nPoint - 1].first + points[nPoint].first) / 2 : lowX;
}

void CStrategyMapItem::paint(QPainter *pPainter, const QStyleOptionGraphicsItem *, QWidget *)
{
    pPainter->save();
    pPainter->setClipRect(chart->plotArea());
    pPainter->setRenderHint(QPainter::Antialiasing, false);
    for (size_t b = 0; b < bands.size(); ++b) {
        const Band &band = bands[b];
        const double dFrom = BandEdge(b, false);
        const double dTo = BandEdge(b, true);
        const auto at = [&](double dX, double dY) {
            return chart->mapToPosition(QPointF(dX, dY), reference);
        };
        for (size_t s = 0; s < band.colours.size(); ++s) {
            const Edge left = s == 0 ? Edge{lowX, lowX, lowX} : band.edges[s - 1];
            const Edge right = s < band.edges.size() ? band.edges[s] : Edge{highX, highX, highX};
            QPolygonF region;
            region << at(left.below, dFrom) << at(left.centre, band.y) << at(left.above, dTo)
                   << at(right.above, dTo) << at(right.centre, band.y) << at(right.below, dFrom);
            // Outlined in its own colour, so that no seam shows between neighbours.
            pPainter->setPen(QPen(band.colours[s], 1));
            pPainter->setBrush(band.colours[s]);
            pPainter->drawPolygon(region);
        }
        const QBrush hatch(Qt::darkGray, Qt::BDiagPattern);
        for (size_t p = 0; p < band.points.size(); ++p)
            if (!band.points[p].second)
                pPainter->fillRect(
                    Cell(PointEdge(band, p, false), PointEdge(band, p, true), dFrom, dTo), hatch);
    }
    pPainter->setRenderHint(QPainter::Antialiasing, true);
    pPainter->setPen(QPen(Qt::black, 2));
    for (const Boundary &boundary : boundaries)
        pPainter->drawLine(chart->mapToPosition(boundary.from, reference),
                           chart->mapToPosition(boundary.to, reference));
    pPainter->restore();
}

QString CStrategyMapItem::TextAt(const QPointF &position) const
{
    const QPointF value = chart->mapToValue(position, reference);
    if (bands.empty())
        return QString();
    size_t nBand = 0;
    for (size_t b = 0; b < bands.size(); ++b)
        if (std::fabs(bands[b].y - value.y()) < std::fabs(bands[nBand].y - value.y()))
            nBand = b;
    const Band &band = bands[nBand];
    size_t nPoint = 0;
    for (size_t p = 0; p < band.points.size(); ++p)
        if (std::fabs(band.points[p].first - value.x()) <
            std::fabs(band.points[nPoint].first - value.x()))
            nPoint = p;
    return nPoint < band.texts.size() ? band.texts[nPoint] : QString();
}

void CStrategyMapItem::hoverMoveEvent(QGraphicsSceneHoverEvent *pEvent)
{
    setToolTip(TextAt(mapToParent(pEvent->pos())));
    QGraphicsObject::hoverMoveEvent(pEvent);
}
