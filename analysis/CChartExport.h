#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace QtCharts {
class QChartView;
}
class QPainter;
class QWidget;

// Saves what a chart view shows, with a title above it and lines of findings
// below it, so that a saved chart says what it is about without the panel
// beside it: as an SVG drawing when the path ends in ".svg", otherwise as a
// PNG image.
class CChartExport
{
    Q_DECLARE_TR_FUNCTIONS(CChartExport)

public:
    // pLegend, when given, is drawn under the chart at the chart's width.
    CChartExport(QtCharts::QChartView *pView, const QString &strTitle, const QStringList &lines,
                 QWidget *pLegend = nullptr);

    // False, with a sentence for the user, when the file could not be written.
    bool Save(const QString &strPath, QString *pError) const;

private:
    // The picture's size: the chart's width, and as tall as the texts need.
    QSize Size() const;
    void Paint(QPainter *pPainter) const;
    QRect TitleRect() const;
    QRect LinesRect() const;
    int LegendHeight() const;

    QtCharts::QChartView *view;
    QWidget *legend;
    QString title;
    QString text;
};
