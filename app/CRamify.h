#pragma once

#include "TextNumber.h"

#include <QMainWindow>

#include <memory>

class CAnalysisPanel;
class CDecisionTreeWindow;
class CFindBar;
class CNode;
class CRecentFiles;
class CRecoveryStore;
class QLabel;
class QActionGroup;
class QMdiSubWindow;
class QMimeData;
class QTimer;
class QUndoGroup;

namespace Ui {
class Ramify;
}

// The main window: menus, tool bar and the multi-document area in which every
// open project has its own sub-window.
class CRamify : public QMainWindow
{
    Q_OBJECT

public:
    explicit CRamify(QWidget *parent = nullptr);
    ~CRamify() override;

    // The tree editor window of the project in front, or null.
    static CDecisionTreeWindow *GetActiveTreeWindow();

    // Keeps recovery copies of unsaved projects in strFolder from now on,
    // and offers the copies that earlier runs left there once the event
    // loop runs. Says so when copies cannot be kept.
    void StartRecovery(const QString &strFolder);
    // Opens a project file in a sub-window of its own, as Open Project does
    // for the file the user chose.
    void OpenProject(const QString &strPath);

protected:
    void closeEvent(QCloseEvent *event) override;
    // Project files dropped on the window are opened.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void on_actionNewProject_triggered();
    void on_actionOpenProject_triggered();
    void on_actionSaveProject_triggered();
    void on_actionProjectSettings_triggered();
    void on_actionSaveAs_triggered();
    void on_actionCloseProject_triggered();
    void on_actionExit_triggered();
    void on_actionUndo_triggered();
    void on_actionRedo_triggered();
    void on_actionCut_triggered();
    void on_actionCopy_triggered();
    void on_actionPaste_triggered();
    void on_actionDelete_triggered();
    void on_actionFlip_triggered();
    void on_actionFind_triggered();
    void on_actionTitle_triggered();
    void on_actionCascade_triggered();
    void on_actionTornado_triggered();
    void on_actionTwoWay_triggered();
    void on_actionVariables_triggered();
    void on_actionValueOfInformation_triggered();
    void on_actionRiskProfile_triggered();
    void on_actionLeagueTable_triggered();
    void on_actionProbabilisticSensitivity_triggered();
    void on_actionHelp_triggered();
    void on_actionAbout_triggered();
    void on_actionExportPicture_triggered();
    void on_actionExportTree_triggered();
    void on_actionPrint_triggered();
    void on_actionCopyPicture_triggered();
    void on_actionArrangeTree_triggered();
    void on_actionArrangeAutomatically_toggled(bool bOn);
    void on_actionShowCombined_toggled(bool bOn);
    void on_actionZoomIn_triggered();
    void on_actionZoomOut_triggered();
    void on_actionActualSize_triggered();
    void on_actionFitTree_triggered();
    void on_actionFold_triggered();
    void on_actionUnfold_triggered();
    void on_actionUnfoldAll_triggered();
    void ShowZoom();

private:
    void ShowTreeWindow(CDecisionTreeWindow *pWindow, const QString &strTitle,
                        const QString &strCopyId = QString());
    void OfferRecoveryCopies();
    void ShowSensitivity(CDecisionTreeWindow *pWindow, const CNode *pOption);
    void ShowVariableSensitivity(CDecisionTreeWindow *pWindow, const QString &strVariable);
    // Docks an analysis of a project beside the projects; it closes with the
    // project and shows only while the project is in front.
    void AddPanel(CAnalysisPanel *pPanel, const QString &strTitle);
    void ShowPanelsOf(QMdiSubWindow *pSubWindow);
    // The panel of that kind showing the project, or null.
    template <typename Panel> Panel *FindPanel(const CDecisionTreeWindow *pWindow) const;
    // Raises the active project's panel of this kind, or opens one.
    template <typename Panel> void ShowPanel(const QString &strTitle);
    // Asks every project to close; true when none is left open.
    bool CloseAllProjects();
    // The project files among dropped or dragged URLs.
    static QStringList ProjectFiles(const QMimeData *pData);
    // Puts the selected node of the active project into the status bar.
    void ShowSummary();
    // The Window menu lists the open projects after its own entries, the
    // one in front checked; choosing one brings it to the front.
    void ListProjects();
    // The main window's title shows the mark of the project in front, which
    // it names while that project fills the area.
    void ShowModifiedMark();
    // Shows a notice beside the summary for a while.
    void ShowNotice(const QString &strText, int nMilliseconds);
    // The Edit menu follows the project in front: what Undo and Redo would
    // do, and which node actions its selection admits.
    void ShowEditState();
    void ActOnSelection(int nAction);
    static QString ArrangeAutomaticallyKey() { return QStringLiteral("ArrangeAutomatically"); }
    static QString ShowCombinedKey() { return QStringLiteral("ShowCombinedValue"); }
    // The number format last chosen in Project Settings, which a new project takes.
    static NumberFormat RememberedNumberFormat();
    static void RememberNumberFormat(const NumberFormat &format);

    std::unique_ptr<Ui::Ramify> ui;
    QLabel *zoomLabel = nullptr;
    QLabel *summaryLabel = nullptr;
    QLabel *noticeLabel = nullptr;
    QTimer *noticeTimer = nullptr;
    CRecoveryStore *recoveryStore = nullptr;
    // Holds every project's history; the one in front is its active stack.
    QUndoGroup *undoGroup = nullptr;
    CRecentFiles *recentFiles = nullptr;
    CFindBar *findBar = nullptr;
    QActionGroup *projectActions = nullptr;
};
