#pragma once

#include "CAnalysisTable.h"
#include "CProjectDocument.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <functional>

#include <utility>

class QHBoxLayout;
class QLabel;
class QScrollArea;
class QTableWidget;
class QTableWidgetItem;
class QVBoxLayout;
namespace QtCharts {
class QChart;
class QChartView;
class QValueAxis;
class QXYSeries;
} // namespace QtCharts

// A view beside a project's editor that analyses the project's tree and
// follows its edits. It only reads the tree: nothing it does is an undo step
// or marks the project modified. It keeps no pointer into the tree between
// two refreshes, and once the project is gone it computes nothing.
class CAnalysisPanel : public QWidget
{
    Q_OBJECT

public:
    CAnalysisPanel(CProjectDocument *pDocument, QWidget *parent);

    // The project, or null once it has closed.
    CProjectDocument *Document() const { return document; }
    QtCharts::QChartView *ChartView() const { return chartView; }
    // What the chart shows, naming the project: above the chart, and on top
    // of a saved chart.
    QString Heading() const;
    // PNG, or SVG when the path ends in ".svg"; with the heading above the
    // chart and the findings below it.
    bool SaveChart(const QString &strPath, QString *pError) const;
    // What the panel shows as a table, tab-separated rows for a spreadsheet,
    // headed as the window heads it; empty for a panel without one: the
    // analysis's own table, or the one the panel shows.
    virtual QString TableText() const;
    // The table as CSV, an analysis's own headed by the names ramify-solve
    // prints; false, with a reason for the user, when there is none or it
    // could not be written.
    bool SaveTable(const QString &strPath, QString *pError) const;
    // The names the legend under the chart shows, in full, in its order.
    QStringList LegendNames() const { return legendNames; }
    // How many bars, lines or points the chart shows: of many, only the
    // widest fit, and the table keeps them all.
    int ShownCount() const { return shownCount; }
    // Tab-separated text of a table widget, its header first; a number cell
    // gives its plain number, not the text shown in the project's format.
    static QString TableText(const QTableWidget *pTable);
    // A right-aligned cell showing strShown that a table's text gives as
    // the plain number dValue.
    static QTableWidgetItem *NumberItem(const QString &strShown, double dValue);

signals:
    // The analysis has been computed again and is on screen.
    void sig_refreshed();

public slots:
    // Computes the analysis again once control returns to the event loop:
    // an edit re-evaluates the tree several times, the panel once.
    void Refresh();

protected:
    // The project's tree indexed and rolled back by its rule, as the
    // analyses take it; valid while the tree keeps its shape.
    struct Evaluated
    {
        explicit Evaluated(const CProjectDocument &document);
        Evaluated(const Evaluated &) = delete;
        Evaluated &operator=(const Evaluated &) = delete;
        const CTreeIndex index;
        const CTreeEvaluation evaluation;
    };

    // Computes and shows the analysis; called only while the project exists.
    virtual void Recompute() = 0;
    // Whether the analysis answers for a project of two criteria; others
    // show why they do not.
    virtual bool WeighsTwoCriteria() const { return false; }
    // A payoff or value in the project's number format; with the plain one,
    // nPlainDigits significant digits.
    QString Amount(double dValue, int nPlainDigits) const;
    // 0 for a number that is 0 up to rounding: smaller than 1e-12 of the
    // range it lies in, as a break-even found at 2.2e-15 on a range of 1.
    static double ZeroIfRounding(double dValue, double dRange);
    // The axes of a line of values over Low..High, the values between dMin
    // and dMax, with a margin; a flat line still gets a range of its own.
    static void SetLineRanges(QtCharts::QValueAxis *pAxisX, QtCharts::QValueAxis *pAxisY,
                              double dLow, double dHigh, double dMin, double dMax);
    // A chart over two value axes, strX along the bottom and strY up the
    // left, its legend below; *ppX and *ppY are given the axes.
    static QtCharts::QChart *NewXYChart(const QString &strX, const QString &strY,
                                        QtCharts::QValueAxis **ppX, QtCharts::QValueAxis **ppY);
    // Adds pSeries to pChart, over both of its axes.
    static void AddXYSeries(QtCharts::QChart *pChart, QtCharts::QXYSeries *pSeries);
    // The label format of a value axis in the project's number format.
    QString AxisFormat() const;
    void SetShownCount(int nCount) { shownCount = nCount; }
    // Asks under strTitle where to save a CSV file (".csv" added where the
    // name has no suffix) and saves it there with fnSave, which gives a
    // reason for the user when it fails.
    void SaveCsvAs(const QString &strTitle,
                   const std::function<bool(const QString &, QString *)> &fnSave);
    // The analysis's own table, which Copy Table and Save Table give; an
    // empty one for none.
    void SetTable(CAnalysisTable table) { analysisTable = std::move(table); }
    // A table under the chart, read-only, with these column headings, no
    // higher than nMaxHeight; Copy Table gives it as shown.
    QTableWidget *AddTable(const QString &strObjectName, const QStringList &headings,
                           int nMaxHeight);
    // Places a control in the row above the chart.
    void AddControl(QWidget *pControl);
    // Places a widget under the chart and its note.
    void AddBelow(QWidget *pWidget);
    // Takes over pChart and shows it instead of the chart before, without
    // a legend of the panel's own.
    void ShowChart(QtCharts::QChart *pChart);
    // A legend under the chart that wraps long names onto more lines where
    // the chart's own would cut them short; in a saved chart too.
    struct LegendEntry
    {
        QString name;
        QColor colour;
        bool dashed = false;
    };
    void ShowLegend(const QVector<LegendEntry> &entries);
    // A sentence under the chart. A problem also clears the chart.
    void ShowNote(const QString &strText, bool bProblem = false);
    void SetHeading(const QString &strText);
    // The lines under a saved chart; the note unless a panel has more to say.
    virtual QStringList Findings() const;

private slots:
    void OnRefreshDue();
    void OnSaveChart();
    void OnCopyTable();
    void OnSaveTable();

private:
    QPointer<CProjectDocument> document;
    CAnalysisTable analysisTable;
    QTableWidget *shownTable = nullptr;
    QTimer refreshTimer;
    QLabel *heading = nullptr;
    QHBoxLayout *controls = nullptr;
    QtCharts::QChartView *chartView = nullptr;
    QScrollArea *legendArea = nullptr;
    QLabel *legend = nullptr;
    QStringList legendNames;
    int shownCount = 0;
    QLabel *note = nullptr;
    QVBoxLayout *below = nullptr;
};
