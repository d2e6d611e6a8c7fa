#pragma once

#include "OptionRow.h"

#include <QString>
#include <QUndoCommand>
#include <QVector>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// Appends options to a Decision or Situation.
class CAddOptionCommand : public QUndoCommand
{
public:
    // The name is not used: options take their names from the rows.
    CAddOptionCommand(CNodeGrapicsItem *pItem, const QString &strName,
                      const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow);
    ~CAddOptionCommand() override;

    void undo() override;
    void redo() override;

private:
    CNode *target;
    QVector<CNode *> created;
    CDecisionTreeWindow *window;
    QVector<OptionRow> options;
    // Whether the tree holds `created` (after redo) or this command does.
    bool applied = false;
};
