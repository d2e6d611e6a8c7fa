#include "CVariablesPanel.h"

#include "CDistribution.h"
#include "CFormula.h"
#include "CLiveEditDelegate.h"
#include "CNode.h"
#include "CTreeFormulas.h"
#include "CTypedNumber.h"
#include "TextNumber.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

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
    table->setHorizontalHeaderLabels({tr("Name"), tr("Value or formula"), tr("Low"), tr("High"),
                                      tr("Comment"), tr("Distribution"), tr("Used by")});
    // Names and formulas are read whole, after every edit too; the comment
    // takes what is left.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(ColumnComment, QHeaderView::Stretch);
    table->verticalHeader()->hide();
    delegate = new CLiveEditDelegate(table);
    table->setItemDelegate(delegate);
    connect(delegate, &CLiveEditDelegate::sig_textEdited, this, &CVariablesPanel::OnTextEdited);
    connect(delegate, &CLiveEditDelegate::sig_editEnded, this, &CVariablesPanel::OnEditEnded);
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
    auto *pSensitivity = new QPushButton(tr("Sensitivity..."), this);
    pSensitivity->setObjectName(QStringLiteral("pushButtonVariableSensitivity"));
    pButtons->addWidget(pAdd);
    pButtons->addWidget(pDelete);
    pButtons->addWidget(pSensitivity);
    auto *pAction = new QAction(tr("Sensitivity..."), table);
    pAction->setObjectName(QStringLiteral("actionVariableSensitivity"));
    table->addAction(pAction);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(pAction, &QAction::triggered, this, &CVariablesPanel::ShowSensitivity);
    connect(pSensitivity, &QPushButton::clicked, this, &CVariablesPanel::ShowSensitivity);
    pButtons->addStretch();
    pLayout->addLayout(pButtons);
    connect(pAdd, &QPushButton::clicked, this, &CVariablesPanel::AddVariable);
    connect(pDelete, &QPushButton::clicked, this, &CVariablesPanel::DeleteVariable);
    connect(table, &QTableWidget::itemChanged, this, &CVariablesPanel::OnItemChanged);
    connect(pDocument, &CProjectDocument::sig_variablesChanged, this, &CVariablesPanel::Refresh);
    // Options that use a variable come and go with pastes, deletes and undo.
    refreshTimer.setSingleShot(true);
    refreshTimer.setInterval(0);
    connect(&refreshTimer, &QTimer::timeout, this, &CVariablesPanel::Refresh);
    const auto later = [this] { refreshTimer.start(); };
    connect(pDocument, &CProjectDocument::sig_structureChanged, this, later);
    connect(pDocument, &CProjectDocument::sig_treeReplaced, this, later);
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
    // The cell being typed in keeps what is typed; replacing its item would
    // end the edit.
    const QModelIndex editing = delegate->Editing();
    table->setRowCount(variables.Count());
    const std::unordered_map<std::string, int> &uses = project.UseCounts();
    for (int n = 0; n < variables.Count(); ++n) {
        const CVariables::Variable &variable = variables.At(n);
        const auto found = uses.find(variable.name);
        const int nOptions = found == uses.end() ? 0 : found->second;
        const QStringList byVariables = VariableUsers(variables, n);
        // Both kinds of user keep a variable from being deleted.
        QString strUses = nOptions == 1 ? tr("1 option") : tr("%1 options").arg(nOptions);
        if (nOptions == 0 && byVariables.isEmpty())
            strUses = QStringLiteral("0");
        else if (byVariables.size() == 1)
            strUses += tr(", 1 variable");
        else if (!byVariables.isEmpty())
            strUses += tr(", %1 variables").arg(byVariables.size());
        // A formula shows as typed, with its value in the tool tip.
        const QString cells[ColumnCount] = {
            Shown(variable.name),
            variable.formula.empty() ? NumberToText(variable.value) : Shown(variable.formula),
            variable.hasLow ? NumberToText(variable.low) : QString(),
            variable.hasHigh ? NumberToText(variable.high) : QString(),
            Shown(variable.comment),
            Shown(variable.distribution),
            strUses};
        for (int c = 0; c < ColumnCount; ++c) {
            if (editing.isValid() && editing.row() == n && editing.column() == c)
                continue;
            QTableWidgetItem *pItem = table->item(n, c);
            if (!pItem) {
                pItem = new QTableWidgetItem;
                if (c == ColumnUses)
                    pItem->setFlags(pItem->flags() & ~Qt::ItemIsEditable);
                table->setItem(n, c, pItem);
            }
            if (pItem->text() != cells[c])
                pItem->setText(cells[c]);
            if (c == ColumnUses)
                pItem->setToolTip(byVariables.isEmpty()
                                      ? QString()
                                      : tr("Used by the variables %1")
                                            .arg(byVariables.join(QStringLiteral(", "))));
            if (c == ColumnValue)
                pItem->setToolTip(variable.formula.empty()
                                      ? QString()
                                      : tr("= %1").arg(NumberToText(variable.value)));
        }
    }
    filling = false;
}

bool CVariablesPanel::Refuse(const QString &strReason)
{
    problem->setText(strReason);
    // The table shows the project again, not the text refused.
    Refresh();
    return false;
}

void CVariablesPanel::OnTextEdited(const QModelIndex &index, const QString &strText)
{
    if (!document || index.column() != ColumnValue)
        return;
    if (!trying) {
        beforeTrying = document->GetVariables();
        trying = true;
    }
    if (index.row() >= beforeTrying.Count())
        return;
    CVariables variables = beforeTrying;
    CVariables::Variable variable = variables.At(index.row());
    // Half a formula typed so far leaves the project at the last one that read.
    if (!ReadValue(strText, &variable).isEmpty())
        return;
    variables.Set(index.row(), variable);
    for (const CVariables::Problem &found : CVariables(variables).Evaluate())
        if (found.variable == variable.name)
            return;
    document->SetVariables(variables);
}

void CVariablesPanel::OnEditEnded()
{
    EndTrying();
    // The cell shows the project again, not a text refused while it was edited.
    QMetaObject::invokeMethod(this, &CVariablesPanel::Refresh, Qt::QueuedConnection);
}

void CVariablesPanel::EndTrying()
{
    if (!trying)
        return;
    trying = false;
    if (document)
        document->SetVariables(beforeTrying);
}

QString CVariablesPanel::ReadValue(const QString &strText, CVariables::Variable *pVariable) const
{
    // A number stays a number, read as on the canvas ("1,500" is 1500);
    // anything else is read as a formula.
    const CTreeFormulas::Typed typed =
        CTreeFormulas::Read(strText, CTypedNumber::Kind::Amount, nullptr, document->GetVariables());
    if (typed.refusal.isEmpty()) {
        pVariable->formula = typed.formula;
        if (typed.formula.empty())
            pVariable->value = typed.value;
    }
    return typed.refusal;
}

void CVariablesPanel::ShowSensitivity()
{
    const int nRow = table->currentRow();
    if (document && nRow >= 0 && nRow < document->GetVariables().Count())
        emit sig_sensitivityRequested(Shown(document->GetVariables().At(nRow).name));
}

void CVariablesPanel::OnItemChanged(QTableWidgetItem *pItem)
{
    if (!filling && document)
        Commit(pItem->row(), pItem->column(), pItem->text());
}

bool CVariablesPanel::Commit(int nRow, int nColumn, const QString &strText)
{
    // The step is taken from the variables before the edit.
    EndTrying();
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
    case ColumnValue: {
        const QString strProblem = ReadValue(strText, &variable);
        if (!strProblem.isEmpty())
            return Refuse(strProblem);
        break;
    }
    case ColumnLow:
    case ColumnHigh: {
        bool &bHas = nColumn == ColumnLow ? variable.hasLow : variable.hasHigh;
        double &dBound = nColumn == ColumnLow ? variable.low : variable.high;
        bHas = !strText.trimmed().isEmpty();
        if (bHas && !ReadNumber(strText, &dBound))
            return Refuse(tr("\"%1\" is not a number.").arg(strText));
        // The analyses move the variable from Low up to High.
        if (variable.hasLow && variable.hasHigh && variable.low > variable.high)
            return Refuse(
                tr("Low (%1) must not lie above High (%2): the analyses move %3 "
                   "from Low up to High.")
                    .arg(NumberToText(variable.low), NumberToText(variable.high), strName));
        break;
    }
    case ColumnComment:
        variable.comment = strText.toStdString();
        break;
    case ColumnDistribution:
        variable.distribution = strText.trimmed().toStdString();
        break;
    default:
        return false;
    }
    // A distribution is drawn within Low..High, so a bound moved can refuse it too.
    const bool bDrawn =
        nColumn == ColumnDistribution || nColumn == ColumnLow || nColumn == ColumnHigh;
    const QString strDrawn = bDrawn && !variable.distribution.empty()
                                 ? CDistribution::Problem(variable.name, variable.distribution,
                                                          variable.hasLow && variable.hasHigh,
                                                          variable.low, variable.high)
                                 : QString();
    if (!strDrawn.isEmpty())
        return Refuse(strDrawn);
    variables.Set(nRow, variable);
    // A formula is tried on a copy: one that cannot be computed is refused
    // and the project keeps what it had.
    for (const CVariables::Problem &found : CVariables(variables).Evaluate())
        if (found.variable == variable.name)
            return Refuse(CTreeFormulas::Describe(found));
    emit sig_changeRequested(tr("Edit Variable %1").arg(strName), variables, {});
    return true;
}

QStringList CVariablesPanel::VariableUsers(const CVariables &variables, int n)
{
    QStringList users;
    const std::string &strName = variables.At(n).name;
    for (int i = 0; i < variables.Count(); ++i) {
        const std::vector<std::string> names = CFormula::NamesIn(variables.At(i).formula);
        if (i != n && std::find(names.begin(), names.end(), strName) != names.end())
            users << Shown(variables.At(i).name);
    }
    return users;
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
    // Options of one name (copies of a pasted subtree) are named once, with
    // their number.
    QStringList names;
    QMap<QString, int> counts;
    for (const CNode *pNode : CTreeFormulas::Users(document->GetRoot(), strName)) {
        const QString strOption = Shown(pNode->name);
        if (!counts.contains(strOption))
            names << strOption;
        ++counts[strOption];
    }
    QStringList users;
    for (const QString &strOption : names)
        users << (counts.value(strOption) == 1
                      ? tr("option \"%1\"").arg(strOption)
                      : tr("%1 options \"%2\"").arg(counts.value(strOption)).arg(strOption));
    for (const QString &strVariable : VariableUsers(variables, nRow))
        users << tr("variable %1").arg(strVariable);
    if (!users.isEmpty())
        return void(Refuse(
            tr("%1 is still used by %2.").arg(Shown(strName), users.join(QStringLiteral(", ")))));
    variables.Remove(nRow);
    problem->clear();
    emit sig_changeRequested(tr("Delete Variable %1").arg(Shown(strName)), variables, {});
}
