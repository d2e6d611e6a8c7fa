#include "CValueOfInformationPanel.h"

#include "CProjectDocument.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CValueOfInformation.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QTableWidget>
#include <QValueAxis>

#include <vector>

using namespace QtCharts;

namespace {

QString Ids(const std::vector<int> &situations)
{
    QStringList ids;
    for (int n : situations)
        ids << QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
    return ids.join(QStringLiteral(", "));
}

} // namespace

CValueOfInformationPanel::CValueOfInformationPanel(CProjectDocument *pDocument, QWidget *parent)
    : CAnalysisPanel(pDocument, parent)
{
    table = new QTableWidget(0, 4, this);
    table->setObjectName(QStringLiteral("tableWidgetInformation"));
    table->setHorizontalHeaderLabels(
        {tr("Uncertainty"), tr("Situations"), tr("Value with information"), tr("EVPI")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->setMaximumHeight(180);
    AddBelow(table);
}

QString CValueOfInformationPanel::TableText() const
{
    return CAnalysisPanel::TableText(table);
}

void CValueOfInformationPanel::Recompute()
{
    table->setRowCount(0);
    SetHeading(tr("%1: what knowing each uncertainty before deciding is worth")
                   .arg(Document()->GetProjectName()));
    const CTreeIndex index(Document()->GetTree().GetRoot());
    const CTreeEvaluation evaluation(index, Document()->GetSettings().rule);
    CValueOfInformation information(evaluation);
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
                        Ids(uncertainty.situations), uncertainty.valueWithInformation,
                        uncertainty.evpi});
    if (information.HasAll())
        rows.push_back({tr("Everything"), QString(), information.AllValueWithInformation(),
                        information.AllEvpi()});

    table->setRowCount(int(rows.size()));
    auto *pSet = new QBarSet(tr("EVPI"));
    QStringList labels;
    double dWidest = 0.0;
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row &row = rows[r];
        const QStringList cells{row.label, row.situations, Amount(row.withInformation, 10),
                                Amount(row.evpi, 10)};
        for (int c = 0; c < cells.size(); ++c) {
            auto *pItem = new QTableWidgetItem(cells.at(c));
            if (c >= 2)
                pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(int(r), c, pItem);
        }
    }
    // Bars are drawn from the bottom up: the widest goes in last.
    for (size_t r = rows.size(); r-- > 0;) {
        labels << rows[r].label;
        *pSet << rows[r].evpi;
        dWidest = std::max(dWidest, rows[r].evpi);
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
    if (!information.HasAll())
        strNote += QLatin1Char(' ') + information.AllError();
    ShowNote(strNote);
}
