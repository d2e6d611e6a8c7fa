#pragma once

#include <QMainWindow>

#include <memory>

class CAnalysisPanel;
class CDecisionTreeWindow;
class CNode;

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

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_actionNewProject_triggered();
    void on_actionOpenProject_triggered();
    void on_actionSaveProject_triggered();
    void on_actionSaveAs_triggered();
    void on_actionCloseProject_triggered();
    void on_actionExit_triggered();
    void on_actionUndo_triggered();
    void on_actionRedo_triggered();
    void on_actionTitle_triggered();
    void on_actionCascade_triggered();
    void on_actionTornado_triggered();
    void on_actionHelp_triggered();
    void on_actionAbout_triggered();

private:
    void ShowTreeWindow(CDecisionTreeWindow *pWindow, const QString &strTitle);
    void ShowSensitivity(CDecisionTreeWindow *pWindow, const CNode *pOption);
    // Docks an analysis of a project beside the projects; it closes with the
    // project.
    void AddPanel(CAnalysisPanel *pPanel, const QString &strTitle);
    // The panel of that kind showing the project, or null.
    template <typename Panel> Panel *FindPanel(const CDecisionTreeWindow *pWindow) const;
    // Asks every project to close; true when none is left open.
    bool CloseAllProjects();

    std::unique_ptr<Ui::Ramify> ui;
};
