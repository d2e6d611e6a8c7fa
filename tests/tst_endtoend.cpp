#include "ContextAction.h"
#include "GuiTest.h"

#include <QTemporaryDir>

using namespace GuiTest;

// A project grown the way a user grows it: right-click menus, the add
// dialog, values typed into the canvas, then saved and opened again.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void growTheWorkedExample();
};

void TestEndToEnd::growTheWorkedExample()
{
    QTemporaryDir dir;
    TestWindow w(QStringLiteral("Plan"));
    QVERIFY(w.Show());
    CNode *pRoot = w.Root();
    // A cancelled dialog adds nothing and leaves the project unmodified.
    AnswerAddDialog("never", {Row("X"), Row("Y")}, false);
    QVERIFY(RightClick(w.window, w.Item(pRoot), ContextAction::ActionAddDecision));
    QCOMPARE(w.Stack()->count(), 0);
    QVERIFY(!w.window.isWindowModified());

    AnswerAddDialog("D", {Row("A"), Row("B")}, true);
    RightClick(w.window, w.Item(pRoot), ContextAction::ActionAddDecision);
    QCOMPARE(pRoot->children.at(0)->children.size(), size_t(2));
    CNode *pD = pRoot->children[0];
    CNode *pA = pD->children[0];
    CNode *pB = pD->children[1];
    // Left as the dialog starts them: a certain first option, an impossible second.
    AnswerAddDialog("S", {Row("S1", 1), Row("S2", 0)}, true);
    RightClick(w.window, w.Item(pB), ContextAction::ActionAddSituation);
    QCOMPARE(pB->children.at(0)->children.size(), size_t(2));
    CNode *pS = pB->children[0];
    CNode *pS1 = pS->children[0];
    CNode *pS2 = pS->children[1];
    // The Root's path goes on now: no second branch, no paste on it.
    QCOMPARE(RightClick(w.window, w.Item(pRoot)).value_or(QList<int>{-1}), QList<int>());

    QVERIFY(w.Show());
    TypeInto(w.window, PayoffText(w.Item(pA)), QStringLiteral("10"));
    TypeInto(w.window, ProbabilityText(w.Item(pS1)), QStringLiteral("0.4"));
    QVERIFY(ErrorShown(w.Item(pS2)));
    TypeInto(w.window, ProbabilityText(w.Item(pS2)), QStringLiteral("0.6"));
    TypeInto(w.window, PayoffText(w.Item(pS1)), QStringLiteral("30"));
    TypeInto(w.window, PayoffText(w.Item(pS2)), QStringLiteral("-5"));
    QCOMPARE(PayoffText(w.Item(pS))->toPlainText(), QStringLiteral("9"));
    QCOMPARE(PayoffText(w.Item(pD))->toPlainText(), QStringLiteral("10"));
    QVERIFY(ArrowIsRed(w.Item(pA)) && !ArrowIsRed(w.Item(pB)) && !ErrorShown(w.Item(pS2)));
    QCOMPARE(WindowFault(w.window), QString());
    QCOMPARE(w.Stack()->count(), 7);
    QVERIFY(w.window.isWindowModified());

    // Saved through the file dialog, then opened in a window of its own.
    const QString strPath = dir.filePath(QStringLiteral("Plan.rmproj"));
    AnswerFileDialog(strPath);
    QVERIFY(w.window.SaveProject());
    QCOMPARE(w.window.GetFilePath(), strPath);
    CDecisionTreeWindow reopened(nullptr, QString());
    QVERIFY(reopened.LoadProject(strPath));
    QCOMPARE(reopened.GetProjectName(), QStringLiteral("Plan"));
    // Only the Root differs: opening stores the place it was shown at.
    QCOMPARE(Lines(reopened.GetTree().GetRoot()).mid(1), Lines(pRoot).mid(1));
    QCOMPARE(WindowFault(reopened), QString());
}

RAMIFY_GUI_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
