#include "CSpiderPanel.h"

#include "CProjectDocument.h"
#include "CSpiderAnalysis.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace QtCharts;

CSpiderPanel::CSpiderPanel(CProjectDocument *pDocument, QWidget *parent)
    : CSwingPanel(pDocument, tr("Change every input by up to"), parent)
{
}

void CSpiderPanel::Recompute()
{
    SetTable({});
    const double dPercent = Percent();
    SetHeading(tr("%1: the value of the tree as each input changes by up to %2 %")
                   .arg(Document()->GetProjectName(), QLocale().toString(dPercent)));
    const Evaluated tree(*Document());
    CSpiderAnalysis spider(tree.evaluation);
    if (!spider.Run(dPercent, Steps, &Document()->GetTree())) {
        ShowNote(spider.Error(), true);
        return;
    }
    SetTable(spider.Table(tree.index));

    // Owned here until shown: a tree whose value is not a number shows a note instead.
    auto chart = std::make_unique<QChart>();
    QChart *pChart = chart.get();
    auto *pAxisX = new QValueAxis;
    pAxisX->setTitleText(tr("Change of the input (%)"));
    pAxisX->setRange(-dPercent, dPercent);
    auto *pAxisY = new QValueAxis;
    pAxisY->setTitleText(tr("Value of the tree"));
    pChart->addAxis(pAxisX, Qt::AlignBottom);
    pChart->addAxis(pAxisY, Qt::AlignLeft);
    // The panel's own legend wraps the inputs' names; the chart's cut them short.
    pChart->legend()->hide();
    QVector<LegendEntry> legendEntries;
    int nLines = 0;
    double dMin = spider.CurrentValue();
    double dMax = dMin;
    // Values beyond what numbers hold have no place on an axis.
    for (const CSpiderAnalysis::Line &line : spider.Lines()) {
        if (nLines >= MaxLines)
            break;
        if (!std::all_of(line.points.begin(), line.points.end(),
                         [](const auto &point) { return std::isfinite(point.second); }))
            continue;
        auto *pSeries = new QLineSeries;
        pSeries->setName(CTornado::Describe(tree.index, line.input.option, line.input.kind,
                                            line.input.variable));
        for (const auto &[dChange, dValue] : line.points) {
            pSeries->append(dChange, dValue);
            dMin = std::min(dMin, dValue);
            dMax = std::max(dMax, dValue);
        }
        pChart->addSeries(pSeries);
        pSeries->attachAxis(pAxisX);
        pSeries->attachAxis(pAxisY);
        // The theme has five colours; ten lines need ten, and the widest
        // swings the strongest.
        static const QRgb palette[MaxLines] = {0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd,
                                               0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf};
        QPen pen{QColor(palette[nLines])};
        pen.setWidth(2);
        // Inputs with the same line (a payoff and its probability) stay apart.
        if (nLines % 2)
            pen.setStyle(Qt::DashLine);
        pSeries->setPen(pen);
        legendEntries.append({pSeries->name(), pen.color(), pen.style() == Qt::DashLine});
        ++nLines;
    }
    SetShownCount(nLines);
    if (!std::isfinite(dMin) || !std::isfinite(dMax)) {
        ShowNote(tr("The value of the tree is not a number."), true);
        return;
    }
    double dMargin = dMax > dMin ? (dMax - dMin) / 20 : std::max(1.0, std::fabs(dMax) / 10);
    if (!std::isfinite(dMin - dMargin) || !std::isfinite(dMax + dMargin))
        dMargin = 0.0;
    pAxisY->setRange(dMin - dMargin, dMax + dMargin);
    pAxisY->applyNiceNumbers();
    ShowChart(chart.release());
    ShowLegend(legendEntries);

    QString strNote = tr("%1 of %2 inputs move the value of the tree.")
                          .arg(spider.Lines().size())
                          .arg(spider.InputCount());
    if (int(spider.Lines().size()) > nLines)
        strNote += QLatin1Char(' ') + tr("The %1 widest swings are drawn.").arg(nLines);
    ShowNote(strNote);
}
