#pragma once

#include "CDetachedSubtree.h"

#include <QUndoCommand>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// Hangs a copy of the clipboard's subtree under a node.
class CPasteCommand : public QUndoCommand
{
public:
    CPasteCommand(CNodeGrapicsItem *pItem, const CNode *pClipboard, CDecisionTreeWindow *pWindow);

    void undo() override;
    void redo() override;

private:
    CNode *target;
    CDecisionTreeWindow *window;
    CDetachedSubtree pasted;
};
