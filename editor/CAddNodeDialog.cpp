#include "CAddNodeDialog.h"

#include "CNode.h"
#include "CTypedNumber.h"
#include "ui_CAddNodeDialog.h"

#include <QKeyEvent>
#include <QTableWidgetItem>
#include <QTimer>
#include <QToolTip>

namespace {

enum Column : int
{
    ColumnName = 0,
    ColumnProbability = 1,
    ColumnPayoff = 2,
    ColumnPayoffComment = 3,
};

CTypedNumber::Kind KindOf(int nColumn)
{
    return nColumn == ColumnProbability ? CTypedNumber::Kind::Probability
                                        : CTypedNumber::Kind::Amount;
}

// A number cell remembers its last text that read, to go back to.
QTableWidgetItem *NumberCell(const QString &strText)
{
    auto *pItem = new QTableWidgetItem(strText);
    pItem->setData(Qt::UserRole, strText);
    return pItem;
}

} // namespace

CAddNodeDialog::CAddNodeDialog(int nNodeType, QWidget *parent, int nOwnerType)
    : QDialog(parent), ui(std::make_unique<Ui::vxAddNodeDialog>()), nodeType(nNodeType),
      ownerType(nOwnerType)
{
    ui->setupUi(this);
    ApplyMode();
    // 3 and then 2: the value really changes at least once, so the slot fills
    // the table whatever the spin box started from.
    ui->spinBoxOptionNumber->setValue(3);
    ui->spinBoxOptionNumber->setValue(2);
    SizeColumns();
    // Typing at once replaces the proposed name, or the first option's.
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    if (ui->lineEditName->isVisibleTo(this)) {
        ui->lineEditName->selectAll();
        ui->lineEditName->setFocus();
    } else {
        pTable->setCurrentCell(0, ColumnName);
        pTable->setFocus();
    }
    // Keys that a cell editor leaves alone come by the viewport; the view
    // itself would swallow Enter there.
    pTable->viewport()->installEventFilter(this);
    connect(pTable, &QTableWidget::itemChanged, this, &CAddNodeDialog::CheckNumber);
}

void CAddNodeDialog::CheckNumber(QTableWidgetItem *pItem)
{
    if (pItem->column() != ColumnProbability && pItem->column() != ColumnPayoff)
        return;
    const CTypedNumber typed = CTypedNumber::Read(pItem->text(), KindOf(pItem->column()));
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    const QSignalBlocker blocker(pTable);
    pItem->setToolTip(typed.Refusal());
    if (typed.IsNumber()) {
        pItem->setData(Qt::UserRole, pItem->text());
        return;
    }
    refused = true;
    pItem->setText(pItem->data(Qt::UserRole).toString());
    // Once the key that ended the edit has moved on: back to the cell, saying why.
    const int nRow = pItem->row();
    const int nColumn = pItem->column();
    const QString strWhy = typed.Refusal();
    QTimer::singleShot(0, pTable, [pTable, nRow, nColumn, strWhy] {
        QTableWidgetItem *pCell = pTable->item(nRow, nColumn);
        if (!pCell)
            return;
        pTable->setCurrentItem(pCell);
        const QPoint pntAt = pTable->visualItemRect(pCell).bottomLeft();
        QToolTip::showText(pTable->viewport()->mapToGlobal(pntAt), strWhy, pTable->viewport());
    });
}

bool CAddNodeDialog::eventFilter(QObject *pWatched, QEvent *event)
{
    // Enter in a cell being typed into finishes the dialog, as it does
    // everywhere else in it.
    if (pWatched == ui->tableWidgetOptionProperty->viewport() &&
        event->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent *>(event)->key();
        if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(pWatched, event);
}

CAddNodeDialog::~CAddNodeDialog() = default;

bool CAddNodeDialog::OptionsAreCertain() const
{
    return nodeType == NodeType::Decision ||
           (nodeType == NodeType::Option && ownerType == NodeType::Decision);
}

void CAddNodeDialog::SizeColumns()
{
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    pTable->resizeColumnsToContents();
    // Names such as "Don't drill" must not be cut short by a column sized to
    // the proposed "Yes" and "No".
    const int nName = pTable->fontMetrics().averageCharWidth() * 20 + 12;
    pTable->setColumnWidth(ColumnName, qMax(pTable->columnWidth(ColumnName), nName));
}

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
        // A share typed for an option of a Decision would be thrown away.
        ui->tableWidgetOptionProperty->setColumnHidden(ColumnProbability, OptionsAreCertain());
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
        // Every number cell holds a text that reads (see CheckNumber).
        row.probability = OptionsAreCertain() ? 1.0
                                              : CTypedNumber::Read(CellText(i, ColumnProbability),
                                                                   KindOf(ColumnProbability))
                                                    .ValueOr(0.0);
        row.payoff =
            CTypedNumber::Read(CellText(i, ColumnPayoff), KindOf(ColumnPayoff)).ValueOr(0.0);
        row.payoffComment = CellText(i, ColumnPayoffComment);
        rows.append(row);
    }
    return rows;
}

void CAddNodeDialog::on_spinBoxOptionNumber_valueChanged(int nValue)
{
    // Rows come and go at the end only: what was typed stays. A new first
    // option is a certain "Yes", further ones are impossible "No"s.
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    const int nKept = qMin(pTable->rowCount(), qMax(nValue, 0));
    pTable->setRowCount(nValue);
    for (int i = nKept; i < nValue; ++i) {
        const bool bFirst = i == 0;
        pTable->setItem(i, ColumnName, new QTableWidgetItem(bFirst ? tr("Yes") : tr("No")));
        pTable->setItem(i, ColumnProbability, NumberCell(bFirst ? tr("1") : tr("0")));
        pTable->setItem(i, ColumnPayoff, NumberCell(QStringLiteral("0")));
        pTable->setItem(i, ColumnPayoffComment, new QTableWidgetItem(QString()));
    }
}

void CAddNodeDialog::accept()
{
    // A cell editor would commit what it holds only when it loses the focus,
    // or after the dialog has closed. The open editors are the viewport's
    // visible children.
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    refused = false;
    const QList<QWidget *> editors =
        pTable->viewport()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *pEditor : editors)
        if (pEditor->isVisible())
            emit pTable->itemDelegate()->commitData(pEditor);
    // A refused cell shows what it held before and says why; the dialog stays.
    if (refused)
        return;
    QDialog::accept();
}

void CAddNodeDialog::on_pushButtonOK_clicked()
{
    accept();
}

void CAddNodeDialog::on_pushButtonCancel_clicked()
{
    reject();
}
