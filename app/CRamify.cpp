#include "CRamify.h"

#include "CAboutDialog.h"
#include "CDecisionTreeWindow.h"
#include "CHelpWindow.h"
#include "CNewProjectDialog.h"
#include "CNode.h"
#include "CProjectFileDialog.h"
#include "CRecoveryStore.h"
#include "CRiskProfilePanel.h"
#include "CSensitivityPanel.h"
#include "CTornadoPanel.h"
#include "CTreePicture.h"
#include "CValueOfInformationPanel.h"
#include "RamifyResources.h"
#include "ui_CRamify.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>

CRamify::CRamify(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::Ramify>())
{
    InitRamifyResources();
    ui->setupUi(this);
    // The form's placeholder goes; the MDI area fills the client area itself.
    setCentralWidget(ui->mdiArea);
    // Ctrl+= zooms in as well: on most keyboards "+" needs Shift.
    ui->actionZoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL + Qt::Key_Plus), QKeySequence(Qt::CTRL + Qt::Key_Equal)});
    zoomLabel = new QLabel(this);
    ui->statusBar->addPermanentWidget(zoomLabel);
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &CRamify::ShowZoom);
    setAcceptDrops(true);
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
    // Sub-windows are hidden as the window goes, which activates others, and
    // they go after this part of the window is gone: nothing the area reports
    // about them may reach the zoom or summary display of a window half torn
    // down.
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
    pWindow->SetArrangeAutomatically(ui->actionArrangeAutomatically->isChecked());
    connect(pWindow, &CDecisionTreeWindow::sig_zoomChanged, this, &CRamify::ShowZoom);
    QMdiSubWindow *pSubWindow = ui->mdiArea->addSubWindow(pWindow);
    pWindow->setWindowTitle(strTitle + QStringLiteral("[*]"));
    // The frame follows later changes of the mark, not one made before it.
    pSubWindow->setWindowModified(pWindow->isWindowModified());
    pSubWindow->showMaximized();
    pSubWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(pWindow, &CDecisionTreeWindow::sig_sensitivityRequested, this,
            [this, pWindow](CNode *pOption) { ShowSensitivity(pWindow, pOption); });
    // The sub-window's own menu claims the keys of Close Project too, and two
    // owners of one key make it do nothing at all.
    if (QMenu *pMenu = pSubWindow->systemMenu())
        for (QAction *pAction : pMenu->actions())
            if (pAction->shortcuts() == ui->actionCloseProject->shortcuts())
                pAction->setShortcuts(QList<QKeySequence>());
    connect(pWindow, &CDecisionTreeWindow::sig_summaryChanged, this, &CRamify::ShowSummary);
}

template <typename Panel> Panel *CRamify::FindPanel(const CDecisionTreeWindow *pWindow) const
{
    for (Panel *pPanel : findChildren<Panel *>())
        if (pPanel->Window() == pWindow)
            return pPanel;
    return nullptr;
}

void CRamify::AddPanel(CAnalysisPanel *pPanel, const QString &strTitle)
{
    QDockWidget *pBeside = nullptr;
    for (QDockWidget *pDock : findChildren<QDockWidget *>())
        if (qobject_cast<CAnalysisPanel *>(pDock->widget()))
            pBeside = pDock;
    auto *pDock = new QDockWidget(strTitle, this);
    pDock->setAttribute(Qt::WA_DeleteOnClose);
    pDock->setWidget(pPanel);
    addDockWidget(Qt::RightDockWidgetArea, pDock);
    if (pBeside)
        tabifyDockWidget(pBeside, pDock);
    // The panel shows one project's tree; without the project it has nothing
    // to show.
    connect(pPanel->Window(), &QObject::destroyed, pDock, &QObject::deleteLater);
    pDock->show();
    pDock->raise();
    // A chart needs room; the first dock takes two fifths of the window.
    if (!pBeside)
        resizeDocks({pDock}, {width() * 2 / 5}, Qt::Horizontal);
}

void CRamify::ShowSensitivity(CDecisionTreeWindow *pWindow, const CNode *pOption)
{
    if (auto *pPanel = FindPanel<CSensitivityPanel>(pWindow)) {
        pPanel->SetOption(pOption);
        pPanel->parentWidget()->raise();
        return;
    }
    AddPanel(new CSensitivityPanel(pWindow, pOption),
             tr("Sensitivity: %1").arg(pWindow->GetProjectName()));
}

template <typename Panel> void CRamify::ShowPanel(const QString &strTitle)
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    if (auto *pPanel = FindPanel<Panel>(pWindow)) {
        pPanel->parentWidget()->raise();
        return;
    }
    AddPanel(new Panel(pWindow), strTitle.arg(pWindow->GetProjectName()));
}

void CRamify::on_actionTornado_triggered()
{
    ShowPanel<CTornadoPanel>(tr("Tornado: %1"));
}

void CRamify::on_actionValueOfInformation_triggered()
{
    ShowPanel<CValueOfInformationPanel>(tr("Value of Information: %1"));
}

void CRamify::on_actionRiskProfile_triggered()
{
    ShowPanel<CRiskProfilePanel>(tr("Risk Profile: %1"));
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
    if (!strPath.isEmpty())
        OpenProject(strPath);
}

void CRamify::OpenProject(const QString &strPath)
{
    auto *pWindow = new CDecisionTreeWindow(this, QString());
    // Arranged as it opens when the user asked for that.
    pWindow->SetArrangeAutomatically(ui->actionArrangeAutomatically->isChecked());
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
    // A choice for the whole program: every open project follows it.
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

void CRamify::on_actionExportPicture_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    QString strFilter;
    QString strPath = QFileDialog::getSaveFileName(
        this, tr("Export Picture"), QString(),
        tr("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), &strFilter);
    if (strPath.isEmpty())
        return;
    // A name without a suffix gets the one of the kind chosen in the dialog.
    if (QFileInfo(strPath).suffix().isEmpty())
        strPath += strFilter.contains(QLatin1String("svg"))   ? QStringLiteral(".svg")
                   : strFilter.contains(QLatin1String("pdf")) ? QStringLiteral(".pdf")
                                                              : QStringLiteral(".png");
    QString strError;
    if (!CTreePicture::Write(pWindow, strPath, &strError))
        QMessageBox::warning(this, tr("Export Picture"), strError);
}

void CRamify::on_actionPrint_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow || pWindow->PictureRect().isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(pWindow->GetProjectName());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter(&printer);
    // The whole tree on the page, as large as the page allows.
    pWindow->RenderPicture(&painter, QRectF(QPointF(0, 0), painter.viewport().size()));
}

void CRamify::on_actionCopyPicture_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow()) {
        const QImage image = CTreePicture::Image(pWindow, 1.0);
        if (!image.isNull())
            QApplication::clipboard()->setImage(image);
    }
}

QStringList CRamify::ProjectFiles(const QMimeData *pData)
{
    QStringList files;
    if (!pData || !pData->hasUrls())
        return files;
    for (const QUrl &url : pData->urls()) {
        const QString strPath = url.toLocalFile();
        if (strPath.endsWith(QLatin1String(".rmproj"), Qt::CaseInsensitive))
            files << strPath;
    }
    return files;
}

void CRamify::dragEnterEvent(QDragEnterEvent *event)
{
    if (!ProjectFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CRamify::dropEvent(QDropEvent *event)
{
    const QStringList files = ProjectFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    for (const QString &strPath : files)
        OpenProject(strPath);
}
