// The main window's View and Window menus and the zoom in the status bar.
#include "CRamify.h"

#include "CDecisionTreeWindow.h"
#include "ContextAction.h"
#include "ui_CRamify.h"

#include <QActionGroup>
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

void CRamify::ListProjects()
{
    for (QAction *pAction : projectActions->actions())
        delete pAction;
    const QList<QMdiSubWindow *> subWindows = ui->mdiArea->subWindowList();
    if (subWindows.isEmpty())
        return;
    projectActions->addAction(ui->menuWindow->addSeparator());
    for (int i = 0; i < subWindows.size(); ++i) {
        QMdiSubWindow *pSubWindow = subWindows[i];
        QString strTitle = pSubWindow->widget()->windowTitle();
        strTitle.replace(QLatin1String("[*]"), pSubWindow->widget()->isWindowModified()
                                                   ? QStringLiteral("*")
                                                   : QString());
        // An ampersand of the title is no mnemonic; the first nine get a digit.
        strTitle.replace(QLatin1Char('&'), QLatin1String("&&"));
        if (i < 9)
            strTitle = QStringLiteral("&%1 %2").arg(i + 1).arg(strTitle);
        QAction *pAction = ui->menuWindow->addAction(strTitle);
        pAction->setCheckable(true);
        pAction->setChecked(pSubWindow == ui->mdiArea->activeSubWindow());
        projectActions->addAction(pAction);
        connect(pAction, &QAction::triggered, this, [this, pSubWindow] {
            if (ui->mdiArea->subWindowList().contains(pSubWindow))
                ui->mdiArea->setActiveSubWindow(pSubWindow);
        });
    }
}

void CRamify::ShowModifiedMark()
{
    // Qt puts a maximised project's title into the main window's, but sets
    // the mark only when it changes, so that closing another project left
    // the title of the one now in front without its mark.
    if (!windowTitle().contains(QLatin1String("[*]")))
        return;
    QMdiSubWindow *pSubWindow = ui->mdiArea->activeSubWindow();
    setWindowModified(pSubWindow && pSubWindow->widget() &&
                      pSubWindow->widget()->isWindowModified());
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

void CRamify::on_actionShowCombined_toggled(bool bOn)
{
    // A way of looking, as Arrange Automatically is a way of working: the
    // same for every project, kept for the next run, never in a file.
    QSettings().setValue(ShowCombinedKey(), bOn);
    for (QMdiSubWindow *pSubWindow : ui->mdiArea->subWindowList())
        if (auto *pWindow = qobject_cast<CDecisionTreeWindow *>(pSubWindow->widget()))
            pWindow->SetShowCombined(bOn);
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
