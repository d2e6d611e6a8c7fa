#include "CTornadoPanel.h"

#include "CNode.h"
#include "CProjectDocument.h"
#include "CTornado.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QHorizontalBarSeries>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using namespace QtCharts;

namespace {

// More bars than this do not fit a readable chart; the note tells how many
// more there are.
constexpr int MaxBars = 20;

// The value axis counts from today's value, where the bars start; its labels
// show the tree's value itself.
QCategoryAxis *ValueAxis(double dBase, double dFrom, double dTo,
                         const std::function<QString(double)> &fnText)
{
    QValueAxis nice;
    nice.setRange(dFrom, dTo);
    nice.applyNiceNumbers();
    auto *pAxis = new QCategoryAxis;
    pAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    pAxis->setRange(nice.min(), nice.max());
    // A label sits at the end of its category: the first one needs a
    // category of (almost) no width to stand at the start.
    pAxis->setStartValue(nice.min() - (nice.max() - nice.min()) * 1e-9);
    const int nTicks = std::max(2, nice.tickCount());
    for (int i = 0; i < nTicks; ++i) {
        const double dAt = nice.min() + (nice.max() - nice.min()) * i / (nTicks - 1);
        pAxis->append(fnText(dBase + dAt), dAt);
    }
    pAxis->setTitleText(CTornadoPanel::tr("Value of the tree (now %1)").arg(fnText(dBase)));
    return pAxis;
}

} // namespace

CTornadoPanel::CTornadoPanel(CProjectDocument *pDocument, QWidget *parent)
    : CSwingPanel(pDocument, tr("Move every payoff and probability by"), parent)
{
}

void CTornadoPanel::Recompute()
{
    SetTable({});
    SetHeading(tr("%1: how far the value of the tree swings as each payoff and probability "
                  "moves by %2 %")
                   .arg(Document()->GetProjectName(), QLocale().toString(Percent())));
    const Evaluated tree(*Document());
    CTornado tornado(tree.evaluation);
    // The variables are inputs too; formulas follow them.
    if (!tornado.Run(Percent(), &Document()->GetTree())) {
        ShowNote(tornado.Error(), true);
        return;
    }
    const double dBase = tornado.CurrentValue();
    if (!std::isfinite(dBase)) {
        ShowNote(tr("The value of the tree is not a number."), true);
        return;
    }
    const auto &bars = tornado.Bars();
    SetTable(tornado.Table(tree.index));
    // Values too large for a number (a payoff near the largest one there is,
    // moved up) have no place on an axis.
    std::vector<const CTornado::Bar *> shown;
    for (const CTornado::Bar &bar : bars)
        if (std::isfinite(bar.valueLow - dBase) && std::isfinite(bar.valueHigh - dBase) &&
            int(shown.size()) < MaxBars)
            shown.push_back(&bar);
    const int nShown = int(shown.size());
    SetShownCount(nShown);

    // Bars are drawn from the bottom up: the widest swing goes in last.
    auto *pLow = new QBarSet(tr("Input at its low end"));
    auto *pHigh = new QBarSet(tr("Input at its high end"));
    QStringList labels;
    double dFrom = 0.0;
    double dTo = 0.0;
    for (int i = nShown - 1; i >= 0; --i) {
        const CTornado::Bar &bar = *shown[size_t(i)];
        // A variable's bar has no option: the tornado names each input alike.
        labels << CTornado::Describe(tree.index, bar.option, bar.kind, bar.variable);
        *pLow << bar.valueLow - dBase;
        *pHigh << bar.valueHigh - dBase;
        dFrom = std::min({dFrom, bar.valueLow - dBase, bar.valueHigh - dBase});
        dTo = std::max({dTo, bar.valueLow - dBase, bar.valueHigh - dBase});
    }
    if (dFrom == dTo) {
        dFrom -= 1;
        dTo += 1;
    }
    auto *pSeries = new QHorizontalBarSeries;
    pSeries->append(pLow);
    pSeries->append(pHigh);
    auto *pChart = new QChart;
    pChart->addSeries(pSeries);
    auto *pInputs = new QBarCategoryAxis;
    pInputs->append(labels);
    pChart->addAxis(pInputs, Qt::AlignLeft);
    pSeries->attachAxis(pInputs);
    QCategoryAxis *pValues =
        ValueAxis(dBase, dFrom, dTo, [this](double dValue) { return Amount(dValue, 6); });
    pChart->addAxis(pValues, Qt::AlignBottom);
    pSeries->attachAxis(pValues);
    ShowChart(pChart);

    QString strNote = tr("%1 of %2 inputs move the value of the tree.")
                          .arg(bars.size())
                          .arg(tornado.InputCount());
    if (int(bars.size()) > nShown)
        // Either more swings than fit, or some beyond what numbers can hold.
        strNote += QLatin1Char(' ') + tr("The %1 widest swings are shown.").arg(nShown);
    ShowNote(strNote);
}
