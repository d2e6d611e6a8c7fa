#include "CValueOfInformationPanel.h"

#include "CProjectDocument.h"
#include "CValueOfInformation.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QTableWidget>
#include <QValueAxis>

#include <vector>

using namespace QtCharts;

CValueOfInformationPanel::CValueOfInformationPanel(CProjectDocument *pDocument, QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    table = AddTable(
        QStringLiteral("tableWidgetInformation"),
        {tr("Uncertainty"), tr("Situations"), tr("Value with information"), tr("EVPI")}, 180);
}

void CValueOfInformationPanel::Recompute()
{
    table->setRowCount(0);
    SetHeading(tr("%1: what knowing each uncertainty before deciding is worth")
                   .arg(Document()->GetProjectName()));
    const Evaluated tree(*Document());
    CValueOfInformation information(tree.evaluation);
    if (!information.Run()) {
        ShowNote(information.Error(), true);
        return;
    }
    struct Row
    {
        QString label;
        QString situations;
        double withInformation;
        double evpi;
    };
    std::vector<Row> rows;
    for (const CValueOfInformation::Uncertainty &uncertainty : information.Uncertainties())
        rows.push_back({uncertainty.name.isEmpty()
                            ? tr("(no name) #%1").arg(CTreeIndex::IdOf(uncertainty.situations[0]))
                            : uncertainty.name + CValueOfInformation::ReadingNote(uncertainty),
                        CAnalysisTable::Ids(uncertainty.situations).join(QStringLiteral(", ")),
                        uncertainty.valueWithInformation, uncertainty.evpi});
    if (information.HasAll())
        rows.push_back({tr("Everything"), QString(), information.AllValueWithInformation(),
                        information.AllEvpi()});

    table->setRowCount(int(rows.size()));
    auto *pSet = new QBarSet(tr("EVPI"));
    QStringList labels;
    double dWidest = 0.0;
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row &row = rows[r];
        table->setItem(int(r), 0, new QTableWidgetItem(row.label));
        table->setItem(int(r), 1, new QTableWidgetItem(row.situations));
        table->setItem(int(r), 2, NumberItem(Amount(row.withInformation, 10), row.withInformation));
        table->setItem(int(r), 3, NumberItem(Amount(row.evpi, 10), row.evpi));
    }
    // The uncertainties come widest first, knowing everything last. A chart
    // of a thousand bars draws none that can be seen: it shows the widest,
    // and the table keeps them all.
    const size_t nUncertainties = information.Uncertainties().size();
    std::vector<size_t> drawn;
    for (size_t r = 0; r < rows.size(); ++r)
        if (r >= nUncertainties || int(r) < MaxBars)
            drawn.push_back(r);
    SetShownCount(int(drawn.size()));
    // Bars are drawn from the bottom up: the widest goes in last.
    for (size_t k = drawn.size(); k-- > 0;) {
        const Row &row = rows[drawn[k]];
        labels << row.label;
        *pSet << row.evpi;
        dWidest = std::max(dWidest, row.evpi);
    }
    auto *pSeries = new QHorizontalBarSeries;
    pSeries->append(pSet);
    auto *pChart = new QChart;
    pChart->addSeries(pSeries);
    pChart->legend()->hide();
    auto *pNames = new QBarCategoryAxis;
    pNames->append(labels);
    pChart->addAxis(pNames, Qt::AlignLeft);
    pSeries->attachAxis(pNames);
    auto *pValues = new QValueAxis;
    pValues->setRange(0.0, dWidest > 0.0 ? dWidest : 1.0);
    pValues->applyNiceNumbers();
    pValues->setLabelFormat(AxisFormat());
    pValues->setTitleText(tr("Expected value of perfect information"));
    pChart->addAxis(pValues, Qt::AlignBottom);
    pSeries->attachAxis(pValues);
    ShowChart(pChart);

    QString strNote = tr("The tree is worth %1 now. Each bar is what knowing that uncertainty "
                         "before deciding adds.")
                          .arg(Amount(information.Value(), 10));
    if (int(nUncertainties) > MaxBars)
        strNote += QLatin1Char(' ') +
                   tr("The chart shows the %1 largest of %2 uncertainties; the other %3 are in "
                      "the table.")
                       .arg(MaxBars)
                       .arg(nUncertainties)
                       .arg(int(nUncertainties) - MaxBars);
    if (!information.HasAll())
        strNote += QLatin1Char(' ') + information.AllError();
    ShowNote(strNote);
}
