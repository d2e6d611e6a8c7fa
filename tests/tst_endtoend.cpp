#include "CProjectFile.h"
#include "CommandTestKit.h"
#include "ContextAction.h"
#include "GuiTestMain.h"

#include <QTemporaryDir>

using namespace CommandTestKit;

// A project grown the way a user grows it: right-click menus, the add
// dialog, values typed into the canvas, then saved and opened again.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void growTheWorkedExample();
};

namespace {

// Why two trees differ in shape, kinds, names, values, comments or chosen
// options (places left aside); empty when they do not.
QString Difference(const CNode *pActual, const CNode *pExpected)
{
    std::vector<std::pair<const CNode *, const CNode *>> pending{{pActual, pExpected}};
    while (!pending.empty()) {
        auto [pGot, pWanted] = pending.back();
        pending.pop_back();
        const QString strWhere = Describe(pWanted) + QStringLiteral(": ");
        if (pGot->type != pWanted->type || pGot->name != pWanted->name)
            return strWhere + QStringLiteral("found ") + Describe(pGot);
        if (!qFuzzyCompare(pGot->probability, pWanted->probability))
            return strWhere + QStringLiteral("probability %1").arg(pGot->probability);
        if (!qFuzzyCompare(1 + pGot->payoff, 1 + pWanted->payoff))
            return strWhere + QStringLiteral("payoff %1").arg(pGot->payoff);
        if (pGot->payoffComment != pWanted->payoffComment)
            return strWhere + QStringLiteral("another comment");
        if (pGot->active != pWanted->active)
            return strWhere + QStringLiteral("another chosen state");
        if (pGot->children.size() != pWanted->children.size())
            return strWhere + QStringLiteral("%1 children").arg(pGot->children.size());
        for (size_t i = 0; i < pGot->children.size(); ++i)
            pending.emplace_back(pGot->children[i], pWanted->children[i]);
    }
    return QString();
}

} // namespace

void TestEndToEnd::growTheWorkedExample()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TestWindow w(QStringLiteral("Plan"));
    QVERIFY(w.Show());
    CNode *pRoot = w.Root();

    // The Root's menu: a Decision D with the options A and B.
    QString strTitle;
    AnswerAddDialog(QStringLiteral("D"), {Row("A"), Row("B")}, true, &strTitle);
    const std::optional<QList<int>> offered =
        RightClick(w.window, w.Item(pRoot), ContextAction::ActionAddDecision);
    QVERIFY(offered && offered->contains(ContextAction::ActionAddDecision));
    QCOMPARE(strTitle, QStringLiteral("Add Decision Dialog"));
    QCOMPARE(pRoot->children.size(), size_t(1));
    CNode *pD = Child(pRoot, 0);
    QCOMPARE(pD->children.size(), size_t(2));
    CNode *pA = Child(pD, 0);
    CNode *pB = Child(pD, 1);

    // B's menu: a Situation S with the options S1 and S2, left as the dialog
    // starts them (a certain first option, an impossible second one).
    AnswerAddDialog(QStringLiteral("S"), {Row("S1", 1), Row("S2", 0)}, true, &strTitle);
    RightClick(w.window, w.Item(pB), ContextAction::ActionAddSituation);
    QCOMPARE(strTitle, QStringLiteral("Add Situation Dialog"));
    QCOMPARE(pB->children.size(), size_t(1));
    CNode *pS = Child(pB, 0);
    QCOMPARE(pS->children.size(), size_t(2));
    CNode *pS1 = Child(pS, 0);
    CNode *pS2 = Child(pS, 1);
    QCOMPARE(w.Stack()->count(), 2);

    // The values go straight into the drawing, once the window has the
    // focus back from the dialogs.
    QVERIFY(w.Show());
    TypeInto(w.window, PayoffText(w.Item(pA)), QStringLiteral("10"));
    TypeInto(w.window, ProbabilityText(w.Item(pS1)), QStringLiteral("0.4"));
    QVERIFY(ErrorShown(w.Item(pS2)));
    TypeInto(w.window, ProbabilityText(w.Item(pS2)), QStringLiteral("0.6"));
    QVERIFY(!ErrorShown(w.Item(pS2)));
    TypeInto(w.window, PayoffText(w.Item(pS1)), QStringLiteral("30"));
    TypeInto(w.window, PayoffText(w.Item(pS2)), QStringLiteral("-5"));
    QCOMPARE(PayoffText(w.Item(pS))->toPlainText(), QStringLiteral("9"));
    QCOMPARE(PayoffText(w.Item(pD))->toPlainText(), QStringLiteral("10"));
    QVERIFY(ArrowIsRed(w.Item(pA)));
    QVERIFY(!ArrowIsRed(w.Item(pB)));
    QCOMPARE(ValueFault(w.window), QString());
    QVERIFY(w.window.isWindowModified());

    // Saved through the file dialog, then opened in a window of its own.
    const QString strPath = dir.filePath(QStringLiteral("Plan.rmproj"));
    AnswerFileDialog(strPath);
    QVERIFY(w.window.SaveProject());
    QCOMPARE(w.window.GetFilePath(), strPath);
    CDecisionTreeWindow reopened(nullptr, QString());
    QVERIFY(reopened.LoadProject(strPath));
    QCOMPARE(reopened.GetProjectName(), QStringLiteral("Plan"));

    CDecisionTree example;
    QVERIFY(CProjectFile::Read(QStringLiteral(RAMIFY_EXAMPLES_DIR "/Plan.rmproj"), example)
                .Succeeded());
    QCOMPARE(Difference(reopened.GetTree().GetRoot(), example.GetRoot()), QString());
    QCOMPARE(Difference(pRoot, example.GetRoot()), QString());
    QCOMPARE(RedArrowCount(reopened), 3);
}

RAMIFY_GUI_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
