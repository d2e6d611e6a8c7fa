#pragma once

#include "CProjectDocument.h"

#include <vector>

#include <QPointer>
#include <QWidget>

#include <string>

class QLabel;
class QTableWidget;
class QTableWidgetItem;

// The project's variables as a table beside its editor: name, value or
// formula, low, high, comment and how many nodes use each. Every change is
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

public slots:
    void Refresh();
    void AddVariable();
    void DeleteVariable();

private slots:
    void OnItemChanged(QTableWidgetItem *pItem);

private:
    // Checks and makes the change of one cell; false with a reason shown.
    bool Commit(int nRow, int nColumn, const QString &strText);
    bool Refuse(const QString &strReason);

    QPointer<CProjectDocument> document;
    QTableWidget *table = nullptr;
    QLabel *problem = nullptr;
    bool filling = false;
};
