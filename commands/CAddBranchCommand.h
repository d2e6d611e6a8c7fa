#pragma once

#include "OptionRow.h"

#include <QString>
#include <QUndoCommand>
#include <QVector>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// Hangs a new Decision or Situation with its options under an Option or the
// Root, in place of the Terminal that ended the path there.
class CAddBranchCommand : public QUndoCommand
{
public:
    ~CAddBranchCommand() override;

    void undo() override;
    void redo() override;

protected:
    CAddBranchCommand(int nKind, CNodeGrapicsItem *pItem, const QString &strName,
                      const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow);

private:
    CNode *target;
    QString name;
    CNode *created = nullptr;
    CDecisionTreeWindow *window;
    QVector<OptionRow> options;
    int kind;
    // Whether the tree holds `created` (after redo) or this command does.
    bool applied = false;
};
