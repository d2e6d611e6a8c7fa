#include "CVariablesPanel.h"

#include "CFormula.h"
#include "CNode.h"
#include "CTreeFormulas.h"
#include "CTypedNumber.h"
#include "TextNumber.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Numbers are read as on the canvas ("1,500" is 1500); other text is a formula.
bool ReadNumber(const QString &strText, double *pValue)
{
    const CTypedNumber typed = CTypedNumber::Read(strText.trimmed(), CTypedNumber::Kind::Amount);
    if (!typed.IsNumber())
        return false;
    *pValue = typed.ValueOr(*pValue);
    return true;
}

QString Shown(const std::string &strText)
{
    return QString::fromStdString(strText);
}

} // namespace

CVariablesPanel::CVariablesPanel(CProjectDocument *pDocument, QWidget *parent)
    : QWidget(parent), document(pDocument)
{
    auto *pLayout = new QVBoxLayout(this);
    table = new QTableWidget(0, ColumnCount, this);
    table->setObjectName(QStringLiteral("tableVariables"));
    table->setHorizontalHeaderLabels(
        {tr("Name"), tr("Value or formula"), tr("Low"), tr("High"), tr("Comment"), tr("Used by")});
    table->horizontalHeader()->setSectionResizeMode(ColumnComment, QHeaderView::Stretch);
    table->verticalHeader()->hide();
    pLayout->addWidget(table);
    problem = new QLabel(this);
    problem->setWordWrap(true);
    problem->setStyleSheet(QStringLiteral("color: #b00000"));
    pLayout->addWidget(problem);
    auto *pButtons = new QHBoxLayout;
    auto *pAdd = new QPushButton(tr("Add"), this);
    pAdd->setObjectName(QStringLiteral("pushButtonAddVariable"));
    auto *pDelete = new QPushButton(tr("Delete"), this);
    pDelete->setObjectName(QStringLiteral("pushButtonDeleteVariable"));
    pButtons->addWidget(pAdd);
    pButtons->addWidget(pDelete);
    pButtons->addStretch();
    pLayout->addLayout(pButtons);
    connect(pAdd, &QPushButton::clicked, this, &CVariablesPanel::AddVariable);
    connect(pDelete, &QPushButton::clicked, this, &CVariablesPanel::DeleteVariable);
    connect(table, &QTableWidget::itemChanged, this, &CVariablesPanel::OnItemChanged);
    connect(pDocument, &CProjectDocument::sig_variablesChanged, this, &CVariablesPanel::Refresh);
    Refresh();
}

QString CVariablesPanel::Problem() const
{
    return problem->text();
}

void CVariablesPanel::Refresh()
{
    if (!document)
        return;
    const CProjectDocument &project = *document;
    const CVariables &variables = project.GetVariables();
    filling = true;
    table->setRowCount(variables.Count());
    for (int n = 0; n < variables.Count(); ++n) {
        const CVariables::Variable &variable = variables.At(n);
        const int nUses = int(CTreeFormulas::Users(project.GetRoot(), variable.name).size());
        // A formula shows as typed, with its value in the tool tip.
        const QString cells[ColumnCount] = {
            Shown(variable.name),
            variable.formula.empty() ? NumberToText(variable.value) : Shown(variable.formula),
            variable.hasLow ? NumberToText(variable.low) : QString(),
            variable.hasHigh ? NumberToText(variable.high) : QString(),
            Shown(variable.comment),
            QString::number(nUses)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *pItem = new QTableWidgetItem(cells[c]);
            if (c == ColumnUses)
                pItem->setFlags(pItem->flags() & ~Qt::ItemIsEditable);
            if (c == ColumnValue && !variable.formula.empty())
                pItem->setToolTip(tr("= %1").arg(NumberToText(variable.value)));
            table->setItem(n, c, pItem);
        }
    }
    // Names and formulas are read whole; the comment takes what is left.
    table->resizeColumnsToContents();
    filling = false;
}

bool CVariablesPanel::Refuse(const QString &strReason)
{
    problem->setText(strReason);
    // The table shows the project again, not the text refused.
    Refresh();
    return false;
}

void CVariablesPanel::OnItemChanged(QTableWidgetItem *pItem)
{
    if (!filling && document)
        Commit(pItem->row(), pItem->column(), pItem->text());
}

bool CVariablesPanel::Commit(int nRow, int nColumn, const QString &strText)
{
    CProjectDocument &project = *document;
    CVariables variables = project.GetVariables();
    if (nRow < 0 || nRow >= variables.Count())
        return false;
    CVariables::Variable variable = variables.At(nRow);
    const QString strName = Shown(variable.name);
    problem->clear();
    switch (nColumn) {
    case ColumnName: {
        const std::string strNew = strText.trimmed().toStdString();
        if (strNew == variable.name)
            return true;
        const QString strProblem = variables.NameProblem(strNew, nRow);
        if (!strProblem.isEmpty())
            return Refuse(strProblem);
        const std::vector<CProjectDocument::NodeFormulas> formulas =
            CTreeFormulas::Rename(project.GetRoot(), variables, nRow, strNew);
        emit sig_changeRequested(tr("Rename Variable %1").arg(strName), variables, formulas);
        return true;
    }
    case ColumnValue:
        // A number stays a number; anything else is read as a formula.
        variable.formula.clear();
        if (!ReadNumber(strText, &variable.value))
            variable.formula = strText.trimmed().toStdString();
        break;
    case ColumnLow:
    case ColumnHigh: {
        bool &bHas = nColumn == ColumnLow ? variable.hasLow : variable.hasHigh;
        double &dBound = nColumn == ColumnLow ? variable.low : variable.high;
        bHas = !strText.trimmed().isEmpty();
        if (bHas && !ReadNumber(strText, &dBound))
            return Refuse(tr("\"%1\" is not a number.").arg(strText));
        break;
    }
    case ColumnComment:
        variable.comment = strText.toStdString();
        break;
    default:
        return false;
    }
    variables.Set(nRow, variable);
    // A formula is tried on a copy: one that cannot be computed is refused
    // and the project keeps what it had.
    for (const CVariables::Problem &found : CVariables(variables).Evaluate())
        if (found.variable == variable.name)
            return Refuse(CTreeFormulas::Describe(found));
    emit sig_changeRequested(tr("Edit Variable %1").arg(strName), variables, {});
    return true;
}

void CVariablesPanel::AddVariable()
{
    if (!document)
        return;
    CVariables variables = document->GetVariables();
    std::string strName;
    for (int i = variables.Count() + 1; strName.empty() || variables.Find(strName) >= 0; ++i)
        strName = "x" + std::to_string(i);
    CVariables::Variable variable;
    variable.name = strName;
    variables.Add(variable);
    problem->clear();
    emit sig_changeRequested(tr("Add Variable %1").arg(Shown(strName)), variables, {});
    table->setCurrentCell(variables.Count() - 1, ColumnName);
}

void CVariablesPanel::DeleteVariable()
{
    const int nRow = table->currentRow();
    if (!document || nRow < 0)
        return;
    CVariables variables = document->GetVariables();
    if (nRow >= variables.Count())
        return;
    const std::string strName = variables.At(nRow).name;
    QStringList users;
    for (const CNode *pNode : CTreeFormulas::Users(document->GetRoot(), strName))
        users << tr("option \"%1\"").arg(Shown(pNode->name));
    for (int n = 0; n < variables.Count(); ++n) {
        const std::vector<std::string> names = CFormula::NamesIn(variables.At(n).formula);
        if (n != nRow && std::find(names.begin(), names.end(), strName) != names.end())
            users << tr("variable %1").arg(Shown(variables.At(n).name));
    }
    if (!users.isEmpty())
        return void(Refuse(
            tr("%1 is still used by %2.").arg(Shown(strName), users.join(QStringLiteral(", ")))));
    variables.Remove(nRow);
    problem->clear();
    emit sig_changeRequested(tr("Delete Variable %1").arg(Shown(strName)), variables, {});
}
