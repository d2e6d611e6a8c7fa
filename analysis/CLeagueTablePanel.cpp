#include "CLeagueTablePanel.h"

#include "CLeagueTable.h"
#include "CProjectDocument.h"
#include "NumberPrecision.h"

#include <QChart>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTableWidget>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace {

QString Criterion(const CCriteria &criteria, int n)
{
    return criteria.units[n].isEmpty()
               ? criteria.names[n]
               : QStringLiteral("%1 (%2)").arg(criteria.names[n], criteria.units[n]);
}

} // namespace

CLeagueTablePanel::CLeagueTablePanel(CProjectDocument *pDocument, QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    table = AddTable(QStringLiteral("tableWidgetLeague"), {}, 220);
}

void CLeagueTablePanel::Recompute()
{
    const CCriteria &criteria = Document()->GetSettings().criteria;
    SetHeading(tr("%1: the league table of %2 and %3")
                   .arg(Document()->GetProjectName(), criteria.names[0], criteria.names[1]));
    table->setRowCount(0);
    CLeagueTable league(criteria);
    const QString strProblem = league.Run(Document()->GetTree());
    if (!strProblem.isEmpty()) {
        SetTable(CAnalysisTable());
        ShowNote(strProblem, true);
        return;
    }
    const CAnalysisTable leagueTable = league.Table();
    SetTable(leagueTable);
    table->setColumnCount(leagueTable.shownHeader.size());
    table->setHorizontalHeaderLabels(leagueTable.shownHeader);
    const auto &rows = league.Rows();
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const QStringList &cells = leagueTable.rows[size_t(r)];
        for (int c = 0; c < cells.size(); ++c) {
            bool bNumber = false;
            const double dValue = cells.at(c).toDouble(&bNumber);
            table->setItem(r, c,
                           bNumber && c > 0 ? NumberItem(NumberAtPrecision(dValue, 8), dValue)
                                            : new QTableWidgetItem(cells.at(c)));
        }
    }

    QValueAxis *pX = nullptr;
    QValueAxis *pY = nullptr;
    QChart *pChart = NewXYChart(Criterion(criteria, 0), Criterion(criteria, 1), &pX, &pY);
    auto *pFrontier = new QLineSeries;
    pFrontier->setName(tr("Frontier"));
    auto *pOnFrontier = new QScatterSeries;
    pOnFrontier->setName(tr("On the frontier"));
    pOnFrontier->setMarkerSize(10);
    auto *pDominated = new QScatterSeries;
    pDominated->setName(tr("Dominated"));
    pDominated->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    pDominated->setMarkerSize(8);
    pDominated->setColor(Qt::gray);
    double dMinX = 0.0, dMaxX = 0.0, dMinY = 0.0, dMaxY = 0.0;
    bool bFirst = true;
    const CLeagueTable::Row *pBest = nullptr;
    for (const CLeagueTable::Row &row : rows) {
        const QPointF point(row.strategy.c1, row.strategy.c2);
        (row.frontier ? pOnFrontier : pDominated)->append(point);
        if (row.frontier)
            pFrontier->append(point);
        if (row.best && !pBest)
            pBest = &row;
        dMinX = bFirst ? point.x() : std::min(dMinX, point.x());
        dMaxX = bFirst ? point.x() : std::max(dMaxX, point.x());
        dMinY = bFirst ? point.y() : std::min(dMinY, point.y());
        dMaxY = bFirst ? point.y() : std::max(dMaxY, point.y());
        bFirst = false;
    }
    // The points of equal combined value lie on a line of slope w (in the
    // criteria's own signs); through the best strategy, none lies beyond it.
    if (pBest && !criteria.WeightIsInfinite() && dMaxX > dMinX) {
        auto *pWeight = new QLineSeries;
        pWeight->setName(tr("w = %1").arg(NumberAtPrecision(criteria.weight, 6)));
        QPen pen(Qt::darkGreen);
        pen.setStyle(Qt::DashLine);
        pWeight->setPen(pen);
        const double dSlope = -criteria.Sign(0) * criteria.Sign(1) * criteria.weight;
        for (const double dX : {dMinX, dMaxX})
            pWeight->append(dX, pBest->strategy.c2 + dSlope * (dX - pBest->strategy.c1));
        AddXYSeries(pChart, pWeight);
    }
    AddXYSeries(pChart, pFrontier);
    AddXYSeries(pChart, pDominated);
    AddXYSeries(pChart, pOnFrontier);
    const double dMarginX = dMaxX > dMinX ? (dMaxX - dMinX) / 10 : 1.0;
    const double dMarginY = dMaxY > dMinY ? (dMaxY - dMinY) / 10 : 1.0;
    pX->setRange(dMinX - dMarginX, dMaxX + dMarginX);
    pY->setRange(dMinY - dMarginY, dMaxY + dMarginY);
    pX->setLabelFormat(QStringLiteral("%g"));
    pY->setLabelFormat(AxisFormat());
    const std::vector<CLeagueTable::Row> shown = rows;
    const auto hover = [shown, criteria](const QPointF &point, bool bState) {
        if (!bState) {
            QToolTip::hideText();
            return;
        }
        for (const CLeagueTable::Row &row : shown)
            if (row.strategy.c1 == point.x() && row.strategy.c2 == point.y()) {
                QToolTip::showText(QCursor::pos(), QStringLiteral("%1\n%2: %3\n%4: %5")
                                                       .arg(row.strategy.name, criteria.names[0],
                                                            NumberAtPrecision(row.strategy.c1, 8),
                                                            criteria.names[1],
                                                            NumberAtPrecision(row.strategy.c2, 8)));
                return;
            }
    };
    connect(pOnFrontier, &QScatterSeries::hovered, this, hover);
    connect(pDominated, &QScatterSeries::hovered, this, hover);
    ShowChart(pChart);
    int nFrontier = 0;
    for (const CLeagueTable::Row &row : rows)
        nFrontier += row.frontier;
    ShowNote(tr("%1 strategies%2, %3 on the frontier; the best at w = %4: %5.")
                 .arg(rows.size())
                 .arg(league.FirstDecisionOnly()
                          ? tr(" (the first Decision's options, as there are too many complete "
                               "strategies)")
                          : QString())
                 .arg(nFrontier)
                 .arg(NumberAtPrecision(criteria.weight, 8))
                 .arg(pBest ? pBest->strategy.name : tr("none")));
}
