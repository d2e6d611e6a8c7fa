#include "tst_projectactions.h"

#include "CNode.h"
#include "GuiTestMain.h"
#include "ProjectActionsKit.h"

#include <QDir>
#include <QFile>
#include <QUndoStack>

using namespace EditorTestKit;
using namespace ProjectActionsKit;

namespace {

// The name a new-project dialog offers, read from a dialog that is then
// cancelled.
QString OfferedName(ShownMainWindow &shown)
{
    QString strOffered;
    AnswerModal<CNewProjectDialog>([&strOffered](CNewProjectDialog *pDialog) {
        strOffered = pDialog->findChild<QLineEdit *>(QStringLiteral("lineEditProjectName"))->text();
        pDialog->findChild<QAbstractButton *>(QStringLiteral("pushButtonCancel"))->click();
    });
    shown.Trigger("actionNewProject");
    return strOffered;
}

int VisibleTopLevels()
{
    int nVisible = 0;
    for (const QWidget *pWidget : QApplication::topLevelWidgets())
        nVisible += pWidget->isVisible() ? 1 : 0;
    return nVisible;
}

} // namespace

void TestProjectActions::init()
{
    QVERIFY(m_dir.isValid());
}

void TestProjectActions::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestProjectActions::newProjectFirstOfRun()
{
    ShownMainWindow shown;
    shown.NewProject();
    QCOMPARE(shown.SubWindows().size(), 1);
    QMdiSubWindow *pSub = shown.SubWindows().front();
    CDecisionTreeWindow *pTree = shown.Tree(0);
    QVERIFY(pTree);
    QCOMPARE(pTree->windowTitle(), QStringLiteral("Project1[*]"));
    QVERIFY(!pTree->isWindowModified());
    QVERIFY(pSub->isMaximized());
    QVERIFY(pSub->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(pTree->GetFilePath().isEmpty());
    QCOMPARE(pTree->GetTree().GetRoot()->name, std::string("Project1"));
    QVERIFY(shown.Activate());
    QCOMPARE(CRamify::GetActiveTreeWindow(), pTree);
    // A maximised sub-window shows its name in the main window's title,
    // without the mark of an unmodified project.
    QCOMPARE(shown.window.windowHandle()->title(), QStringLiteral("Ramify - [Project1]"));
    QCOMPARE(OfferedName(shown), QStringLiteral("Project2"));
}

void TestProjectActions::newProjectNumbering()
{
    ShownMainWindow shown;
    const QString strFirst = OfferedName(shown);
    QVERIFY(strFirst.startsWith(QLatin1String("Project")));
    const int nFirst = strFirst.mid(7).toInt();
    QVERIFY(nFirst >= 1);
    // A cancelled dialog neither counts nor opens anything.
    QCOMPARE(OfferedName(shown), strFirst);
    QVERIFY(shown.SubWindows().isEmpty());

    shown.NewProject();
    QCOMPARE(shown.Tree(0)->windowTitle(), strFirst + QStringLiteral("[*]"));
    // A typed name counts like the offered one.
    shown.NewProject(QStringLiteral("Mine"));
    QCOMPARE(shown.Tree(1)->windowTitle(), QStringLiteral("Mine[*]"));
    QCOMPARE(OfferedName(shown), QStringLiteral("Project%1").arg(nFirst + 2));
}

void TestProjectActions::emptyNameWarns()
{
    ShownMainWindow shown;
    const QString strOffered = OfferedName(shown);
    QString strWarning;
    bool bStayedOpen = false;
    AnswerModal<CNewProjectDialog>([&](CNewProjectDialog *pDialog) {
        pDialog->findChild<QLineEdit *>(QStringLiteral("lineEditProjectName"))->clear();
        AnswerMessageBox(QMessageBox::Ok, &strWarning);
        pDialog->findChild<QAbstractButton *>(QStringLiteral("pushButtonOK"))->click();
        // Back from the warning, the dialog waits for another try.
        bStayedOpen = pDialog->isVisible();
        pDialog->reject();
    });
    shown.Trigger("actionNewProject");
    QCOMPARE(strWarning, QStringLiteral("Error!\nThe project name must not be empty!"));
    QVERIFY(bStayedOpen);
    QVERIFY(shown.SubWindows().isEmpty());
    QCOMPARE(OfferedName(shown), strOffered);
}

void TestProjectActions::namesNeedNotBeUnique()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Same"));
    shown.NewProject(QStringLiteral("Same"));
    QCOMPARE(shown.SubWindows().size(), 2);
    QCOMPARE(shown.Tree(0)->windowTitle(), QStringLiteral("Same[*]"));
    QCOMPARE(shown.Tree(1)->windowTitle(), QStringLiteral("Same[*]"));
}

void TestProjectActions::openCancelled()
{
    ShownMainWindow shown;
    shown.OpenProject(QString());
    QVERIFY(shown.SubWindows().isEmpty());
}

void TestProjectActions::openExampleTwice()
{
    const QString strPath =
        QDir(QStringLiteral(RAMIFY_EXAMPLES_DIR)).absoluteFilePath(QStringLiteral("Plan.rmproj"));
    ShownMainWindow shown;
    QString strSeen;
    AnswerFileDialog(strPath, &strSeen);
    shown.Trigger("actionOpenProject");
    QVERIFY2(strSeen.startsWith(QLatin1String("Open File|")), qPrintable(strSeen));
    QVERIFY2(strSeen.endsWith(QLatin1String("|Ramify Project File(*.rmproj)")),
             qPrintable(strSeen));
    shown.OpenProject(strPath);

    // The same file twice gives two independent projects.
    QCOMPARE(shown.SubWindows().size(), 2);
    QVERIFY(shown.Tree(0) != shown.Tree(1));
    for (int i = 0; i < 2; ++i) {
        CDecisionTreeWindow *pTree = shown.Tree(i);
        QCOMPARE(pTree->windowTitle(), strPath + QStringLiteral("[*]"));
        QCOMPARE(pTree->GetFilePath(), strPath);
        QCOMPARE(pTree->GetProjectName(), QStringLiteral("Plan"));
        QVERIFY(!pTree->isWindowModified());
        QVERIFY(shown.SubWindows().at(i)->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(CountItems(*pTree), 10);
        QVERIFY(pTree->GetTree().GetRoot() != shown.Tree(1 - i)->GetTree().GetRoot());
    }
    // The newest is in front, maximised as the one before it was.
    QVERIFY(shown.SubWindows().at(1)->isMaximized());
    QVERIFY(shown.Activate());
    QCOMPARE(CRamify::GetActiveTreeWindow(), shown.Tree(1));
}

void TestProjectActions::openUnreadable_data()
{
    QFile example(QStringLiteral(RAMIFY_EXAMPLES_DIR "/Plan.rmproj"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    const QByteArray plan = example.readAll();
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("broken XML") << QByteArray("<RMFYProject Name=\"x\"><Node ID=\"1\"");
    QTest::newRow("cut short") << plan.left(plan.size() / 2);
}

void TestProjectActions::openUnreadable()
{
    QFETCH(QByteArray, content);
    const QString strPath = m_dir.filePath(QStringLiteral("unreadable.rmproj"));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();

    ShownMainWindow shown;
    QString strWarning;
    AnswerMessageBox(QMessageBox::Ok, &strWarning);
    shown.OpenProject(strPath);
    // The window names the file; the project opens all the same.
    QVERIFY2(strWarning.contains(QDir::toNativeSeparators(strPath)), qPrintable(strWarning));
    QCOMPARE(shown.SubWindows().size(), 1);
    QCOMPARE(shown.Tree(0)->windowTitle(), strPath + QStringLiteral("[*]"));
    QVERIFY(!shown.Tree(0)->isWindowModified());
}

void TestProjectActions::withoutProjectNothingHappens_data()
{
    QTest::addColumn<QString>("action");
    for (const char *pName : {"actionSaveProject", "actionSaveAs", "actionCloseProject",
                              "actionUndo", "actionRedo", "actionTitle", "actionCascade"})
        QTest::newRow(pName) << QString::fromLatin1(pName);
}

void TestProjectActions::withoutProjectNothingHappens()
{
    QFETCH(QString, action);
    ShownMainWindow shown;
    ModalWatch watch;
    shown.Trigger(action.toLatin1().constData());
    QCoreApplication::processEvents();
    QCOMPARE(watch.seen, QStringList());
    QVERIFY(shown.SubWindows().isEmpty());
    QCOMPARE(VisibleTopLevels(), 1);
    QVERIFY(shown.window.isVisible());
}

void TestProjectActions::projectInBackgroundIsNotFound()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Behind"));
    CDecisionTreeWindow *pTree = shown.Tree(0);
    int nRedone = 0;
    int nUndone = 0;
    pTree->GetUndoStack()->push(new CountingCommand(&nRedone, &nUndone));
    pTree->setWindowModified(true);

    // While another window of the program is in front, the project is not.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(CRamify::GetActiveTreeWindow(), nullptr);
    ModalWatch watch;
    for (const char *pName :
         {"actionSaveProject", "actionSaveAs", "actionUndo", "actionRedo", "actionCloseProject"})
        shown.Trigger(pName);
    QCoreApplication::processEvents();
    QCOMPARE(watch.seen, QStringList());
    QCOMPARE(nUndone, 0);
    QCOMPARE(nRedone, 1);
    QCOMPARE(shown.SubWindows().size(), 1);
    QVERIFY(pTree->isWindowModified());
    QVERIFY(pTree->GetFilePath().isEmpty());
}

RAMIFY_GUI_TEST_MAIN(TestProjectActions)
