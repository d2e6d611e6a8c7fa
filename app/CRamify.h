#pragma once

#include <QMainWindow>

#include <memory>

class CDecisionTreeWindow;
class QLabel;

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
    void on_actionHelp_triggered();
    void on_actionAbout_triggered();

private:
    void ShowTreeWindow(CDecisionTreeWindow *pWindow, const QString &strTitle);
    // Asks every project to close; true when none is left open.
    bool CloseAllProjects();
    // Puts the selected node of the active project into the status bar.
    void ShowSummary();

    std::unique_ptr<Ui::Ramify> ui;
    QLabel *summaryLabel = nullptr;
};
