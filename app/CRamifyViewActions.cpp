// The main window's View and Window menus and the zoom in the status bar.
#include "CRamify.h"

#include "CDecisionTreeWindow.h"
#include "ContextAction.h"
#include "ui_CRamify.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>

void CRamify::on_actionTitle_triggered()
{
    ui->mdiArea->tileSubWindows();
}

void CRamify::on_actionCascade_triggered()
{
    ui->mdiArea->cascadeSubWindows();
}

void CRamify::ShowZoom()
{
    CDecisionTreeWindow *pWindow = nullptr;
    if (QMdiSubWindow *pSubWindow = ui->mdiArea->activeSubWindow())
        pWindow = qobject_cast<CDecisionTreeWindow *>(pSubWindow->widget());
    zoomLabel->setText(pWindow ? tr("Zoom %1 %").arg(qRound(pWindow->GetZoom() * 100)) : QString());
}

void CRamify::on_actionArrangeTree_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow())
        pWindow->ArrangeTree();
}

void CRamify::on_actionArrangeAutomatically_toggled(bool bOn)
{
    // A choice for the whole program: every open project follows it, and
    // so does the next run.
    QSettings().setValue(ArrangeAutomaticallyKey(), bOn);
    for (QMdiSubWindow *pSubWindow : ui->mdiArea->subWindowList())
        if (auto *pWindow = qobject_cast<CDecisionTreeWindow *>(pSubWindow->widget()))
            pWindow->SetArrangeAutomatically(bOn);
}

void CRamify::on_actionZoomIn_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow())
        pWindow->ZoomIn();
}

void CRamify::on_actionZoomOut_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow())
        pWindow->ZoomOut();
}

void CRamify::on_actionActualSize_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow())
        pWindow->ActualSize();
}

void CRamify::on_actionFitTree_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow())
        pWindow->FitTree();
}

// Fold and Unfold act on the node selected, as its menu does.
void CRamify::on_actionFold_triggered()
{
    ActOnSelection(ContextAction::ActionFold);
}

void CRamify::on_actionUnfold_triggered()
{
    ActOnSelection(ContextAction::ActionUnfold);
}

void CRamify::on_actionUnfoldAll_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow())
        pWindow->UnfoldAll();
}
