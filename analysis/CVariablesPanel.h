#pragma once

#include "CProjectDocument.h"

#include <vector>

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <string>

class CLiveEditDelegate;
class QLabel;
class QTableWidget;
class QTableWidgetItem;

// The project's variables as a table beside its editor: name, value or
// formula, low, high, comment, distribution and how many options and other variables use
// each, counted again after every change of the tree. Every change is
// checked first (a name that is taken, a formula that cannot be computed, a
// variable still in use) and refused with the reason, or made as one undo
// step through the window; the tree follows at once.
class CVariablesPanel : public QWidget
{
    Q_OBJECT

public:
    enum Column
    {
        ColumnName,
        ColumnValue,
        ColumnLow,
        ColumnHigh,
        ColumnComment,
        ColumnDistribution,
        ColumnUses,
        ColumnCount
    };

    explicit CVariablesPanel(CProjectDocument *pDocument, QWidget *parent = nullptr);

    // The project's document, or null once it has closed.
    CProjectDocument *Document() const { return document; }
    // The reason the last change was refused, or empty.
    QString Problem() const;

signals:
    // A checked change, to be made as one undo step named strText by the
    // project's editor: the panel reads the project, the editor changes it.
    void sig_changeRequested(const QString &strText, const CVariables &variables,
                             const std::vector<CProjectDocument::NodeFormulas> &formulas);
    // How the tree's value depends on this variable, asked for.
    void sig_sensitivityRequested(const QString &strVariable);

public slots:
    void Refresh();
    void AddVariable();
    void DeleteVariable();
    // Asks for the sensitivity of the current row's variable.
    void ShowSensitivity();

private slots:
    void OnItemChanged(QTableWidgetItem *pItem);
    // A value being typed is tried on the project at once, outside the
    // history, as a payoff typed on the canvas is; the committed edit is the
    // one undo step, and an edit given up puts the variables back.
    void OnTextEdited(const QModelIndex &index, const QString &strText);
    void OnEditEnded();

private:
    // Checks and makes the change of one cell; false with a reason shown.
    bool Commit(int nRow, int nColumn, const QString &strText);
    bool Refuse(const QString &strReason);
    // The other variables whose formulas use variable n, by name.
    static QStringList VariableUsers(const CVariables &variables, int n);
    // Reads a typed value or formula into *pVariable; empty, or why not.
    QString ReadValue(const QString &strText, CVariables::Variable *pVariable) const;
    // Back to the variables from before a value was tried while typing.
    void EndTrying();

    QPointer<CProjectDocument> document;
    QTableWidget *table = nullptr;
    CLiveEditDelegate *delegate = nullptr;
    QLabel *problem = nullptr;
    bool filling = false;
    // A paste or a delete changes the tree many times over; the table
    // counts its users once after.
    QTimer refreshTimer;
    // The variables from before the value being typed was tried.
    bool trying = false;
    CVariables beforeTrying;
};
