#include "CRamify.h"

#include "CAboutDialog.h"
#include "CDecisionTreeWindow.h"
#include "CNewProjectDialog.h"
#include "CRecoveryStore.h"
#include "RamifyResources.h"
#include "ui_CRamify.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

CRamify::CRamify(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::Ramify>())
{
    InitRamifyResources();
    ui->setupUi(this);
    // The form's placeholder goes; the MDI area fills the client area itself.
    setCentralWidget(ui->mdiArea);
}

CRamify::~CRamify() = default;

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

void CRamify::StartRecovery(const QString &strFolder)
{
    delete recoveryStore;
    recoveryStore = new CRecoveryStore(strFolder, this);
    QString strReason;
    if (!recoveryStore->Open(&strReason)) {
        QMessageBox::warning(this, tr("Recovery Copies"),
                             tr("Ramify cannot keep recovery copies of unsaved projects: %1\n\n"
                                "If Ramify ends before a project is saved, its unsaved changes "
                                "are lost.")
                                 .arg(strReason));
        return;
    }
    QTimer::singleShot(0, this, &CRamify::OfferRecoveryCopies);
}

void CRamify::OfferRecoveryCopies()
{
    const QVector<CRecoveryStore::Copy> orphans = recoveryStore->ClaimOrphans();
    for (const CRecoveryStore::Copy &orphan : orphans) {
        const QString strFile = orphan.filePath.isEmpty()
                                    ? tr("It was never saved.")
                                    : tr("Its file is \"%1\".").arg(orphan.filePath);
        QMessageBox question(
            QMessageBox::Question, tr("Recovery"),
            tr("Ramify ended while the project \"%1\" had unsaved changes. A "
               "recovery copy written %2 holds them.\n\n%3")
                .arg(orphan.projectName,
                     QLocale().toString(orphan.written.toLocalTime(), QLocale::LongFormat),
                     strFile),
            QMessageBox::NoButton, this);
        QPushButton *pRecover = question.addButton(tr("Recover"), QMessageBox::AcceptRole);
        QPushButton *pDiscard = question.addButton(tr("Discard"), QMessageBox::DestructiveRole);
        question.setEscapeButton(question.addButton(tr("Later"), QMessageBox::RejectRole));
        question.setDefaultButton(pRecover);
        question.exec();
        if (question.clickedButton() == pDiscard) {
            recoveryStore->DiscardOrphan(orphan);
        } else if (question.clickedButton() == pRecover) {
            CRecoveryStore::Copy adopted;
            QString strReason;
            if (!recoveryStore->AdoptOrphan(orphan, &adopted, &strReason)) {
                QMessageBox::warning(this, tr("Recovery"),
                                     tr("The recovery copy cannot be opened: %1").arg(strReason));
                continue;
            }
            auto *pWindow = new CDecisionTreeWindow(this, QString());
            pWindow->RecoverProject(adopted.ProjectPath(), adopted.filePath);
            ShowTreeWindow(
                pWindow, adopted.filePath.isEmpty() ? pWindow->GetProjectName() : adopted.filePath,
                adopted.id);
        }
    }
    // Copies put off till later stay in their folders for the next start.
    recoveryStore->ReleaseOrphans();
}

void CRamify::ShowTreeWindow(CDecisionTreeWindow *pWindow, const QString &strTitle,
                             const QString &strCopyId)
{
    if (recoveryStore && recoveryStore->IsOpen())
        pWindow->KeepRecoveryCopies(*recoveryStore,
                                    strCopyId.isEmpty() ? recoveryStore->NewCopyId() : strCopyId);
    QMdiSubWindow *pSubWindow = ui->mdiArea->addSubWindow(pWindow);
    pWindow->setWindowTitle(strTitle + QStringLiteral("[*]"));
    // The frame follows later changes of the mark, not one made before it.
    pSubWindow->setWindowModified(pWindow->isWindowModified());
    pSubWindow->showMaximized();
    pSubWindow->setAttribute(Qt::WA_DeleteOnClose);
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
    const QString strPath = QFileDialog::getSaveFileName(
        this, tr("save as"), pWindow->GetFilePath(), tr("Ramify Project File(*.rmproj)"));
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
#ifdef Q_OS_WIN
    const QString strUrl = QStringLiteral("file:///") + QCoreApplication::applicationDirPath() +
                           QDir::separator() + QStringLiteral("help.chm");
    QDesktopServices::openUrl(QUrl(strUrl, QUrl::TolerantMode));
#else
    // No viewer for compiled help exists here; the guide is plain HTML. The
    // program's folder already starts with a slash: "file:///" in front of it
    // would give the path "//folder/...", which is not the guide's.
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/help.html")));
#endif
}

void CRamify::on_actionAbout_triggered()
{
    CAboutDialog dialog;
    dialog.exec();
}
