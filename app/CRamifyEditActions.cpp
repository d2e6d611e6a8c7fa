// The main window's Edit menu, acting on the project in front.
#include "CRamify.h"

#include "CDecisionTreeWindow.h"
#include "CFindBar.h"
#include "ContextAction.h"
#include "ui_CRamify.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUndoGroup>
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

void CRamify::on_actionCut_triggered()
{
    ActOnSelection(ContextAction::ActionCut);
}

void CRamify::on_actionCopy_triggered()
{
    ActOnSelection(ContextAction::ActionCopy);
}

void CRamify::on_actionPaste_triggered()
{
    ActOnSelection(ContextAction::ActionPaste);
}

void CRamify::on_actionDelete_triggered()
{
    ActOnSelection(ContextAction::ActionDelete);
}

void CRamify::on_actionFlip_triggered()
{
    ActOnSelection(ContextAction::ActionFlip);
}

void CRamify::ActOnSelection(int nAction)
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow())
        pWindow->ActOnSelection(nAction);
}

void CRamify::ShowEditState()
{
    // The project in front of this main window, also while the program is
    // in the background: the menu must be right when it comes back.
    QMdiSubWindow *pSubWindow = ui->mdiArea->currentSubWindow();
    auto *pWindow =
        pSubWindow ? qobject_cast<CDecisionTreeWindow *>(pSubWindow->widget()) : nullptr;
    undoGroup->setActiveStack(pWindow ? pWindow->GetUndoStack() : nullptr);
    // Undo and Redo stay enabled with nothing to take back: choosing them
    // also finishes a text being typed, which then becomes the step.
    const QString strUndo = undoGroup->undoText();
    const QString strRedo = undoGroup->redoText();
    ui->actionUndo->setText(strUndo.isEmpty() ? tr("Undo") : tr("Undo %1").arg(strUndo));
    ui->actionRedo->setText(strRedo.isEmpty() ? tr("Redo") : tr("Redo %1").arg(strRedo));
    // The canvas keys obey the same rule: with an entry disabled here, its key
    // reaches the canvas, which refuses it as well.
    const struct
    {
        QAction *action;
        int nCode;
    } entries[] = {{ui->actionCut, ContextAction::ActionCut},
                   {ui->actionCopy, ContextAction::ActionCopy},
                   {ui->actionPaste, ContextAction::ActionPaste},
                   {ui->actionDelete, ContextAction::ActionDelete},
                   {ui->actionFlip, ContextAction::ActionFlip}};
    for (const auto &entry : entries)
        entry.action->setEnabled(pWindow && pWindow->AllowsOnSelection(entry.nCode));
}

void CRamify::on_actionFind_triggered()
{
    findBar->Open();
}
