#pragma once

#include "CDetachedSubtree.h"
#include "OptionRow.h"

#include <QString>
#include <QUndoCommand>
#include <QVector>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// Hangs new nodes with their options under a node, in place of the Terminal
// that ended the path there: a Decision or Situation under an Option or the
// Root, or options under a Decision or Situation. The commands of each kind
// differ only in what they make.
class CAddBranchCommand : public QUndoCommand
{
public:
    void undo() override;
    void redo() override;

protected:
    // nKind is NodeType::Decision, Situation or Option; an Option's rows are
    // the options themselves, and the name is not used.
    CAddBranchCommand(int nKind, CNodeGrapicsItem *pItem, const QString &strName,
                      const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow);

private:
    CNode *target;
    QString name;
    CDecisionTreeWindow *window;
    QVector<OptionRow> options;
    int kind;
    // Made on the first redo.
    CDetachedSubtree created;
};
