#pragma once

#include <QObject>
#include <QTemporaryDir>

// One test class for the main window's project actions; its cases are spread
// over tst_projectactions.cpp (new, open, no project in front),
// tst_projectactions_save.cpp (save, close) and tst_projectactions_window.cpp
// (undo, window arrangement, help, about, exit).
class TestProjectActions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // New and open. The first case must stay first: the proposed names count
    // the accepted dialogs of the whole run.
    void newProjectFirstOfRun();
    void newProjectNumbering();
    void emptyNameWarns();
    void namesNeedNotBeUnique();
    void openCancelled();
    void openExampleTwice();
    void openUnreadable_data();
    void openUnreadable();

    // Nothing in front
    void withoutProjectNothingHappens_data();
    void withoutProjectNothingHappens();
    void projectInBackgroundIsNotFound();

    // Save, close
    void saveNewProjectAsksForPath();
    void saveAsCancelled();
    void saveAsNewPath();
    void failedSaveKeepsMark();
    void closeProject_data();
    void closeProject();
    void mainWindowClose_data();
    void mainWindowClose();

    // Undo, arrangement, help, about
    void undoRedoReachFrontProject();
    void undoFinishesTheEditFirst();
    void tileAndCascade();
    void aboutBox();
    void helpOpensGuide();

    // Last: these run the application's own event loop and end it.
    void exitProgram_data();
    void exitProgram();

private:
    QTemporaryDir m_dir;
};
