#include "CRamify.h"

#include "CAboutDialog.h"
#include "CDecisionTreeWindow.h"
#include "CFindBar.h"
#include "CHelpWindow.h"
#include "CNode.h"
#include "CRecentFiles.h"
#include "CRecoveryStore.h"
#include "RamifyResources.h"
#include "ui_CRamify.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QUndoGroup>
#include <QVBoxLayout>

CRamify::CRamify(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::Ramify>())
{
    InitRamifyResources();
    ui->setupUi(this);
    // The form's placeholder goes; the MDI area fills the client area, below
    // the find bar while that shows.
    auto *pCentral = new QWidget(this);
    auto *pCentralLayout = new QVBoxLayout(pCentral);
    pCentralLayout->setContentsMargins(0, 0, 0, 0);
    pCentralLayout->setSpacing(0);
    findBar = new CFindBar(&CRamify::GetActiveTreeWindow, pCentral);
    findBar->hide();
    pCentralLayout->addWidget(findBar);
    pCentralLayout->addWidget(ui->mdiArea);
    setCentralWidget(pCentral);
    ui->actionFind->setShortcuts(QKeySequence::Find);
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
    summaryLabel->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->statusBar->addWidget(summaryLabel, 1);
    // Notices stand beside the summary: a message of the status bar would
    // hide it for as long as the notice shows.
    noticeLabel = new QLabel(ui->statusBar);
    noticeLabel->setObjectName(QStringLiteral("noticeLabel"));
    noticeLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->statusBar->addWidget(noticeLabel, 1);
    noticeLabel->hide();
    noticeTimer = new QTimer(this);
    noticeTimer->setSingleShot(true);
    connect(noticeTimer, &QTimer::timeout, noticeLabel, [this] {
        noticeLabel->clear();
        noticeLabel->hide();
    });
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &CRamify::ShowSummary);
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &CRamify::ShowPanelsOf);
    // Once the area has put the title of the project in front into the main window's.
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this,
            [this] { QTimer::singleShot(0, this, &CRamify::ShowModifiedMark); });
    projectActions = new QActionGroup(this);
    projectActions->setExclusive(true);
    connect(ui->menuWindow, &QMenu::aboutToShow, this, &CRamify::ListProjects);

    ui->actionCut->setShortcuts(QKeySequence::Cut);
    ui->actionCopy->setShortcuts(QKeySequence::Copy);
    ui->actionPaste->setShortcuts(QKeySequence::Paste);
    ui->actionDelete->setShortcuts(QKeySequence::Delete);
    undoGroup = new QUndoGroup(this);
    connect(undoGroup, &QUndoGroup::undoTextChanged, this, &CRamify::ShowEditState);
    connect(undoGroup, &QUndoGroup::redoTextChanged, this, &CRamify::ShowEditState);
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &CRamify::ShowEditState);
    ShowEditState();

    recentFiles = new CRecentFiles(ui->menuOpenRecent, this);
    connect(recentFiles, &CRecentFiles::sig_openRequested, this, &CRamify::OpenProject);
    // The choice of the last run; the form's default when there was none.
    ui->actionArrangeAutomatically->setChecked(
        QSettings()
            .value(ArrangeAutomaticallyKey(), ui->actionArrangeAutomatically->isChecked())
            .toBool());
    ui->actionShowCombined->setChecked(QSettings().value(ShowCombinedKey(), false).toBool());
}

CRamify::~CRamify()
{
    // Sub-windows are hidden as the window goes, which activates others, and
    // they go after this part of the window is gone: nothing the area reports
    // about them may reach the zoom or summary display of a window half torn
    // down.
    ui->mdiArea->disconnect(this);
    // Their histories leave the group as they go, and it reports each.
    undoGroup->disconnect(this);
}

CDecisionTreeWindow *CRamify::GetActiveTreeWindow()
{
    // The project in front is the one of the application's active window, so
    // nothing is found while the program is in the background.
    auto *pMainWindow = qobject_cast<QMainWindow *>(QApplication::activeWindow());
    if (!pMainWindow)
        return nullptr;
    auto *pArea = pMainWindow->findChild<QMdiArea *>();
    if (!pArea || !pArea->activeSubWindow())
        return nullptr;
    return qobject_cast<CDecisionTreeWindow *>(pArea->activeSubWindow()->widget());
}

void CRamify::ShowTreeWindow(CDecisionTreeWindow *pWindow, const QString &strTitle,
                             const QString &strCopyId)
{
    if (recoveryStore && recoveryStore->IsOpen())
        pWindow->KeepRecoveryCopies(*recoveryStore,
                                    strCopyId.isEmpty() ? recoveryStore->NewCopyId() : strCopyId);
    pWindow->SetArrangeAutomatically(ui->actionArrangeAutomatically->isChecked());
    pWindow->SetShowCombined(ui->actionShowCombined->isChecked());
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
    connect(&pWindow->GetDocument(), &CProjectDocument::sig_modifiedChanged, this,
            &CRamify::ShowModifiedMark);
    // Said once the window shows: it was read before anyone could listen.
    if (pWindow->GetDocument().StoredValuesWereStale())
        ShowNotice(CDecisionTreeWindow::StaleValuesMessage(), 30000);
    connect(pWindow, &CDecisionTreeWindow::sig_statusMessage, this,
            [this](const QString &strMessage) { ShowNotice(strMessage, 10000); });
    undoGroup->addStack(pWindow->GetUndoStack());
    connect(pWindow, &CDecisionTreeWindow::sig_summaryChanged, this, &CRamify::ShowEditState);
    connect(pWindow, &CDecisionTreeWindow::sig_clipboardChanged, this, &CRamify::ShowEditState);
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

void CRamify::ShowNotice(const QString &strText, int nMilliseconds)
{
    noticeLabel->setText(strText);
    noticeLabel->setToolTip(strText);
    noticeLabel->show();
    noticeTimer->start(nMilliseconds);
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

QStringList CRamify::ProjectFiles(const QMimeData *pData)
{
    QStringList files;
    if (!pData || !pData->hasUrls())
        return files;
    for (const QUrl &url : pData->urls()) {
        const QString strPath = url.toLocalFile();
        if (strPath.endsWith(QLatin1String(".rmproj"), Qt::CaseInsensitive) ||
            strPath.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
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
