#pragma once

#include <QColor>
#include <QGraphicsObject>
#include <QPointer>
#include <QString>

#include <vector>

namespace QtCharts {
class QChart;
class QAbstractSeries;
} // namespace QtCharts

// The regions of a two-way map, drawn into a chart's plot area over the
// chart's own axes: each row of the grid is a band coloured by the option
// chosen between its break-evens, hatched where the tree is not consistent,
// with the boundaries joined from row to row. Hovering shows the values of
// the nearest point of the grid.
class CStrategyMapItem : public QGraphicsObject
{
    Q_OBJECT

public:
    // Where the choice changes along a row: at the row itself (centre) and
    // at the lower and upper edges of its band, halfway to where the same
    // change lies on the neighbouring rows.
    struct Edge
    {
        double below = 0.0;
        double centre = 0.0;
        double above = 0.0;
    };
    struct Band
    {
        double y = 0.0;
        // In order along the row, and one colour more than edges.
        std::vector<Edge> edges;
        std::vector<QColor> colours;
        // Where each grid point of the row lies and whether it is consistent.
        std::vector<std::pair<double, bool>> points;
        // The hover text of each point.
        std::vector<QString> texts;
    };
    // A boundary between two rows, from one row's break-even to the next's.
    struct Boundary
    {
        QPointF from;
        QPointF to;
    };

    // Draws over pChart's plot area in the coordinates of pReference, a
    // series attached to both axes; a child of the chart.
    CStrategyMapItem(QtCharts::QChart *pChart, QtCharts::QAbstractSeries *pReference);

    void SetMap(std::vector<Band> bands, std::vector<Boundary> boundaries, double dLowX,
                double dHighX, double dLowY, double dHighY);
    // The hover text at a point of the plot area, in the chart's coordinates.
    QString TextAt(const QPointF &position) const;
    const std::vector<Band> &Bands() const { return bands; }

    QRectF boundingRect() const override;
    void paint(QPainter *pPainter, const QStyleOptionGraphicsItem *pOption,
               QWidget *pWidget) override;

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent *pEvent) override;

private:
    QRectF Cell(double dFromX, double dToX, double dFromY, double dToY) const;
    double BandEdge(size_t nBand, bool bUpper) const;
    double PointEdge(const Band &band, size_t nPoint, bool bRight) const;

    QtCharts::QChart *chart;
    QtCharts::QAbstractSeries *reference;
    std::vector<Band> bands;
    std::vector<Boundary> boundaries;
    double lowX = 0.0;
    double highX = 1.0;
    double lowY = 0.0;
    double highY = 1.0;
};
