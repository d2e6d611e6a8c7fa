#pragma once

#include "CDetachedSubtree.h"

#include <QUndoCommand>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// Takes a node with its whole subtree out of the tree and keeps it for undo;
// undo puts it back in the same place among its siblings (which decides ties
// and the file's order).
class CDeleteItemCommand : public QUndoCommand
{
public:
    CDeleteItemCommand(CNodeGrapicsItem *pItem, CDecisionTreeWindow *pWindow);

    void undo() override;
    void redo() override;

private:
    CDecisionTreeWindow *window;
    CNode *parent;
    CDetachedSubtree node;
};
