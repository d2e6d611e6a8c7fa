#include "CAddDecisionCommand.h"
#include "CFindBar.h"
#include "CHelpWindow.h"
#include "CNewProjectDialog.h"
#include "CNodeSummary.h"
#include "CProjectFileDialog.h"
#include "CProjectSettingsDialog.h"
#include "CRamify.h"
#include "CRecentFiles.h"
#include "ContextAction.h"
#include "GuiTest.h"
#include "TestTrees.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>

using namespace GuiTest;

// The main window's project actions: creating, opening, saving, closing and
// exiting without losing work, and Undo reaching only the project in front.
class TestProjectActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QSettings().clear(); }
    void cleanup();
    void emptyProjectNameIsRefused();
    void saveAndSaveAs();
    void saveAsAddsTheSuffix();
    void closing_data();
    void closing();
    void undoReachesOnlyTheProjectInFront();
    void editMenu_data();
    void editMenu();
    void settingsChangeTheRollbackAsOneStep();
    void suggestedFileName_data();
    void suggestedFileName();
    void choicesOutliveTheWindow();
    void helpWindowSearchesAndClosesOnEscape();
    void findBar();
    void windowsKeepTheirProject();
    void noticeLeavesTheSummary();
    void guideSaysWhereSettingsAre();
    void silverDecisionsFiles();

private:
    QTemporaryDir dir;
};

namespace {

struct ShownMainWindow
{
    CRamify window;

    ShownMainWindow()
    {
        window.show();
        Activate();
    }
    // Handlers find the project in front through the application's active
    // window, which a closed dialog may have taken away.
    bool Activate()
    {
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }
    QMdiArea *Area() const { return window.findChild<QMdiArea *>(); }
    int Count() const { return Area()->subWindowList().size(); }
    CDecisionTreeWindow *Tree(int nIndex) const
    {
        return qobject_cast<CDecisionTreeWindow *>(Area()->subWindowList().at(nIndex)->widget());
    }
    void Trigger(const char *pName)
    {
        Activate();
        window.findChild<QAction *>(QString::fromLatin1(pName))->trigger();
    }
    // Runs New Project and accepts the dialog with strName.
    void NewProject(const QString &strName)
    {
        AnswerModal<CNewProjectDialog>([strName](CNewProjectDialog *pDialog) {
            pDialog->findChild<QLineEdit *>()->setText(strName);
            pDialog->findChild<QAbstractButton *>("pushButtonOK")->click();
        });
        Trigger("actionNewProject");
    }
};

// An edit that counts how often it was done and undone.
class CountingCommand : public QUndoCommand
{
public:
    explicit CountingCommand(int *pCounts) : counts(pCounts) {}
    void redo() override { ++counts[0]; }
    void undo() override { ++counts[1]; }

private:
    int *counts;
};

// Exit inside the application's own event loop: 0 when the handler ended the
// program, 42 when it went on running.
int RunExit(ShownMainWindow &shown)
{
    QObject guard;
    QTimer::singleShot(0, &guard, [&shown, &guard]() {
        shown.Trigger("actionExit");
        QTimer::singleShot(0, &guard, []() { QCoreApplication::exit(42); });
    });
    return QCoreApplication::exec();
}

} // namespace

void TestProjectActions::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestProjectActions::emptyProjectNameIsRefused()
{
    // An empty name is refused with a warning, and the dialog waits for
    // another try instead of opening a nameless project.
    ShownMainWindow shown;
    QStringList warnings;
    AnswerModal<CNewProjectDialog>([&](CNewProjectDialog *pDialog) {
        pDialog->findChild<QLineEdit *>()->clear();
        AnswerMessageBoxes({QMessageBox::Ok}, &warnings);
        pDialog->findChild<QAbstractButton *>("pushButtonOK")->click();
        if (pDialog->isVisible())
            pDialog->reject();
    });
    shown.Trigger("actionNewProject");
    QCOMPARE(warnings, QStringList{"Error!\nThe project name must not be empty!"});
    QCOMPARE(shown.Count(), 0);
}

void TestProjectActions::saveAndSaveAs()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Fresh"));
    CDecisionTreeWindow *pTree = shown.Tree(0);
    pTree->setWindowModified(true);
    // A new project asks for a path, suggesting its name; cancelling leaves
    // it unsaved, pathless.
    QString strSuggested;
    AnswerFileDialog(QString(), &strSuggested);
    shown.Trigger("actionSaveProject");
    QVERIFY(pTree->GetFilePath().isEmpty() && pTree->isWindowModified());
    QCOMPARE(strSuggested, QStringLiteral("Fresh.rmproj"));
    const QString strFirst = dir.filePath(QStringLiteral("first.rmproj"));
    AnswerFileDialog(strFirst);
    shown.Trigger("actionSaveProject");
    QVERIFY(QFile::exists(strFirst) && !pTree->isWindowModified());
    // Save As, cancelled, keeps path and mark; then a new path, kept for later saves.
    pTree->setWindowModified(true);
    AnswerFileDialog(QString());
    shown.Trigger("actionSaveAs");
    QVERIFY(pTree->GetFilePath() == strFirst && pTree->isWindowModified());
    const QString strSecond = dir.filePath(QStringLiteral("second.rmproj"));
    AnswerFileDialog(strSecond);
    shown.Trigger("actionSaveAs");
    QVERIFY(QFile::exists(strSecond) && !pTree->isWindowModified());
    pTree->setWindowModified(true);
    QVERIFY(QFile::remove(strSecond));
    shown.Trigger("actionSaveProject");
    QVERIFY(QFile::exists(strSecond) && !pTree->isWindowModified());
    // A failed write says so, names the file and keeps the mark.
    const QString strBlocked = dir.filePath(QStringLiteral("missing/third.rmproj"));
    pTree->setWindowModified(true);
    QStringList warnings;
    AnswerMessageBoxes({QMessageBox::Ok}, &warnings);
    AnswerFileDialog(strBlocked);
    shown.Trigger("actionSaveAs");
    QVERIFY2(warnings.value(0).contains(strBlocked), qPrintable(warnings.value(0)));
    QVERIFY(pTree->isWindowModified());
    // What was written is offered again, newest first; the failed write is not.
    QCOMPARE(shown.window.findChild<CRecentFiles *>()->Paths(), QStringList({strSecond, strFirst}));
}

void TestProjectActions::saveAsAddsTheSuffix()
{
    // Saved without a suffix, a project would be missing from the Open
    // dialog; and the question before replacing must name the file that is
    // really written.
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Oil"));
    const QString strBare = dir.filePath(QStringLiteral("oil_built"));
    const QString strSaved = strBare + QStringLiteral(".rmproj");
    AnswerFileDialog(strBare);
    shown.Trigger("actionSaveAs");
    QVERIFY(QFile::exists(strSaved) && !QFile::exists(strBare));
    QVERIFY(QFile::resize(strSaved, 0));
    QStringList questions;
    AnswerFileDialog(strBare);
    AnswerMessageBoxes({QMessageBox::Yes}, &questions);
    shown.Trigger("actionSaveAs");
    QVERIFY2(questions.value(0).contains(strSaved), qPrintable(questions.value(0)));
    QVERIFY(QFileInfo(strSaved).size() > 0);
}

void TestProjectActions::closing_data()
{
    // Each way of closing, with two modified projects whose questions get
    // the answers listed (a project answered Yes has a path to save to).
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("saved");
    const int nYes = QMessageBox::Yes;
    const int nNo = QMessageBox::No;
    const int nCancel = QMessageBox::Cancel;
    QTest::newRow("close project, Yes") << "project" << QList<int>{nYes} << 1 << 1;
    QTest::newRow("main window, No then Cancel") << "main" << QList<int>{nNo, nCancel} << 1 << 0;
    QTest::newRow("main window, Yes then No") << "main" << QList<int>{nYes, nNo} << 0 << 1;
    QTest::newRow("exit, No then Cancel") << "exit" << QList<int>{nNo, nCancel} << 1 << 0;
    QTest::newRow("exit, No then Yes") << "exit" << QList<int>{nNo, nYes} << 0 << 1;
}

void TestProjectActions::closing()
{
    QFETCH(QString, how);
    QFETCH(QList<int>, answers);
    QFETCH(int, left);
    QFETCH(int, saved);
    ShownMainWindow shown;
    QStringList paths;
    for (int i = 0; i < 2; ++i) {
        shown.NewProject(QStringLiteral("P%1").arg(i));
        paths << dir.filePath(QStringLiteral("%1-%2.rmproj").arg(QTest::currentDataTag()).arg(i));
        shown.Tree(i)->SetFilePath(paths.back());
        shown.Tree(i)->setWindowModified(true);
    }
    QList<QMessageBox::StandardButton> buttons;
    for (int nAnswer : answers)
        buttons << QMessageBox::StandardButton(nAnswer);
    QStringList questions;
    AnswerMessageBoxes(buttons, &questions);
    if (how == "project")
        shown.Trigger("actionCloseProject");
    else if (how == "main")
        QCOMPARE(shown.window.close(), left == 0);
    else
        QCOMPARE(RunExit(shown), left == 0 ? 0 : 42);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(questions.size(), answers.size());
    QCOMPARE(shown.Count(), left);
    QCOMPARE(int(QFile::exists(paths[0])) + int(QFile::exists(paths[1])), saved);
    for (int i = 0; i < left; ++i)
        QVERIFY(shown.Tree(i)->isWindowModified());
}

void TestProjectActions::undoReachesOnlyTheProjectInFront()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Back"));
    shown.NewProject(QStringLiteral("Front"));
    int back[2] = {0, 0};
    shown.Tree(0)->GetUndoStack()->push(new CountingCommand(back));
    CDecisionTreeWindow *pFront = shown.Tree(1);
    CNode *pRoot = pFront->GetTree().GetRoot();
    // A name being typed is finished first, so Undo takes back that edit
    // instead of leaving the typed value behind without an undo step.
    StartEditing(*pFront, pFront->GetItem(pRoot));
    QTest::keyClick(pFront->viewport(), Qt::Key_End);
    QTest::keyClicks(pFront->viewport(), QStringLiteral("ed"));
    shown.Trigger("actionUndo");
    QCOMPARE(pRoot->name, std::string("Front"));
    QCOMPARE(pFront->GetUndoStack()->count(), 1);
    shown.Trigger("actionRedo");
    QCOMPARE(pRoot->name, std::string("Fronted"));
    QCOMPARE(back[1], 0);
    // While another window of the program is in front, no project is.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    shown.window.findChild<QAction *>("actionUndo")->trigger();
    QCOMPARE(pRoot->name, std::string("Fronted"));
    shown.Area()->setActiveSubWindow(shown.Area()->subWindowList().at(0));
    shown.Trigger("actionUndo");
    QCOMPARE(back[1], 1);
}

void TestProjectActions::editMenu_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("copied"); // the node copied first, if any
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("undo"); // Undo's text after the key
    QTest::newRow("delete") << "actionDelete"
                            << ""
                            << "A" << true << "Undo Delete";
    QTest::newRow("delete the Root") << "actionDelete"
                                     << ""
                                     << "Menu" << false << "Undo Add Decision";
    QTest::newRow("cut") << "actionCut"
                         << ""
                         << "B" << true << "Undo Delete";
    QTest::newRow("copy") << "actionCopy"
                          << ""
                          << "D" << true << "Undo Add Decision";
    QTest::newRow("paste, empty clipboard") << "actionPaste"
                                            << ""
                                            << "D" << false << "Undo Add Decision";
    QTest::newRow("paste an option") << "actionPaste"
                                     << "A"
                                     << "D" << true << "Undo Paste";
    QTest::newRow("paste an option below an option") << "actionPaste"
                                                     << "A"
                                                     << "B" << false << "Undo Add Decision";
}

void TestProjectActions::editMenu()
{
    // The Edit menu obeys the canvas keys' rule for the selected node, its key
    // makes exactly one step (menu and canvas never both act on it), and Undo
    // and Redo say which step they would take.
    QFETCH(QString, action);
    QFETCH(QString, copied);
    QFETCH(QString, selected);
    QFETCH(bool, enabled);
    QFETCH(QString, undo);
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Menu"));
    CDecisionTreeWindow *pTree = shown.Tree(0);
    CNode *pRoot = pTree->GetTree().GetRoot();
    pTree->GetUndoStack()->push(
        new CAddDecisionCommand(pTree->GetItem(pRoot), "D", {Row("A"), Row("B")}, pTree));
    const auto find = [&](const QString &strName) {
        for (CNode *pNode : Attached(pRoot))
            if (QString::fromStdString(pNode->name) == strName)
                return pNode;
        return static_cast<CNode *>(nullptr);
    };
    if (!copied.isEmpty())
        pTree->CopyNode(pTree->GetItem(find(copied)));
    pTree->GetItem(find(selected))->setSelected(true);
    auto *pAction = shown.window.findChild<QAction *>(action);
    QCOMPARE(pAction->isEnabled(), enabled);
    const int nSteps = pTree->GetUndoStack()->count();
    shown.Activate();
    QTest::keySequence(pTree->viewport(), pAction->shortcut());
    const bool bStep = undo != QLatin1String("Undo Add Decision");
    QCOMPARE(pTree->GetUndoStack()->count(), nSteps + int(bStep));
    QCOMPARE(pTree->GetClipboard() != nullptr,
             !copied.isEmpty() || action == "actionCopy" || action == "actionCut");
    auto *pUndo = shown.window.findChild<QAction *>("actionUndo");
    QCOMPARE(pUndo->text(), undo);
    shown.Trigger("actionUndo");
    QCOMPARE(shown.window.findChild<QAction *>("actionRedo")->text(),
             QString(undo).replace(0, 4, QStringLiteral("Redo")));
}

void TestProjectActions::suggestedFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("suggested");
    QTest::newRow("saved before") << "/a/b.rmproj"
                                  << "Oil"
                                  << "/a/b.rmproj";
    QTest::newRow("name") << ""
                          << " Oil 2026 "
                          << "Oil 2026.rmproj";
    QTest::newRow("no file name holds these") << ""
                                              << "a/b\\c:d*?\"<>|\t"
                                              << "a_b_c_d______.rmproj";
    QTest::newRow("hidden, then nothing left") << ""
                                               << "..."
                                               << "";
}

void TestProjectActions::suggestedFileName()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, suggested);
    QCOMPARE(CProjectFileDialog::SuggestedPath(path, name), suggested);
}

void TestProjectActions::choicesOutliveTheWindow()
{
    const QString strKept = dir.filePath(QStringLiteral("kept.rmproj"));
    QStringList warnings;
    {
        ShownMainWindow shown;
        auto *pRecent = shown.window.findChild<CRecentFiles *>();
        auto *pMenu = shown.window.findChild<QMenu *>(QStringLiteral("menuOpenRecent"));
        // Ten at most, newest first, one entry for one file however spelt.
        for (int i = 0; i < 12; ++i)
            pRecent->Add(dir.filePath(QStringLiteral("gone%1.rmproj").arg(i)));
        pRecent->Add(dir.path() + QStringLiteral("/./gone5.rmproj"));
        QCOMPARE(pRecent->Paths().size(), CRecentFiles::MaxEntries);
        QCOMPARE(pRecent->Paths().first(), dir.filePath(QStringLiteral("gone5.rmproj")));
        QCOMPARE(pMenu->actions().size(), CRecentFiles::MaxEntries + 2);
        // A file that is gone says so, goes from the menu and opens nothing.
        AnswerMessageBoxes({QMessageBox::Ok}, &warnings);
        pMenu->actions().first()->trigger();
        QVERIFY2(warnings.value(0).contains(QStringLiteral("gone5.rmproj")),
                 qPrintable(warnings.value(0)));
        QVERIFY(!pRecent->Paths().join(' ').contains(QStringLiteral("gone5")));
        QCOMPARE(shown.Count(), 0);
        // Clear Menu empties it; a file still there opens from it.
        pMenu->actions().last()->trigger();
        QVERIFY(pRecent->Paths().isEmpty() && !pMenu->actions().last()->isEnabled());
        shown.NewProject(QStringLiteral("Kept"));
        AnswerFileDialog(strKept);
        shown.Trigger("actionSaveProject");
        pMenu->actions().first()->trigger();
        QCOMPARE(shown.Count(), 2);
        QCOMPARE(shown.Tree(1)->GetFilePath(), strKept);
        shown.window.findChild<QAction *>(QStringLiteral("actionArrangeAutomatically"))
            ->setChecked(false);
        QVERIFY(shown.Tree(0)->close() && shown.Tree(1)->close());
    }
    // The next run finds both choices as they were left.
    ShownMainWindow next;
    QCOMPARE(next.window.findChild<CRecentFiles *>()->Paths(), QStringList{strKept});
    QVERIFY(!next.window.findChild<QAction *>(QStringLiteral("actionArrangeAutomatically"))
                 ->isChecked());
    QCOMPARE(warnings.size(), 1);
}

void TestProjectActions::helpWindowSearchesAndClosesOnEscape()
{
    CHelpWindow help(QFINDTESTDATA("../doc/help.html"), nullptr);
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    auto *pField = help.findChild<QLineEdit *>();
    auto *pBrowser = help.findChild<QTextBrowser *>();
    // Found as typed, whatever the case; something absent is marked, not a
    // stale selection left standing.
    QTest::keyClicks(pField, QStringLiteral("DECISION"));
    QCOMPARE(pBrowser->textCursor().selectedText().toLower(), QStringLiteral("decision"));
    QTest::keyClicks(pField, QStringLiteral("qqzz"));
    QVERIFY(!pBrowser->textCursor().hasSelection() && !pField->toolTip().isEmpty());
    QTest::keyClick(pBrowser, Qt::Key_Escape);
    QVERIFY(!help.isVisible());
}

void TestProjectActions::findBar()
{
    WorkedExample plan;
    plan.s2->payoffComment = "unlike s1";
    const QString strPath = dir.filePath(QStringLiteral("find.rmproj"));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(WriteBytes(plan.tree, QStringLiteral("Find")));
    file.close();
    ShownMainWindow shown;
    shown.window.OpenProject(strPath);
    CDecisionTreeWindow *pTree = shown.Tree(0);
    CNode *pS1 = pTree->GetDocument().GetRoot()->children[0]->children[1]->children[0]->children[0];
    CNode *pS2 = pS1->parent->children[1];
    // Both lie below a fold, which a node found opens.
    pTree->GetDocument().SetFolded(pS1->parent, true);
    shown.Trigger("actionFind");
    auto *pBar = shown.window.findChild<CFindBar *>();
    QVERIFY(pBar->isVisible());
    // Names and comments, whatever the case, in the order the tree is read;
    // the keys step round the end both ways.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("S1"));
    const QList<std::pair<int, QString>> steps = {
        {0, "1 of 2"}, {Qt::Key_F3, "2 of 2"}, {Qt::Key_F3, "1 of 2"}, {-Qt::Key_F3, "2 of 2"}};
    for (const auto &step : steps) {
        if (step.first)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3,
                            step.first < 0 ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(pBar->CountText(), step.second);
        CNode *pExpected = step.second.startsWith('1') ? pS1 : pS2;
        QCOMPARE(pTree->scene()->selectedItems(),
                 QList<QGraphicsItem *>{pTree->GetItem(pExpected)});
    }
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("zz"));
    QCOMPARE(pBar->CountText(), QStringLiteral("No match"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!pBar->isVisible());
}

// With two projects open, closing the find bar brought the other project to
// the front, and closing a project took the mark off the title of the one
// left in front.
void TestProjectActions::windowsKeepTheirProject()
{
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("P0"));
    shown.NewProject(QStringLiteral("P1"));
    CDecisionTreeWindow *pSearched = shown.Tree(1);
    shown.Trigger("actionFind");
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("P"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(shown.Area()->activeSubWindow()->widget(), pSearched);
    QCOMPARE(QApplication::focusWidget(), pSearched);

    // The Window menu: its own entries, then the projects, the one in front checked.
    auto *pMenu = shown.window.findChild<QMenu *>(QStringLiteral("menuWindow"));
    emit pMenu->aboutToShow();
    const QList<QAction *> entries = pMenu->actions();
    const int nCascade = entries.indexOf(shown.window.findChild<QAction *>("actionCascade"));
    QStringList listed;
    for (QAction *pAction : entries.mid(nCascade + 1))
        if (!pAction->isSeparator())
            listed << pAction->text() + (pAction->isChecked() ? QStringLiteral(" checked") : "");
    QCOMPARE(listed, QStringList({"&1 P0", "&2 P1 checked"}));
    entries[entries.size() - 2]->trigger();
    QCOMPARE(shown.Area()->activeSubWindow()->widget(), shown.Tree(0));

    shown.Tree(0)->MarkModified();
    QTRY_VERIFY(shown.window.isWindowModified());
    shown.Area()->setActiveSubWindow(shown.Area()->subWindowList().at(1));
    QTRY_VERIFY(!shown.window.isWindowModified());
    shown.Trigger("actionCloseProject");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(shown.Count(), 1);
    QTRY_VERIFY(shown.window.windowTitle().contains(QStringLiteral("P0[*]")));
    QTRY_VERIFY(shown.window.isWindowModified());
    emit pMenu->aboutToShow();
    QCOMPARE(pMenu->actions().last()->text(), QStringLiteral("&1 P0*"));
}

// A notice in the status bar, such as that a file's stored values were out
// of date, hid the summary of the node selected for as long as it showed.
void TestProjectActions::noticeLeavesTheSummary()
{
    WorkedExample plan;
    plan.d->payoff = 77;
    const QString strPath = dir.filePath(QStringLiteral("stale.rmproj"));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(WriteBytes(plan.tree, QStringLiteral("Stale")));
    file.close();
    ShownMainWindow shown;
    shown.window.OpenProject(strPath);
    CDecisionTreeWindow *pTree = shown.Tree(0);
    auto *pNotice = shown.window.findChild<QLabel *>(QStringLiteral("noticeLabel"));
    auto *pSummary = shown.window.findChild<QLabel *>(QStringLiteral("summaryLabel"));
    pTree->GetItem(pTree->GetTree().GetRoot()->children[0])->setSelected(true);
    QVERIFY(pSummary->isVisible());
    QVERIFY(pSummary->text().contains(QStringLiteral("D")));
    QVERIFY(pNotice->isVisible());
    QCOMPARE(pNotice->text(), CDecisionTreeWindow::StaleValuesMessage());
}

// The guide once kept a stray copy of a paragraph's end, outside any
// paragraph, and said that Ramify keeps no settings.
void TestProjectActions::guideSaysWhereSettingsAre()
{
    QFile guide(QFINDTESTDATA("../doc/help.html"));
    QVERIFY(guide.open(QIODevice::ReadOnly));
    const QString strGuide = QString::fromUtf8(guide.readAll());
    const QRegularExpression loose(QStringLiteral("</p>\\s*[^<\\s]"));
    QVERIFY2(!loose.match(strGuide).hasMatch(),
             qPrintable(strGuide.mid(loose.match(strGuide).capturedStart(), 80)));
    // Where the program's QSettings keep its choices, as its names make them.
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Ramify"),
                          QStringLiteral("Ramify"));
    const QString strName = QFileInfo(store.fileName()).fileName();
    const QString strFolder = QFileInfo(store.fileName()).dir().dirName();
    QVERIFY(strGuide.contains(strFolder + QLatin1Char('/') + strName));
}

void TestProjectActions::settingsChangeTheRollbackAsOneStep()
{
    // The worked example: under maxi-min its Situation is worth its worst
    // case, -5; a tolerance is refused there, and below 0 everywhere.
    ShownMainWindow shown;
    shown.NewProject(QStringLiteral("Rules"));
    CProjectDocument &document = shown.Tree(0)->GetDocument();
    WorkedExample ex;
    document.ReplaceTree(ex.tree.TakeRoot());
    QString strRefused;
    AnswerModal<CProjectSettingsDialog>([&strRefused](CProjectSettingsDialog *pDialog) {
        auto *pTolerance = pDialog->findChild<QLineEdit *>("lineEditRiskTolerance");
        pTolerance->setText("-3");
        pDialog->accept();
        strRefused = pDialog->findChild<QLabel *>("labelProblem")->text();
        pDialog->findChild<QComboBox *>("comboBoxRule")->setCurrentIndex(CDecisionRule::MaxiMin);
        QVERIFY(!pTolerance->isEnabled());
        pDialog->accept();
    });
    shown.Trigger("actionProjectSettings");
    QVERIFY2(strRefused.contains("above 0"), qPrintable(strRefused));
    QCOMPARE(document.GetSettings().rule.GetKind(), CDecisionRule::MaxiMin);
    QCOMPARE(ex.s->payoff, -5.0);
    QVERIFY(shown.Tree(0)->isWindowModified());
    shown.Trigger("actionUndo");
    QCOMPARE(ex.s->payoff, 9.0);
    QCOMPARE(document.GetSettings(), CProjectSettings());
    // Under a risk tolerance the tool tip adds what the certainty equivalent leaves out.
    CProjectSettings tolerant;
    tolerant.rule.SetRiskTolerance(10);
    shown.Tree(0)->ChangeSettings(tolerant);
    QVERIFY(ex.s->payoff < 9.0);
    QVERIFY2(
        CNodeSummary::RiskNote(ex.s, document.GetSettings().rule, {}).contains("expected value 9,"),
        qPrintable(CNodeSummary::RiskNote(ex.s, document.GetSettings().rule, {})));
}

void TestProjectActions::silverDecisionsFiles()
{
    const QString strPath = dir.filePath(QStringLiteral("two.json"));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"SilverDecisions": "1.0", "data": {"trees": [{"type": "terminal"},
        {"type": "decision", "childEdges": [{"payoff": 7, "childNode": {"type": "terminal"}}]}]}})");
    file.close();
    ShownMainWindow shown;
    shown.window.OpenProject(strPath);
    // A sub-window for each tree, arranged, and no file to save over.
    QCOMPARE(shown.Count(), 2);
    CDecisionTreeWindow *pSecond = shown.Tree(1);
    QVERIFY(pSecond->windowTitle().contains(QStringLiteral("(tree 2 of 2)")));
    QVERIFY(pSecond->GetFilePath().isEmpty() && pSecond->GetDocument().GetRoot()->HasPosition());
    shown.Area()->setActiveSubWindow(shown.Area()->subWindowList().at(1));
    AnswerFileDialog(dir.filePath(QStringLiteral("exported")));
    shown.Trigger("actionExportTree");
    CProjectDocument exported;
    QVERIFY(exported.Read(dir.filePath(QStringLiteral("exported.json"))).Succeeded());
    QCOMPARE(exported.GetRoot()->children.front()->payoff, 7.0);
    // A refused file says why and opens nothing.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(R"({"SilverDecisions": "1.0", "trees": [{"type": "fork"}]})");
    file.close();
    QStringList texts;
    AnswerMessageBoxes({QMessageBox::Ok}, &texts);
    shown.window.OpenProject(strPath);
    QCOMPARE(shown.Count(), 2);
    QVERIFY(texts.value(0).contains(strPath) && texts.value(0).contains(QStringLiteral("fork")));
}

RAMIFY_GUI_TEST_MAIN(TestProjectActions)
#include "tst_projectactions.moc"
