#pragma once

#include <QUndoCommand>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// Takes a node with its whole subtree out of the tree and keeps it for undo.
class CDeleteItemCommand : public QUndoCommand
{
public:
    CDeleteItemCommand(CNodeGrapicsItem *pItem, CDecisionTreeWindow *pWindow);
    ~CDeleteItemCommand() override;

    void undo() override;
    void redo() override;

private:
    CNode *node;
    CDecisionTreeWindow *window;
    CNode *parent;
    // Where the node stood among its parent's children, so that undo puts it
    // back in the same order (which decides ties and the file's order).
    int index = -1;
    // Whether this command holds the detached subtree.
    bool detached = false;
};
