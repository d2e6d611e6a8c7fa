#include "tst_projectactions.h"

#include "CNode.h"
#include "CProjectFile.h"
#include "ProjectActionsKit.h"

#include <QDir>
#include <QFile>
#include <QPointer>

using namespace EditorTestKit;
using namespace ProjectActionsKit;

namespace {

QString SavedProjectName(const QString &strPath)
{
    CDecisionTree tree;
    const CProjectFile::ReadResult result = CProjectFile::Read(strPath, tree);
    return result.complete && tree.GetRoot() ? result.projectName : QString();
}

} // namespace

void TestProjectActions::saveNewProjectAsksForPath()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Fresh"));
    CDecisionTreeWindow *pTree = shown.Tree(0);
    pTree->setWindowModified(true);

    QString strSeen;
    AnswerFileDialog(QString(), &strSeen);
    QVERIFY(shown.Activate());
    shown.Trigger("actionSaveProject");
    QVERIFY2(strSeen.startsWith(QLatin1String("Save File|")), qPrintable(strSeen));
    QVERIFY(pTree->GetFilePath().isEmpty());
    QVERIFY(pTree->isWindowModified());

    const QString strPath = m_dir.filePath(QStringLiteral("fresh.rmproj"));
    AnswerFileDialog(strPath);
    QVERIFY(shown.Activate());
    shown.Trigger("actionSaveProject");
    QCOMPARE(pTree->GetFilePath(), strPath);
    QCOMPARE(SavedProjectName(strPath), QStringLiteral("Fresh"));
    QVERIFY(!pTree->isWindowModified());

    // With a path, saving asks nothing; Ctrl+S reaches the same handler.
    pTree->setWindowModified(true);
    QVERIFY(QFile::remove(strPath));
    QVERIFY(shown.Activate());
    ModalWatch watch;
    QTest::keySequence(&shown.window, QKeySequence(QStringLiteral("Ctrl+S")));
    QCoreApplication::processEvents();
    QCOMPARE(watch.seen, QStringList());
    QVERIFY(QFile::exists(strPath));
    QVERIFY(!pTree->isWindowModified());
}

void TestProjectActions::saveAsCancelled()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Kept"));
    CDecisionTreeWindow *pTree = shown.Tree(0);
    const QString strPath = m_dir.filePath(QStringLiteral("kept.rmproj"));
    QFile::remove(strPath);
    pTree->SetFilePath(strPath);
    pTree->setWindowModified(true);

    QString strSeen;
    AnswerFileDialog(QString(), &strSeen);
    QVERIFY(shown.Activate());
    shown.Trigger("actionSaveAs");
    // The dialog starts at the project's own file.
    QCOMPARE(strSeen, QStringLiteral("save as|%1|%2|Ramify Project File(*.rmproj)")
                          .arg(QFileInfo(strPath).absolutePath(), strPath));
    QCOMPARE(pTree->GetFilePath(), strPath);
    QVERIFY(pTree->isWindowModified());
    QVERIFY(!QFile::exists(strPath));
}

void TestProjectActions::saveAsNewPath()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Moved"));
    CDecisionTreeWindow *pTree = shown.Tree(0);
    const QString strOld = m_dir.filePath(QStringLiteral("moved-old.rmproj"));
    const QString strNew = m_dir.filePath(QStringLiteral("moved-new.rmproj"));
    pTree->SetFilePath(strOld);
    pTree->setWindowModified(true);

    AnswerFileDialog(strNew);
    QVERIFY(shown.Activate());
    shown.Trigger("actionSaveAs");
    QCOMPARE(pTree->GetFilePath(), strNew);
    QCOMPARE(SavedProjectName(strNew), QStringLiteral("Moved"));
    QVERIFY(!QFile::exists(strOld));
    QVERIFY(!pTree->isWindowModified());
    QCOMPARE(pTree->windowTitle(), QStringLiteral("Moved[*]"));

    // Later saves go to the new path without asking.
    pTree->setWindowModified(true);
    QVERIFY(QFile::remove(strNew));
    QVERIFY(shown.Activate());
    ModalWatch watch;
    shown.Trigger("actionSaveProject");
    QCoreApplication::processEvents();
    QCOMPARE(watch.seen, QStringList());
    QCOMPARE(SavedProjectName(strNew), QStringLiteral("Moved"));
    QVERIFY(!QFile::exists(strOld));
    QVERIFY(!pTree->isWindowModified());
    QCOMPARE(pTree->windowTitle(), QStringLiteral("Moved[*]"));
}

void TestProjectActions::failedSaveKeepsMark()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Blocked"));
    CDecisionTreeWindow *pTree = shown.Tree(0);
    // A folder where the file should go cannot be written over.
    const QString strBlocked = m_dir.filePath(QStringLiteral("blocked.rmproj"));
    QVERIFY(QDir().mkpath(strBlocked));
    pTree->SetFilePath(strBlocked);
    pTree->setWindowModified(true);

    QString strWarning;
    AnswerMessageBox(QMessageBox::Ok, &strWarning);
    QVERIFY(shown.Activate());
    shown.Trigger("actionSaveProject");
    QVERIFY2(strWarning.startsWith(QLatin1String("Save Project\n")), qPrintable(strWarning));
    QVERIFY2(strWarning.contains(QDir::toNativeSeparators(strBlocked)), qPrintable(strWarning));
    QVERIFY(pTree->isWindowModified());

    // Save As keeps the path it was given even when writing there fails.
    const QString strNowhere = m_dir.filePath(QStringLiteral("missing/elsewhere.rmproj"));
    AnswerFileDialog(strNowhere);
    AnswerMessageBox(QMessageBox::Ok, &strWarning);
    QVERIFY(shown.Activate());
    shown.Trigger("actionSaveAs");
    QVERIFY2(strWarning.contains(QDir::toNativeSeparators(strNowhere)), qPrintable(strWarning));
    QCOMPARE(pTree->GetFilePath(), strNowhere);
    QVERIFY(pTree->isWindowModified());
}

void TestProjectActions::closeProject_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("unmodified") << false << int(QMessageBox::NoButton) << true << false;
    QTest::newRow("modified, Cancel") << true << int(QMessageBox::Cancel) << false << false;
    QTest::newRow("modified, No") << true << int(QMessageBox::No) << true << false;
    QTest::newRow("modified, Yes") << true << int(QMessageBox::Yes) << true << true;
}

void TestProjectActions::closeProject()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Closing"));
    QPointer<CDecisionTreeWindow> pTree = shown.Tree(0);
    const QString strPath = m_dir.filePath(QStringLiteral("closing.rmproj"));
    QFile::remove(strPath);
    pTree->SetFilePath(strPath);
    pTree->setWindowModified(modified);

    QStringList questions;
    std::unique_ptr<ModalWatch> pWatch;
    if (answer == QMessageBox::NoButton)
        pWatch = std::make_unique<ModalWatch>();
    else
        AnswerMessageBoxes({QMessageBox::StandardButton(answer)}, &questions);
    QVERIFY(shown.Activate());
    shown.Trigger("actionCloseProject");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    if (pWatch)
        QCOMPARE(pWatch->seen, QStringList());
    else
        QCOMPARE(questions, QStringList(QStringLiteral(
                                "Confirmation\nDo you want to save Closing before exit?")));
    QCOMPARE(shown.SubWindows().isEmpty(), closes);
    QCOMPARE(pTree.isNull(), closes);
    QCOMPARE(QFile::exists(strPath), saved);
    if (!closes)
        QVERIFY(pTree->isWindowModified());
}

void TestProjectActions::mainWindowClose_data()
{
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("closes");
    QTest::newRow("unmodified") << QList<int>() << true;
    QTest::newRow("No") << QList<int>{QMessageBox::No} << true;
    QTest::newRow("Cancel") << QList<int>{QMessageBox::Cancel} << false;
    QTest::newRow("No, then Cancel") << QList<int>{QMessageBox::No, QMessageBox::Cancel} << false;
}

void TestProjectActions::mainWindowClose()
{
    QFETCH(QList<int>, answers);
    QFETCH(bool, closes);
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("First"));
    if (answers.size() > 1)
        shown.NewProject(QStringLiteral("Second"));
    QList<QMessageBox::StandardButton> buttons;
    for (int nAnswer : answers) {
        shown.Tree(buttons.size())->setWindowModified(true);
        buttons << QMessageBox::StandardButton(nAnswer);
    }
    QStringList questions;
    if (!buttons.isEmpty())
        AnswerMessageBoxes(buttons, &questions);

    // Closing the main window asks like Exit does instead of dropping projects.
    QCOMPARE(shown.window.close(), closes);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(questions.size(), buttons.size());
    QCOMPARE(shown.window.isVisible(), !closes);
    QCOMPARE(shown.SubWindows().size(), closes ? 0 : 1);
    if (!closes) {
        // The project whose question was cancelled is the one left.
        CDecisionTreeWindow *pLeft = shown.Tree(0);
        QCOMPARE(pLeft->windowTitle(),
                 QString::fromLatin1(answers.size() > 1 ? "Second[*]" : "First[*]"));
        QVERIFY(pLeft->isWindowModified());
    }
}
