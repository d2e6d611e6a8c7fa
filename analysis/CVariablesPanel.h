#pragma once

#include "CDecisionTreeWindow.h"

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

    explicit CVariablesPanel(CDecisionTreeWindow *pWindow, QWidget *parent = nullptr);

    CDecisionTreeWindow *Window() const { return window; }
    // The reason the last change was refused, or empty.
    QString Problem() const;

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

    QPointer<CDecisionTreeWindow> window;
    QTableWidget *table = nullptr;
    QLabel *problem = nullptr;
    bool filling = false;
};
