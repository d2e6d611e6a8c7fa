#include "CRamify.h"
#include "GuiTestMain.h"

#include <QtTest>

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

QStringList VisibleEntries(const QList<QAction *> &actions)
{
    QStringList entries;
    for (const QAction *pAction : actions)
        entries << (pAction->isSeparator() ? QStringLiteral("|") : pAction->text());
    return entries;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void window();
    void actions_data();
    void actions();
    void menus_data();
    void menus();
    void toolBar();
    void slotsConnectedByName();
    void shortcutsWithoutProjectDoNothing();

private:
    CRamify *m_pWindow = nullptr;

private slots:
    void init() { m_pWindow = new CRamify; }
    void cleanup()
    {
        delete m_pWindow;
        m_pWindow = nullptr;
    }
};

void TestMainWindow::window()
{
    CRamify &w = *m_pWindow;
    QCOMPARE(w.objectName(), QStringLiteral("Ramify"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Ramify"));
    QCOMPARE(w.size(), QSize(925, 622));
    QVERIFY(!w.windowIcon().isNull());

    auto *pArea = qobject_cast<QMdiArea *>(w.centralWidget());
    QVERIFY(pArea);
    QCOMPARE(pArea->objectName(), QStringLiteral("mdiArea"));
    QVERIFY(pArea->subWindowList().isEmpty());
    QCOMPARE(pArea->viewMode(), QMdiArea::SubWindowView);

    QVERIFY(w.statusBar());
    QCOMPARE(w.statusBar()->objectName(), QStringLiteral("statusBar"));
    QVERIFY(w.statusBar()->currentMessage().isEmpty());
    QCOMPARE(w.menuBar()->objectName(), QStringLiteral("menuBar"));

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.isMaximized());
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<bool>("hasIcon");
    QTest::newRow("new") << "actionNewProject"
                         << "New Project"
                         << ""
                         << "New Project" << true;
    QTest::newRow("open") << "actionOpenProject"
                          << "Open Project"
                          << ""
                          << "Open Project" << true;
    QTest::newRow("save") << "actionSaveProject"
                          << "Save Project"
                          << "Ctrl+S"
                          << "Save Project" << true;
    QTest::newRow("save as") << "actionSaveAs"
                             << "Save As..."
                             << ""
                             << "Save As" << false;
    QTest::newRow("close") << "actionCloseProject"
                           << "Close Project"
                           << ""
                           << "Close Project" << false;
    QTest::newRow("exit") << "actionExit"
                          << "Exit"
                          << ""
                          << "Exit" << false;
    QTest::newRow("undo") << "actionUndo"
                          << "Undo"
                          << "Ctrl+Z"
                          << "Undo" << true;
    QTest::newRow("redo") << "actionRedo"
                          << "Redo"
                          << "Ctrl+Y"
                          << "Redo" << true;
    QTest::newRow("tile") << "actionTitle"
                          << "Title"
                          << ""
                          << "Title" << false;
    QTest::newRow("cascade") << "actionCascade"
                             << "Cascade"
                             << ""
                             << "Cascade" << false;
    QTest::newRow("help") << "actionHelp"
                          << "Help"
                          << ""
                          << "Help" << false;
    QTest::newRow("about") << "actionAbout"
                           << "About"
                           << ""
                           << "About" << false;
}

void TestMainWindow::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(QString, toolTip);
    QFETCH(bool, hasIcon);

    auto *pAction = m_pWindow->findChild<QAction *>(name);
    QVERIFY2(pAction, qPrintable(name));
    QCOMPARE(pAction->parent(), m_pWindow);
    QCOMPARE(pAction->text(), text);
    QCOMPARE(pAction->shortcut(), QKeySequence(shortcut));
    QCOMPARE(pAction->shortcutContext(), Qt::WindowShortcut);
    QCOMPARE(pAction->toolTip(), toolTip);
    QVERIFY(pAction->statusTip().isEmpty());
    QVERIFY(pAction->isEnabled());
    QVERIFY(pAction->isVisible());
    QVERIFY(!pAction->isCheckable());
    QCOMPARE(!pAction->icon().isNull(), hasIcon);
    if (hasIcon) {
        // The image must really be there, not just a name.
        QVERIFY(!pAction->icon().pixmap(16, 16).isNull());
    }
}

void TestMainWindow::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("file") << "menuFile"
                          << "File" << QStringList{"New Project", "Open Project",  "Save Project",
                                                   "Save As...",  "Close Project", "|",
                                                   "Exit"};
    QTest::newRow("edit") << "menuEdit"
                          << "Edit" << QStringList{"Undo", "Redo"};
    QTest::newRow("window") << "menuWindow"
                            << "Window" << QStringList{"|", "Title", "Cascade"};
    QTest::newRow("help") << "menuHelp"
                          << "Help" << QStringList{"Help", "About"};
}

void TestMainWindow::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);
    auto *pMenu = m_pWindow->findChild<QMenu *>(name);
    QVERIFY2(pMenu, qPrintable(name));
    QCOMPARE(pMenu->title(), title);
    QCOMPARE(VisibleEntries(pMenu->actions()), entries);
    QVERIFY(pMenu->separatorsCollapsible());

    QStringList barOrder;
    for (const QAction *pAction : m_pWindow->menuBar()->actions())
        barOrder << pAction->text();
    QCOMPARE(barOrder, (QStringList{"File", "Edit", "Window", "Help"}));
}

void TestMainWindow::toolBar()
{
    auto *pBar = m_pWindow->findChild<QToolBar *>(QStringLiteral("mainToolBar"));
    QVERIFY(pBar);
    QCOMPARE(m_pWindow->toolBarArea(pBar), Qt::TopToolBarArea);
    QCOMPARE(VisibleEntries(pBar->actions()),
             (QStringList{"New Project", "Open Project", "Save Project", "|", "Undo", "Redo"}));
}

void TestMainWindow::slotsConnectedByName()
{
    // Every action reaches a slot named after it, and nothing else does.
    const QMetaObject *pMeta = m_pWindow->metaObject();
    const QStringList names{"actionNewProject", "actionOpenProject",  "actionSaveProject",
                            "actionSaveAs",     "actionCloseProject", "actionExit",
                            "actionUndo",       "actionRedo",         "actionTitle",
                            "actionCascade",    "actionHelp",         "actionAbout"};
    QStringList declared;
    for (int i = pMeta->methodOffset(); i < pMeta->methodCount(); ++i)
        declared << QString::fromLatin1(pMeta->method(i).methodSignature());
    QStringList expected;
    for (const QString &name : names)
        expected << QStringLiteral("on_%1_triggered()").arg(name);
    QCOMPARE(declared, expected);

    // A slot without a matching object makes the form warn while it connects.
    static QStringList s_warnings;
    s_warnings.clear();
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
            s_warnings << message;
        });
    {
        CRamify another;
    }
    qInstallMessageHandler(previous);
    QCOMPARE(s_warnings.filter(QStringLiteral("connectSlotsByName")), QStringList());
}

void TestMainWindow::shortcutsWithoutProjectDoNothing()
{
    m_pWindow->show();
    QVERIFY(QTest::qWaitForWindowActive(m_pWindow));
    for (const char *pKeys : {"Ctrl+S", "Ctrl+Z", "Ctrl+Y"})
        QTest::keySequence(m_pWindow, QKeySequence(QString::fromLatin1(pKeys)));
    int nVisible = 0;
    for (const QWidget *pWidget : QApplication::topLevelWidgets())
        nVisible += pWidget->isVisible() ? 1 : 0;
    QCOMPARE(nVisible, 1);
    QVERIFY(m_pWindow->findChild<QMdiArea *>()->subWindowList().isEmpty());
}

RAMIFY_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
