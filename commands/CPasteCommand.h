#pragma once

#include <QUndoCommand>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// Hangs a copy of the clipboard's subtree under a node.
class CPasteCommand : public QUndoCommand
{
public:
    CPasteCommand(CNodeGrapicsItem *pItem, const CNode *pClipboard, CDecisionTreeWindow *pWindow);
    ~CPasteCommand() override;

    void undo() override;
    void redo() override;

private:
    CNode *pasted;
    CNode *target;
    CDecisionTreeWindow *window;
    // Whether the tree holds `pasted` (after redo) or this command does.
    bool applied = false;
};
