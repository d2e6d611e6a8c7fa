#include "CRamify.h"

#include "CAboutDialog.h"
#include "CDecisionTreeWindow.h"
#include "CHelpWindow.h"
#include "CNewProjectDialog.h"
#include "CProjectFileDialog.h"
#include "RamifyResources.h"
#include "ui_CRamify.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QUndoStack>

CRamify::CRamify(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::Ramify>())
{
    InitRamifyResources();
    ui->setupUi(this);
    // The form's placeholder goes; the MDI area fills the client area itself.
    setCentralWidget(ui->mdiArea);
    // The platform's own keys, besides the form's Ctrl+S, Ctrl+Z and Ctrl+Y.
    ui->actionNewProject->setShortcuts(QKeySequence::New);
    ui->actionOpenProject->setShortcuts(QKeySequence::Open);
    ui->actionSaveAs->setShortcuts(QKeySequence::SaveAs);
    // Many desktops bind no key to Save As; the usual one then.
    if (ui->actionSaveAs->shortcuts().isEmpty())
        ui->actionSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ui->actionCloseProject->setShortcuts(QKeySequence::Close);
    ui->actionExit->setShortcuts(QKeySequence::Quit);
    ui->actionHelp->setShortcuts(QKeySequence::HelpContents);

    // A widget of the status bar rather than a message, which the tips of
    // menu entries would wipe out. It must not widen the window for a long name.
    summaryLabel = new QLabel(ui->statusBar);
    summaryLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->statusBar->addWidget(summaryLabel, 1);
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &CRamify::ShowSummary);
}

CRamify::~CRamify()
{
    // The sub-windows go after this part of the window is gone; what the area
    // reports about them then must not reach it.
    ui->mdiArea->disconnect(this);
}

CDecisionTreeWindow *CRamify::GetActiveTreeWindow()
{
    // The project in front is the one of the application's active window, so
    // nothing is found while the program is in the background.
    auto *pMainWindow = qobject_cast<QMainWindow *>(QApplication::activeWindow());
    if (!pMainWindow)
        return nullptr;
    auto *pArea = qobject_cast<QMdiArea *>(pMainWindow->centralWidget());
    if (!pArea || !pArea->activeSubWindow())
        return nullptr;
    return qobject_cast<CDecisionTreeWindow *>(pArea->activeSubWindow()->widget());
}

void CRamify::ShowTreeWindow(CDecisionTreeWindow *pWindow, const QString &strTitle)
{
    QMdiSubWindow *pSubWindow = ui->mdiArea->addSubWindow(pWindow);
    pWindow->setWindowTitle(strTitle + QStringLiteral("[*]"));
    pSubWindow->showMaximized();
    pSubWindow->setAttribute(Qt::WA_DeleteOnClose);
    // The sub-window's own menu claims the keys of Close Project too, and two
    // owners of one key make it do nothing at all.
    if (QMenu *pMenu = pSubWindow->systemMenu())
        for (QAction *pAction : pMenu->actions())
            if (pAction->shortcuts() == ui->actionCloseProject->shortcuts())
                pAction->setShortcuts(QList<QKeySequence>());
    connect(pWindow, &CDecisionTreeWindow::sig_summaryChanged, this, &CRamify::ShowSummary);
}

void CRamify::ShowSummary()
{
    // The sub-window in front of this main window, whether or not the
    // program itself is in front.
    QMdiSubWindow *pSubWindow = ui->mdiArea->activeSubWindow();
    auto *pWindow =
        pSubWindow ? qobject_cast<CDecisionTreeWindow *>(pSubWindow->widget()) : nullptr;
    summaryLabel->setText(pWindow ? pWindow->SelectionSummary() : QString());
}

void CRamify::on_actionNewProject_triggered()
{
    CNewProjectDialog dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString strName = dialog.GetProjectName();
    auto *pWindow = new CDecisionTreeWindow(this, strName);
    ShowTreeWindow(pWindow, strName);
    pWindow->NewProject(strName);
}

void CRamify::on_actionOpenProject_triggered()
{
    const QString strPath = QFileDialog::getOpenFileName(this, tr("Open File"), QString(),
                                                         tr("Ramify Project File(*.rmproj)"));
    if (strPath.isEmpty())
        return;
    auto *pWindow = new CDecisionTreeWindow(this, QString());
    // A file that could not be read completely has been reported by the
    // window; what it could read is still shown.
    pWindow->LoadProject(strPath);
    ShowTreeWindow(pWindow, strPath);
}

void CRamify::on_actionSaveProject_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (pWindow && pWindow->SaveProject())
        pWindow->setWindowModified(false);
}

void CRamify::on_actionSaveAs_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    const QString strPath =
        CProjectFileDialog::GetSavePath(this, tr("save as"), pWindow->GetFilePath());
    if (strPath.isEmpty())
        return;
    pWindow->SetFilePath(strPath);
    if (pWindow->SaveProject())
        pWindow->setWindowModified(false);
}

void CRamify::on_actionCloseProject_triggered()
{
    if (GetActiveTreeWindow())
        ui->mdiArea->closeActiveSubWindow();
}

bool CRamify::CloseAllProjects()
{
    ui->mdiArea->closeAllSubWindows();
    return ui->mdiArea->subWindowList().isEmpty();
}

void CRamify::on_actionExit_triggered()
{
    // Ending through the event loop, not on the spot, lets every window and
    // the application object be torn down in order.
    if (CloseAllProjects())
        QCoreApplication::exit(0);
}

void CRamify::closeEvent(QCloseEvent *event)
{
    // Closing the main window must not drop projects without their question.
    if (CloseAllProjects())
        event->accept();
    else
        event->ignore();
}

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

void CRamify::on_actionTitle_triggered()
{
    ui->mdiArea->tileSubWindows();
}

void CRamify::on_actionCascade_triggered()
{
    ui->mdiArea->cascadeSubWindows();
}

void CRamify::on_actionHelp_triggered()
{
    // Help that silently does nothing looks like help that worked.
    const QString strGuide = CHelpWindow::FindGuide();
    if (strGuide.isEmpty()) {
        QStringList places;
        for (const QString &strPlace : CHelpWindow::GuidePlaces())
            places << QDir::toNativeSeparators(strPlace);
        QMessageBox::warning(this, tr("Help"),
                             tr("The user guide help.html cannot be found. It belongs in one of "
                                "these places:\n%1")
                                 .arg(places.join(QLatin1Char('\n'))));
        return;
    }
    auto *pHelp = findChild<CHelpWindow *>();
    if (!pHelp)
        pHelp = new CHelpWindow(strGuide, this);
    pHelp->show();
    pHelp->raise();
    pHelp->activateWindow();
}

void CRamify::on_actionAbout_triggered()
{
    CAboutDialog dialog;
    dialog.exec();
}
