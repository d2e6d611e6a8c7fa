#include "CRiskProfilePanel.h"

#include "CProjectDocument.h"
#include "CRiskProfile.h"
#include "NumberPrecision.h"

#include <QChart>
#include <QComboBox>
#include <QLineSeries>
#include <QTableWidget>
#include <QValueAxis>

#include <algorithm>

using namespace QtCharts;

CRiskProfilePanel::CRiskProfilePanel(CProjectDocument *pDocument, QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    chartBox = new QComboBox(this);
    chartBox->setObjectName(QStringLiteral("comboBoxChart"));
    chartBox->addItems({tr("Probabilities"), tr("Cumulative probabilities")});
    AddControl(chartBox);
    connect(chartBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CRiskProfilePanel::Refresh);
    table = AddTable(QStringLiteral("tableWidgetProfiles"),
                     {tr("Option"), tr("Chosen"), tr("Mean"), tr("Standard deviation"),
                      tr("Minimum"), tr("Maximum"), tr("Probability of a loss")},
                     150);
}

void CRiskProfilePanel::ShowCumulative(bool bCumulative)
{
    chartBox->setCurrentIndex(bCumulative ? 1 : 0);
}

void CRiskProfilePanel::Recompute()
{
    table->setRowCount(0);
    SetHeading(tr("%1: how likely each total payoff is, option by option")
                   .arg(Document()->GetProjectName()));
    const Evaluated tree(*Document());
    CRiskProfile profile(tree.evaluation);
    if (!profile.Run()) {
        ShowNote(profile.Error(), true);
        return;
    }
    const auto &profiles = profile.Profiles();
    double dLowest = 0.0;
    double dHighest = 0.0;
    for (const CRiskProfile::Profile &option : profiles) {
        dLowest = std::min(dLowest, option.minimum);
        dHighest = std::max(dHighest, option.maximum);
    }
    // The steps of the cumulative lines reach a little beyond the extremes,
    // so that their first rise and their end at 1 show.
    const double dMargin = dHighest > dLowest ? (dHighest - dLowest) / 20 : 1.0;
    const bool bCumulative = chartBox->currentIndex() == 1;
    auto *pChart = new QChart;
    double dTop = 0.0;
    table->setRowCount(int(profiles.size()));
    for (size_t p = 0; p < profiles.size(); ++p) {
        const CRiskProfile::Profile &option = profiles[p];
        auto *pSeries = new QLineSeries;
        pSeries->setName(option.chosen ? tr("%1 (chosen)").arg(option.name) : option.name);
        double dSoFar = 0.0;
        if (bCumulative)
            pSeries->append(dLowest - dMargin, 0.0);
        for (const CRiskProfile::Outcome &outcome : option.outcomes) {
            // A spike per outcome, or a step up to the probability so far.
            if (bCumulative) {
                pSeries->append(outcome.value, dSoFar);
                dSoFar += outcome.probability;
                pSeries->append(outcome.value, dSoFar);
            } else {
                pSeries->append(outcome.value, 0.0);
                pSeries->append(outcome.value, outcome.probability);
                pSeries->append(outcome.value, 0.0);
                dTop = std::max(dTop, outcome.probability);
            }
        }
        if (bCumulative)
            pSeries->append(dHighest + dMargin, dSoFar);
        pChart->addSeries(pSeries);
        table->setItem(
            int(p), 0,
            new QTableWidgetItem(
                QStringLiteral("%1 (#%2)").arg(option.name).arg(CTreeIndex::IdOf(option.option))));
        table->setItem(int(p), 1, new QTableWidgetItem(option.chosen ? tr("yes") : tr("no")));
        const double figures[] = {option.mean, option.standardDeviation, option.minimum,
                                  option.maximum};
        for (int c = 0; c < 4; ++c)
            table->setItem(int(p), 2 + c, NumberItem(Amount(figures[c], 8), figures[c]));
        table->setItem(
            int(p), 6,
            NumberItem(NumberAtPrecision(option.probabilityOfLoss, 8), option.probabilityOfLoss));
    }
    auto *pValues = new QValueAxis;
    pValues->setRange(dLowest - dMargin, dHighest + dMargin);
    pValues->applyNiceNumbers();
    pValues->setLabelFormat(AxisFormat());
    pValues->setTitleText(tr("Total payoff"));
    auto *pProbabilities = new QValueAxis;
    pProbabilities->setRange(0.0, bCumulative ? 1.0 : std::max(dTop * 1.1, 0.01));
    pProbabilities->applyNiceNumbers();
    pProbabilities->setLabelFormat(QStringLiteral("%g"));
    pProbabilities->setTitleText(bCumulative ? tr("Probability of at most this total")
                                             : tr("Probability"));
    pChart->addAxis(pValues, Qt::AlignBottom);
    pChart->addAxis(pProbabilities, Qt::AlignLeft);
    for (QAbstractSeries *pSeries : pChart->series()) {
        pSeries->attachAxis(pValues);
        pSeries->attachAxis(pProbabilities);
    }
    // The panel's own legend wraps long option names; the chart's cut them short.
    pChart->legend()->hide();
    QVector<LegendEntry> legendEntries;
    for (QAbstractSeries *pSeries : pChart->series())
        if (auto *pLine = qobject_cast<QLineSeries *>(pSeries))
            legendEntries.append({pLine->name(), pLine->pen().color()});
    ShowChart(pChart);
    ShowLegend(legendEntries);
    ShowNote(tr("Dominance: %1.").arg(profile.DominanceText()));
}
