// The main window's Edit menu, acting on the project in front.
#include "CRamify.h"

#include "CDecisionTreeWindow.h"

#include <QUndoStack>

// A text still being typed into is finished first: undo then takes back that
// edit, instead of moving the tree under it and leaving the typed value behind
// in a node without an undo step.
void CRamify::on_actionUndo_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow()) {
        pWindow->FinishEditing();
        pWindow->GetUndoStack()->undo();
    }
}

void CRamify::on_actionRedo_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow()) {
        pWindow->FinishEditing();
        pWindow->GetUndoStack()->redo();
    }
}
