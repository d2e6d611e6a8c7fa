#include "CAddNodeDialog.h"

#include "CNode.h"
#include "TextNumber.h"
#include "ui_CAddNodeDialog.h"

#include <QTableWidgetItem>

namespace {

enum Column : int
{
    ColumnName = 0,
    ColumnProbability = 1,
    ColumnPayoff = 2,
    ColumnPayoffComment = 3,
};

} // namespace

CAddNodeDialog::CAddNodeDialog(int nNodeType, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::vxAddNodeDialog>()), nodeType(nNodeType)
{
    ui->setupUi(this);
    ApplyMode();
    // 3 and then 2: the value really changes at least once, so the slot fills
    // the table whatever the spin box started from.
    ui->spinBoxOptionNumber->setValue(3);
    ui->spinBoxOptionNumber->setValue(2);
    ui->tableWidgetOptionProperty->resizeColumnsToContents();
}

CAddNodeDialog::~CAddNodeDialog() = default;

void CAddNodeDialog::ApplyMode()
{
    switch (nodeType) {
    case NodeType::Decision:
        setWindowTitle(tr("Add Decision Dialog"));
        ui->labelName->setText(tr("Decision Name:"));
        ui->lineEditName->setText(tr("Decision1"));
        // Options of a decision are chosen, not drawn: their probability is 1.
        ui->tableWidgetOptionProperty->setColumnHidden(ColumnProbability, true);
        ui->spinBoxOptionNumber->setMinimum(2);
        break;
    case NodeType::Situation:
        setWindowTitle(tr("Add Situation Dialog"));
        ui->labelName->setText(tr("Situation Name:"));
        ui->lineEditName->setText(tr("Situation1"));
        ui->tableWidgetOptionProperty->setColumnHidden(ColumnProbability, false);
        ui->spinBoxOptionNumber->setMinimum(2);
        break;
    case NodeType::Option:
        // Options join an existing node, so there is nothing to name and a
        // single one is enough.
        setWindowTitle(tr("Add Option Dialog"));
        ui->labelName->setVisible(false);
        ui->lineEditName->setVisible(false);
        ui->tableWidgetOptionProperty->setColumnHidden(ColumnProbability, false);
        ui->spinBoxOptionNumber->setMinimum(1);
        break;
    default:
        break;
    }
}

QString CAddNodeDialog::GetName() const
{
    return ui->lineEditName->text();
}

QString CAddNodeDialog::CellText(int nRow, int nColumn) const
{
    const QTableWidgetItem *pItem = ui->tableWidgetOptionProperty->item(nRow, nColumn);
    return pItem ? pItem->text() : QString();
}

QVector<OptionRow> CAddNodeDialog::GetOptionRows() const
{
    QVector<OptionRow> rows;
    const int nRows = ui->tableWidgetOptionProperty->rowCount();
    rows.reserve(nRows);
    for (int i = 0; i < nRows; ++i) {
        OptionRow row;
        row.name = CellText(i, ColumnName);
        row.probability =
            nodeType == NodeType::Decision ? 1.0 : TextToNumber(CellText(i, ColumnProbability));
        row.payoff = TextToNumber(CellText(i, ColumnPayoff));
        row.payoffComment = CellText(i, ColumnPayoffComment);
        rows.append(row);
    }
    return rows;
}

void CAddNodeDialog::on_spinBoxOptionNumber_valueChanged(int nValue)
{
    // Every change starts the table afresh: a certain first option "Yes" and
    // impossible further options "No".
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    pTable->setRowCount(nValue);
    for (int i = 0; i < nValue; ++i) {
        const bool bFirst = i == 0;
        pTable->setItem(i, ColumnName, new QTableWidgetItem(bFirst ? tr("Yes") : tr("No")));
        pTable->setItem(i, ColumnProbability, new QTableWidgetItem(bFirst ? tr("1") : tr("0")));
        pTable->setItem(i, ColumnPayoff, new QTableWidgetItem(QStringLiteral("0")));
        pTable->setItem(i, ColumnPayoffComment, new QTableWidgetItem(QString()));
    }
}

void CAddNodeDialog::on_pushButtonOK_clicked()
{
    accept();
}

void CAddNodeDialog::on_pushButtonCancel_clicked()
{
    reject();
}
