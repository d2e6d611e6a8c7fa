#pragma once

// A main window shown and active, its actions triggered by name, and a watch
// on every modal widget that turns up while a handler runs.

#include "CDecisionTreeWindow.h"
#include "CNewProjectDialog.h"
#include "CRamify.h"
#include "EditorTestKit.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUndoCommand>

#include <memory>

namespace ProjectActionsKit {

struct ShownMainWindow
{
    CRamify window;

    ShownMainWindow()
    {
        window.show();
        Activate();
    }
    // The handlers find the project in front through the application's
    // active window; a modal dialog that closed may have taken that away.
    bool Activate()
    {
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }
    QMdiArea *Area() const { return window.findChild<QMdiArea *>(QStringLiteral("mdiArea")); }
    QList<QMdiSubWindow *> SubWindows() const { return Area()->subWindowList(); }
    CDecisionTreeWindow *Tree(int nIndex) const
    {
        return qobject_cast<CDecisionTreeWindow *>(SubWindows().at(nIndex)->widget());
    }
    void Trigger(const char *pName)
    {
        QAction *pAction = window.findChild<QAction *>(QString::fromLatin1(pName));
        QVERIFY2(pAction, pName);
        pAction->trigger();
    }
    // Runs New Project and accepts the dialog with the name it offers, or
    // with strName when one is given.
    void NewProject(const QString &strName = QString())
    {
        EditorTestKit::AnswerModal<CNewProjectDialog>([strName](CNewProjectDialog *pDialog) {
            auto *pEdit = pDialog->findChild<QLineEdit *>(QStringLiteral("lineEditProjectName"));
            if (!strName.isNull())
                pEdit->setText(strName);
            pDialog->findChild<QAbstractButton *>(QStringLiteral("pushButtonOK"))->click();
        });
        Trigger("actionNewProject");
    }
    void OpenProject(const QString &strPath);
};

inline void ShownMainWindow::OpenProject(const QString &strPath)
{
    EditorTestKit::AnswerFileDialog(strPath);
    Trigger("actionOpenProject");
}

// Records and closes every modal widget that shows while it lives.
class ModalWatch
{
public:
    ModalWatch() : timer(std::make_unique<QTimer>())
    {
        QObject::connect(timer.get(), &QTimer::timeout, [this]() {
            QWidget *pModal = QApplication::activeModalWidget();
            if (!pModal)
                return;
            seen << QString::fromLatin1(pModal->metaObject()->className()) + QLatin1Char(' ') +
                        pModal->windowTitle();
            if (auto *pDialog = qobject_cast<QDialog *>(pModal))
                pDialog->reject();
            else
                pModal->close();
        });
        timer->start(5);
    }
    QStringList seen;

private:
    std::unique_ptr<QTimer> timer;
};

// An edit that only counts how often it was done and undone.
class CountingCommand : public QUndoCommand
{
public:
    CountingCommand(int *pRedone, int *pUndone) : redone(pRedone), undone(pUndone) {}
    void redo() override { ++*redone; }
    void undo() override { ++*undone; }

private:
    int *redone;
    int *undone;
};

} // namespace ProjectActionsKit
