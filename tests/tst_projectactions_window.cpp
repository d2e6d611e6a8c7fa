#include "tst_projectactions.h"

#include "CAboutDialog.h"
#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "ProjectActionsKit.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>

using namespace EditorTestKit;
using namespace ProjectActionsKit;

namespace {

// Stands in for the desktop: keeps the file URLs that it is asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OnUrl"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;

public slots:
    void OnUrl(const QUrl &url) { urls << url; }
};

// What Exit left the application's event loop doing.
enum ExitOutcome
{
    Ended = 0,
    StillRunning = 42,
    TimedOut = 43
};

// Runs Exit inside the application's own event loop. The loop ends with the
// handler's status when the handler asked it to end; otherwise a callback
// queued after the handler ends it with StillRunning.
int RunExit(ShownMainWindow &shown)
{
    QObject guard; // drops whatever is still queued once the loop is over
    QTimer::singleShot(0, &guard, [&shown, &guard]() {
        shown.Trigger("actionExit");
        QTimer::singleShot(0, &guard, []() { QCoreApplication::exit(StillRunning); });
    });
    QTimer::singleShot(20000, &guard, []() { QCoreApplication::exit(TimedOut); });
    return QCoreApplication::exec();
}

} // namespace

void TestProjectActions::undoRedoReachFrontProject()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Back"));
    shown.NewProject(QStringLiteral("Front"));
    int nBackRedone = 0;
    int nBackUndone = 0;
    int nFrontRedone = 0;
    int nFrontUndone = 0;
    shown.Tree(0)->GetUndoStack()->push(new CountingCommand(&nBackRedone, &nBackUndone));
    for (int i = 0; i < 2; ++i)
        shown.Tree(1)->GetUndoStack()->push(new CountingCommand(&nFrontRedone, &nFrontUndone));
    QCOMPARE(nFrontRedone, 2);

    QVERIFY(shown.Activate());
    QCOMPARE(CRamify::GetActiveTreeWindow(), shown.Tree(1));
    shown.Trigger("actionUndo");
    QTest::keySequence(&shown.window, QKeySequence(QStringLiteral("Ctrl+Z")));
    QCOMPARE(nFrontUndone, 2);
    // Nothing left to undo: the stack ignores it.
    shown.Trigger("actionUndo");
    QCOMPARE(nFrontUndone, 2);
    QTest::keySequence(&shown.window, QKeySequence(QStringLiteral("Ctrl+Y")));
    shown.Trigger("actionRedo");
    QCOMPARE(nFrontRedone, 4);
    QCOMPARE(nBackRedone, 1);
    QCOMPARE(nBackUndone, 0);

    shown.Area()->setActiveSubWindow(shown.SubWindows().at(0));
    QCOMPARE(CRamify::GetActiveTreeWindow(), shown.Tree(0));
    shown.Trigger("actionUndo");
    QCOMPARE(nBackUndone, 1);
    QCOMPARE(nFrontUndone, 2);
}

void TestProjectActions::undoFinishesTheEditFirst()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Edit"));
    QVERIFY(shown.Activate());
    CDecisionTreeWindow *pTree = shown.Tree(0);
    CNode *pRoot = pTree->GetTree().GetRoot();
    CNodeGrapicsItem *pItem = pTree->GetItem(pRoot);
    // Typing into the Root's name, without ending the edit.
    EditorTestKit::StartEditing(*pTree, pItem);
    QVERIFY(pItem->hasFocus());
    QTest::keyClick(pTree->viewport(), Qt::Key_End);
    QTest::keyClicks(pTree->viewport(), QStringLiteral("ed"));
    QCOMPARE(pRoot->name, std::string("Edited"));

    // The undo button takes back the edit that was under way.
    shown.Trigger("actionUndo");
    QVERIFY(!pItem->hasFocus());
    QCOMPARE(pTree->GetUndoStack()->count(), 1);
    QCOMPARE(pTree->GetUndoStack()->index(), 0);
    QCOMPARE(pRoot->name, std::string("Edit"));
    shown.Trigger("actionRedo");
    QCOMPARE(pItem->toPlainText(), QStringLiteral("Edited"));
}

void TestProjectActions::tileAndCascade()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Left"));
    shown.NewProject(QStringLiteral("Right"));
    const QList<QMdiSubWindow *> subs = shown.SubWindows();
    const QRect area(QPoint(0, 0), shown.Area()->viewport()->size());

    shown.Trigger("actionTitle");
    for (QMdiSubWindow *pSub : subs) {
        QVERIFY(!pSub->isMaximized());
        QVERIFY(pSub->isVisible());
        QVERIFY(area.contains(pSub->geometry()));
    }
    QVERIFY(!subs[0]->geometry().intersects(subs[1]->geometry()));

    shown.Trigger("actionCascade");
    const QRect first = subs[0]->geometry();
    const QRect second = subs[1]->geometry();
    QVERIFY(first.intersects(second));
    QVERIFY(first.topLeft() != second.topLeft());
    QCOMPARE(first.x() < second.x(), first.y() < second.y());
    QCOMPARE(shown.SubWindows().size(), 2);
}

void TestProjectActions::aboutBox()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Untouched"));
    QString strSeen;
    AnswerModal<CAboutDialog>([&strSeen](CAboutDialog *pDialog) {
        strSeen = pDialog->windowTitle() + (pDialog->isModal() ? " (modal)" : "");
        pDialog->findChild<QAbstractButton *>(QStringLiteral("pushButtonOK"))->click();
    });
    shown.Trigger("actionAbout");
    QCOMPARE(strSeen, QStringLiteral("About Software (modal)"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget *pWidget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<CAboutDialog *>(pWidget));
    QCOMPARE(shown.SubWindows().size(), 1);
    QVERIFY(!shown.Tree(0)->isWindowModified());
}

void TestProjectActions::helpOpensGuide()
{
    ShownMainWindow shown;
    UrlCatcher catcher;
    shown.Trigger("actionHelp");
    QCOMPARE(catcher.urls.size(), 1);
    const QUrl url = catcher.urls.front();
    QVERIFY2(url.isLocalFile(), qPrintable(url.toString()));
    QVERIFY2(url.toString().endsWith(QLatin1String("/help.html")), qPrintable(url.toString()));
    // The desktop must find the guide beside the program from the URL alone.
    QCOMPARE(url.toLocalFile(),
             QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help.html")));
    QVERIFY(url.host().isEmpty());
}

void TestProjectActions::exitProgram_data()
{
    QTest::addColumn<int>("projects");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<int>("outcome");
    QTest::newRow("no project") << 0 << QList<int>() << int(Ended);
    QTest::newRow("two unmodified") << 2 << QList<int>() << int(Ended);
    QTest::newRow("No, then No") << 2 << QList<int>{QMessageBox::No, QMessageBox::No} << int(Ended);
    QTest::newRow("No, then Cancel")
        << 2 << QList<int>{QMessageBox::No, QMessageBox::Cancel} << int(StillRunning);
}

void TestProjectActions::exitProgram()
{
    QFETCH(int, projects);
    QFETCH(QList<int>, answers);
    QFETCH(int, outcome);
    ShownMainWindow shown;
    QStringList paths;
    for (int i = 0; i < projects; ++i) {
        shown.NewProject(QStringLiteral("Exit%1").arg(i));
        paths << m_dir.filePath(QStringLiteral("exit%1.rmproj").arg(i));
        QFile::remove(paths.back());
        shown.Tree(i)->SetFilePath(paths.back());
        shown.Tree(i)->setWindowModified(!answers.isEmpty());
    }
    QList<QMessageBox::StandardButton> buttons;
    for (int nAnswer : answers)
        buttons << QMessageBox::StandardButton(nAnswer);
    QStringList questions;
    if (!buttons.isEmpty())
        AnswerMessageBoxes(buttons, &questions);

    QCOMPARE(RunExit(shown), outcome);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(questions.size(), buttons.size());
    for (const QString &strPath : paths)
        QVERIFY2(!QFile::exists(strPath), qPrintable(strPath));
    if (outcome == StillRunning) {
        // The first project went without saving; the cancelled one stays.
        QCOMPARE(shown.SubWindows().size(), 1);
        QCOMPARE(shown.Tree(0)->windowTitle(), QStringLiteral("Exit1[*]"));
        QVERIFY(shown.Tree(0)->isWindowModified());
        QVERIFY(shown.window.isVisible());
    } else {
        QVERIFY(shown.SubWindows().isEmpty());
    }
}

#include "tst_projectactions_window.moc"
