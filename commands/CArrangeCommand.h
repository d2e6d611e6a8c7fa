#pragma once

#include "CDecisionTreeWindow.h"

#include <QUndoCommand>

#include <vector>

// One arrangement of the whole tree. It keeps positions, not nodes: the
// tree has the same shape whenever the history stands here, but a Terminal
// may have been made afresh since, so node pointers could dangle.
class CArrangeCommand : public QUndoCommand
{
public:
    CArrangeCommand(CDecisionTreeWindow *pWindow, std::vector<NodePosition> before,
                    std::vector<NodePosition> after);

    void undo() override;
    void redo() override;

private:
    CDecisionTreeWindow *window;
    std::vector<NodePosition> before;
    std::vector<NodePosition> after;
};
