#include "CAddNodeDialog.h"

#include "CNode.h"
#include "CTreeFormulas.h"
#include "CVariables.h"
#include "ui_CAddNodeDialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
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

// What a number cell's text stands for, read by the rule the canvas reads
// typed texts with. Its options join a Situation when a probability is asked
// for: a "#" there is the rest of it.
CTreeFormulas::Typed Read(const QString &strText, int nColumn, const CVariables *pVariables)
{
    static const CVariables none;
    CNode *pOwner = CNode::CreateSituation(nullptr, std::string());
    const CNode *pOption = CNode::CreateOption(pOwner, std::string());
    CTreeFormulas::Typed typed =
        CTreeFormulas::Read(strText, KindOf(nColumn), pOption, pVariables ? *pVariables : none);
    CNode::FreeSubtree(pOwner);
    return typed;
}

// A number cell remembers its last text that read, to go back to.
QTableWidgetItem *NumberCell(const QString &strText)
{
    auto *pItem = new QTableWidgetItem(strText);
    pItem->setData(Qt::UserRole, strText);
    return pItem;
}

} // namespace

CAddNodeDialog::CAddNodeDialog(int nNodeType, QWidget *parent, int nOwnerType,
                               const CVariables *pVariables)
    : QDialog(parent), ui(std::make_unique<Ui::vxAddNodeDialog>()), nodeType(nNodeType),
      ownerType(nOwnerType), variables(pVariables)
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

QString CAddNodeDialog::Refusal(const QString &strText, int nColumn) const
{
    if (nColumn != ColumnProbability && nColumn != ColumnPayoff)
        return QString();
    return Read(strText, nColumn, variables).refusal;
}

void CAddNodeDialog::CheckNumber(QTableWidgetItem *pItem)
{
    const QString strWhy = Refusal(pItem->text(), pItem->column());
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    const QSignalBlocker blocker(pTable);
    pItem->setToolTip(strWhy);
    if (strWhy.isEmpty()) {
        pItem->setData(Qt::UserRole, pItem->text());
        return;
    }
    refused = true;
    pItem->setText(pItem->data(Qt::UserRole).toString());
    // Left by a click elsewhere: back to the cell once the click is done, saying why.
    const int nRow = pItem->row();
    const int nColumn = pItem->column();
    QTimer::singleShot(0, pTable, [pTable, nRow, nColumn, strWhy] {
        QTableWidgetItem *pCell = pTable->item(nRow, nColumn);
        if (!pCell)
            return;
        pTable->setCurrentItem(pCell);
        const QPoint pntAt = pTable->visualItemRect(pCell).bottomLeft();
        QToolTip::showText(pTable->viewport()->mapToGlobal(pntAt), strWhy, pTable->viewport());
    });
}

bool CAddNodeDialog::RefuseKey(QWidget *pEditor, QKeyEvent *event)
{
    const int nKey = event->key();
    if (nKey != Qt::Key_Tab && nKey != Qt::Key_Backtab && nKey != Qt::Key_Return &&
        nKey != Qt::Key_Enter)
        return false;
    auto *pLine = qobject_cast<QLineEdit *>(pEditor);
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    if (!pLine || !pTable->currentIndex().isValid())
        return false;
    const QString strWhy = Refusal(pLine->text(), pTable->currentIndex().column());
    if (strWhy.isEmpty())
        return false;
    // The key goes no further: the cell stays open with what was typed, for
    // the next keys to mend it.
    refused = true;
    pLine->selectAll();
    QToolTip::showText(pEditor->mapToGlobal(QPoint(0, pEditor->height())), strWhy, pEditor);
    return true;
}

bool CAddNodeDialog::eventFilter(QObject *pWatched, QEvent *event)
{
    QTableWidget *pTable = ui->tableWidgetOptionProperty;
    // A cell editor is polished once the view has set it up, its own key
    // handling included; a filter installed now sees its keys first.
    if (pWatched == pTable->viewport() && event->type() == QEvent::ChildPolished) {
        QObject *pChild = static_cast<QChildEvent *>(event)->child();
        if (qobject_cast<QLineEdit *>(pChild))
            pChild->installEventFilter(this);
    }
    if (event->type() == QEvent::KeyPress && pWatched != pTable->viewport() &&
        pWatched->parent() == pTable->viewport() &&
        RefuseKey(static_cast<QWidget *>(pWatched), static_cast<QKeyEvent *>(event)))
        return true;
    // Enter in a cell being typed into finishes the dialog, as it does
    // everywhere else in it.
    if (pWatched == pTable->viewport() && event->type() == QEvent::KeyPress) {
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
    // The table, and with it the dialog, is wide enough for every header,
    // the last one included, which only takes the room that is left.
    QHeaderView *pHeader = pTable->horizontalHeader();
    int nWidth = pTable->verticalHeader()->sizeHint().width() + 2 * pTable->frameWidth() +
                 pTable->verticalScrollBar()->sizeHint().width();
    for (int nColumn = 0; nColumn < pTable->columnCount(); ++nColumn)
        if (!pTable->isColumnHidden(nColumn))
            nWidth += qMax(pTable->columnWidth(nColumn), pHeader->sectionSizeHint(nColumn));
    pTable->setMinimumWidth(nWidth);
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
        if (!OptionsAreCertain()) {
            const CTreeFormulas::Typed probability =
                Read(CellText(i, ColumnProbability), ColumnProbability, variables);
            row.probability = probability.value;
            row.probabilityFormula = QString::fromStdString(probability.formula);
        }
        const CTreeFormulas::Typed payoff =
            Read(CellText(i, ColumnPayoff), ColumnPayoff, variables);
        row.payoff = payoff.value;
        row.payoffFormula = QString::fromStdString(payoff.formula);
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
