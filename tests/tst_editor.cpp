#include "CDecisionSolver.h"
#include "CFoldBadge.h"
#include "CValueChangedCommand.h"
#include "ContextAction.h"
#include "GuiTest.h"
#include "TestTrees.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cmath>

using namespace GuiTest;

// One project window with its items: editing texts in place, the rollback
// and warnings that follow, opening files, dragging and closing.
class TestEditor : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void editCycle_data();
    void editCycle();
    void probabilityWarningAndRecovery();
    void escapeRestoresTheExactValue_data();
    void escapeRestoresTheExactValue();
    void canvasKeysDoWhatTheMenuDoes_data();
    void canvasKeysDoWhatTheMenuDoes();
    void addDialogKeepsWhatWasTyped();
    void addDialogReadsAsTheCanvas_data();
    void addDialogReadsAsTheCanvas();
    void addDialogFitsItsHeaders();
    void openFile_data();
    void openFile();
    void dragStoresPositionAndArrowsFollow();
    void drawnTextMeasuresAsEdited_data();
    void drawnTextMeasuresAsEdited();
    void undoTakesAwayTheTextBeingEdited();
    void closeQuestion_data();
    void closeQuestion();
    void modifiedMarkFollowsTheSavedState();
    void foldsAndNumberFormatChangeOnlyTheLook();
    void secondNumbersFollowTheCriteria();

private:
    QTemporaryDir dir;
};

namespace {

enum Field
{
    Name,
    Probability,
    Payoff,
    // The second payoff of a project of two criteria.
    Payoff2,
};

CQEditableGraphicsTextItem *Text(CNodeGrapicsItem *pItem, int nField)
{
    if (nField == Probability)
        return ProbabilityText(pItem);
    if (nField == Payoff2)
        return Payoff2Text(pItem);
    return nField == Payoff ? PayoffText(pItem) : pItem;
}

// The edited value as text, exact to the last bit.
QString Value(const CNode *pNode, int nField)
{
    if (nField == Name)
        return QString::fromStdString(pNode->name);
    const double dValue = nField == Probability ? pNode->probability
                          : nField == Payoff2   ? pNode->payoff2
                                                : pNode->payoff;
    return QString::number(dValue, 'g', 17);
}

// Two criteria for the project, outside its history: the second payoff's
// texts show.
void TwoCriteria(CProjectDocument &document)
{
    CProjectSettings settings = document.GetSettings();
    settings.criteria.two = true;
    settings.criteria.weight = 2;
    document.SetSettings(settings);
}

} // namespace

void TestEditor::editCycle_data()
{
    QTest::addColumn<int>("option"); // 0 A, 1 S1, 2 S
    QTest::addColumn<int>("field");
    QTest::addColumn<double>("start");  // set before the edit unless NaN
    QTest::addColumn<QString>("typed"); // null: enter the text and leave it untouched
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("steps");
    // Formulas of the variable x = 7: the one set before, and the one after.
    QTest::addColumn<QString>("formulaBefore");
    QTest::addColumn<QString>("formula");
    const double dKeep = std::nan("");
    const QString n; // no formula
    QTest::newRow("rename") << 2 << int(Name) << dKeep << "Market"
                            << "Market" << 1 << n << n;
    QTest::newRow("rename to the same") << 2 << int(Name) << dKeep << "S"
                                        << "S" << 0 << n << n;
    QTest::newRow("payoff grouped") << 0 << int(Payoff) << dKeep << "-1,500"
                                    << "-1500" << 1 << n << n;
    QTest::newRow("payoff letters refused") << 0 << int(Payoff) << dKeep << "12abc"
                                            << "10" << 0 << n << n;
    QTest::newRow("payoff beyond six digits kept")
        << 0 << int(Payoff) << 1234567.891 << QString() << QString::number(1234567.891, 'g', 17)
        << 0 << n << n;
    QTest::newRow("probability as a percentage") << 1 << int(Probability) << dKeep << "50 %"
                                                 << "0.5" << 1 << n << n;
    QTest::newRow("probability emptied refused") << 1 << int(Probability) << dKeep << ""
                                                 << "0.40000000000000002" << 0 << n << n;
    QTest::newRow("probability a third kept exactly")
        << 1 << int(Probability) << 1.0 / 3 << QString() << QString::number(1.0 / 3, 'g', 17) << 0
        << n << n;
    QTest::newRow("payoff formula") << 0 << int(Payoff) << dKeep << "x * 2"
                                    << "14" << 1 << n << "x * 2";
    QTest::newRow("payoff formula of an unknown name refused")
        << 0 << int(Payoff) << dKeep << "y + 1"
        << "10" << 0 << n << n;
    QTest::newRow("payoff rest refused") << 0 << int(Payoff) << dKeep << "#"
                                         << "10" << 0 << n << n;
    QTest::newRow("probability rest") << 1 << int(Probability) << dKeep << "#"
                                      << "0.40000000000000002" << 1 << n << "#";
    QTest::newRow("probability formula over a formula")
        << 1 << int(Probability) << dKeep << "x / 20"
        << "0.34999999999999998" << 1 << "x / 10 - 0.3"
        << "x / 20";
    QTest::newRow("number over a formula") << 0 << int(Payoff) << dKeep << "4"
                                           << "4" << 1 << "x + 3" << n;
    QTest::newRow("formula edited as written, left unchanged")
        << 0 << int(Payoff) << dKeep << QString() << "10" << 0 << "x + 3"
        << "x + 3";
    // The second payoff is typed as the first, from 10 as A's first is.
    QTest::newRow("second payoff grouped") << 0 << int(Payoff2) << 10.0 << "-1,500"
                                           << "-1500" << 1 << n << n;
    QTest::newRow("second payoff letters refused") << 0 << int(Payoff2) << 10.0 << "12abc"
                                                   << "10" << 0 << n << n;
    QTest::newRow("second payoff beyond six digits kept")
        << 1 << int(Payoff2) << 1234567.891 << QString() << QString::number(1234567.891, 'g', 17)
        << 0 << n << n;
    QTest::newRow("second payoff formula") << 1 << int(Payoff2) << 10.0 << "x * 2"
                                           << "14" << 1 << n << "x * 2";
    QTest::newRow("second payoff formula of an unknown name refused")
        << 0 << int(Payoff2) << 10.0 << "y + 1"
        << "10" << 0 << n << n;
    QTest::newRow("second payoff rest refused") << 0 << int(Payoff2) << 10.0 << "#"
                                                << "10" << 0 << n << n;
    QTest::newRow("second number over a formula") << 1 << int(Payoff2) << dKeep << "4"
                                                  << "4" << 1 << "x + 3" << n;
    QTest::newRow("second formula edited as written, left unchanged")
        << 0 << int(Payoff2) << dKeep << QString() << "10" << 0 << "x + 3"
        << "x + 3";
}

void TestEditor::editCycle()
{
    // Typing writes through to the node and is rolled back at once; ending the
    // edit makes one undo step that knows the value from before, and only
    // when something changed. A text that does not read is never written, and
    // ending the edit puts it back and says why.
    QFETCH(int, option);
    QFETCH(int, field);
    QFETCH(double, start);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(int, steps);
    QFETCH(QString, formulaBefore);
    QFETCH(QString, formula);
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    CNode *pNode = std::vector<CNode *>{plan.a, plan.s1, plan.s}[size_t(option)];
    CProjectDocument &document = w.window.GetDocument();
    CVariables variables;
    CVariables::Variable x;
    x.name = "x";
    x.value = 7.0;
    variables.Add(x);
    document.SetVariables(variables);
    const auto formulaOf = [&] {
        return QString::fromStdString(field == Payoff    ? pNode->payoffFormula
                                      : field == Payoff2 ? pNode->payoff2Formula
                                                         : pNode->probabilityFormula);
    };
    if (field == Payoff2) {
        TwoCriteria(document);
        document.SetPayoff2(pNode, std::isnan(start) ? 0.0 : start, formulaBefore.toStdString());
    } else if (!formulaBefore.isEmpty()) {
        document.SetFormulas(pNode, field == Payoff ? formulaBefore.toStdString() : "",
                             field == Payoff ? "" : formulaBefore.toStdString());
    }
    if (!std::isnan(start) && field != Payoff2) {
        const auto set = [&](CNode *pSet, double dValue) {
            w.window.ApplyNodeValues(pSet, QString::fromStdString(pSet->name),
                                     field == Probability ? dValue : pSet->probability,
                                     field == Payoff ? dValue : pSet->payoff);
        };
        set(pNode, start);
        if (pNode == plan.s1)
            set(plan.s2, 1 - start);
    }
    const QStringList before = Lines(w.Root());
    const QString strBefore = Value(pNode, field);
    CQEditableGraphicsTextItem *pText = Text(w.Item(pNode), field);
    const QString strTextBefore = pText->toPlainText();
    // Emptying the text comes first, and nothing typed here reads as 0.
    QStringList seen;
    connect(&w.window, &CDecisionTreeWindow::sig_evaluated, [&] { seen << Value(pNode, field); });
    QSignalSpy said(&w.window, &CDecisionTreeWindow::sig_statusMessage);
    if (typed.isNull()) {
        StartEditing(w.window, pText);
        // A formula is edited as written.
        if (!formulaBefore.isEmpty())
            QCOMPARE(pText->toPlainText(), formulaBefore);
        QTest::keyClick(w.window.viewport(), Qt::Key_Return);
    } else {
        TypeInto(w.window, pText, typed);
    }
    QCOMPARE(pText->document()->blockCount(), 1);
    QCOMPARE(Value(pNode, field), after);
    QCOMPARE(formulaOf(), formula);
    QCOMPARE(w.Stack()->count(), steps);
    QCOMPARE(WindowFault(w.window), QString());
    if (field != Payoff2)
        QCOMPARE(plan.d->payoff, std::max(plan.a->payoff, plan.s->payoff));
    QVERIFY2(!seen.contains("0"), qPrintable(seen.join(' ')));
    const bool bRefused = steps == 0 && !typed.isNull() && field != Name;
    QCOMPARE(said.count(), int(bRefused));
    if (bRefused)
        QCOMPARE(w.Item(pNode)->ToolTipFor(pText), said.at(0).at(0).toString());
    if (steps == 0) {
        QCOMPARE(pText->toPlainText(), strTextBefore);
        return;
    }
    QVERIFY(w.window.isWindowModified());
    w.Stack()->undo();
    QCOMPARE(Value(pNode, field), strBefore);
    QCOMPARE(formulaOf(), formulaBefore);
    QCOMPARE(Lines(w.Root()), before);
    QCOMPARE(WindowFault(w.window), QString());
    w.Stack()->redo();
    QCOMPARE(Value(pNode, field), after);
    QCOMPARE(formulaOf(), formula);
    if (!formula.contains('x'))
        return;
    // Without its variable the formula is flagged, and says why.
    document.SetVariables(CVariables());
    QCOMPARE(pText->defaultTextColor(), QColor(Qt::red));
    // The first payoff's text is not flagged for a formula of the second.
    if (field == Payoff2)
        QCOMPARE(PayoffText(w.Item(pNode))->defaultTextColor(), QColor(Qt::black));
    QVERIFY2(w.Item(pNode)->ToolTipFor(pText).contains("\"x\" is not a variable"),
             qPrintable(w.Item(pNode)->ToolTipFor(pText)));
    document.SetVariables(variables);
    QVERIFY(!w.Item(pNode)->ToolTipFor(pText).contains("\"x\""));
}

void TestEditor::probabilityWarningAndRecovery()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    // Texts that cannot be edited stay so: a Terminal's, a Decision's value.
    for (QGraphicsTextItem *pText :
         {PayoffText(w.Item(plan.d)), PayoffText(w.Item(plan.s1->children[0]))}) {
        DoubleClick(w.window, pText);
        QVERIFY(!pText->hasFocus());
    }
    TypeInto(w.window, ProbabilityText(w.Item(plan.s1)), QStringLiteral("0.3"));
    QVERIFY(ErrorShown(w.Item(plan.s1)) && ErrorShown(w.Item(plan.s2)));
    QVERIFY(!ArrowIsRed(w.Item(plan.a)));
    // Shown as rolling back the whole tree shows it, while flagged.
    QCOMPARE(plan.s->payoff, 0.3 * 30 + 0.6 * -5);
    // Mending the sum solves every option below the Situation again.
    TypeInto(w.window, PayoffText(w.Item(plan.s2)), QStringLiteral("5"));
    TypeInto(w.window, ProbabilityText(w.Item(plan.s2)), QStringLiteral("0.7"));
    QVERIFY(!ErrorShown(w.Item(plan.s1)) && !ErrorShown(w.Item(plan.s2)));
    QCOMPARE(plan.s->payoff, 0.3 * 30 + 0.7 * 5);
    QVERIFY(ArrowIsRed(w.Item(plan.b)) && !ArrowIsRed(w.Item(plan.a)));
    QCOMPARE(WindowFault(w.window), QString());
    // Undo walks back through the warning as well.
    w.Stack()->undo();
    QVERIFY(ErrorShown(w.Item(plan.s1)));
    QCOMPARE(w.Stack()->count(), 3);
}

void TestEditor::escapeRestoresTheExactValue_data()
{
    QTest::addColumn<int>("option"); // 0 A, 1 S1
    QTest::addColumn<int>("tabs");   // after F2 on the name; negative: Shift+Tab
    QTest::addColumn<int>("field");
    QTest::newRow("name") << 1 << 0 << int(Name);
    QTest::newRow("probability a third") << 1 << 1 << int(Probability);
    QTest::newRow("payoff beyond six digits") << 1 << 2 << int(Payoff);
    QTest::newRow("back round to a Decision's payoff") << 0 << -1 << int(Payoff);
    QTest::newRow("second payoff beyond six digits") << 1 << 3 << int(Payoff2);
    QTest::newRow("back round to a second payoff") << 0 << -1 << int(Payoff2);
}

void TestEditor::escapeRestoresTheExactValue()
{
    // F2 and Tab reach the text; Escape takes back what was typed, down to
    // the digits that the rounded text hid, and leaves no undo step.
    QFETCH(int, option);
    QFETCH(int, tabs);
    QFETCH(int, field);
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    w.window.ApplyNodeValues(plan.s1, "S1", 1.0 / 3, 1234567.891);
    w.window.ApplyNodeValues(plan.s2, "S2", 2.0 / 3, -5);
    CNode *pNode = option ? plan.s1 : plan.a;
    if (field == Payoff2) {
        TwoCriteria(w.window.GetDocument());
        w.window.GetDocument().SetPayoff2(pNode, 1234567.891, "");
    }
    const QStringList before = Lines(w.Root());
    const QString strBefore = Value(pNode, field);
    w.Item(pNode)->setSelected(true);
    QTest::keyClick(w.window.viewport(), Qt::Key_F2);
    for (int i = 0; i < std::abs(tabs); ++i)
        QTest::keyClick(w.window.viewport(), tabs > 0 ? Qt::Key_Tab : Qt::Key_Backtab);
    QGraphicsTextItem *pText = Text(w.Item(pNode), field);
    QVERIFY(pText->hasFocus());
    QTest::keyClicks(w.window.viewport(), QStringLiteral("0.9"));
    QTest::keyClick(w.window.viewport(), Qt::Key_Escape);
    QVERIFY(!pText->hasFocus());
    QCOMPARE(Lines(w.Root()), before);
    QCOMPARE(Value(pNode, field), strBefore);
    QCOMPARE(w.Stack()->count(), 0);
    QCOMPARE(WindowFault(w.window), QString());
}

void TestEditor::canvasKeysDoWhatTheMenuDoes_data()
{
    QTest::addColumn<int>("key"); // a QKeySequence::StandardKey
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("copied"); // the node copied first
    QTest::addColumn<int>("offered");    // on how many nodes the menu offers it
    using namespace ContextAction;
    QTest::newRow("Delete") << int(QKeySequence::Delete) << int(ActionDelete) << "" << 7;
    QTest::newRow("Cut") << int(QKeySequence::Cut) << int(ActionCut) << "" << 7;
    QTest::newRow("Copy") << int(QKeySequence::Copy) << int(ActionCopy) << "" << 8;
    QTest::newRow("Paste an option") << int(QKeySequence::Paste) << int(ActionPaste) << "S1" << 3;
    QTest::newRow("Paste a situation") << int(QKeySequence::Paste) << int(ActionPaste) << "S" << 3;
}

void TestEditor::canvasKeysDoWhatTheMenuDoes()
{
    // On every node, the key on the selected node and the menu entry leave
    // the same tree, clipboard and history: an only option is not deleted.
    QFETCH(int, key);
    QFETCH(int, action);
    QFETCH(QString, copied);
    QFETCH(int, offered);
    TestWindow byKey, byMenu;
    for (TestWindow *pWindow : {&byKey, &byMenu}) {
        const PlanNodes plan = GrowPlan(*pWindow);
        pWindow->AddBranch(plan.a, NodeType::Decision, "E", {Row("Only")});
        for (CNode *pNode : Attached(plan.root))
            if (QString::fromStdString(pNode->name) == copied)
                pWindow->window.CopyNode(pWindow->Item(pNode));
    }
    QVERIFY(byMenu.Show());
    int nOffered = 0;
    const size_t nNodes = Attached(byKey.Root()).size();
    for (size_t i = 0; i < nNodes; ++i) {
        const CNode *pMenuNode = Attached(byMenu.Root())[i];
        nOffered += RightClick(byMenu.window, byMenu.Item(pMenuNode), action)
                        .value_or(QList<int>())
                        .contains(action);
        byKey.window.scene()->clearSelection();
        byKey.Item(Attached(byKey.Root())[i])->setSelected(true);
        QTest::keySequence(byKey.window.viewport(), QKeySequence::StandardKey(key));
        QCOMPARE(Lines(byKey.Root()), Lines(byMenu.Root()));
        QCOMPARE(Lines(byKey.window.GetClipboard()), Lines(byMenu.window.GetClipboard()));
        QCOMPARE(byKey.Stack()->index(), byMenu.Stack()->index());
        for (TestWindow *pWindow : {&byKey, &byMenu})
            if (pWindow->Stack()->index() > 1)
                pWindow->Stack()->undo();
    }
    QCOMPARE(nOffered, offered);
}

void TestEditor::addDialogKeepsWhatWasTyped()
{
    // Options for a Decision: no share to type in vain, rows typed survive a
    // change of their number, a payoff that does not read goes back to the one
    // that did, and Enter in a cell being typed adds them all.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    bool bShareAsked = true;
    AnswerModal<CAddNodeDialog>([&bShareAsked](CAddNodeDialog *pDialog) {
        auto *pTable = pDialog->findChild<QTableWidget *>();
        auto *pCount = pDialog->findChild<QSpinBox *>();
        bShareAsked = !pTable->isColumnHidden(1);
        pTable->item(0, 0)->setText(QStringLiteral("Don't drill"));
        pTable->item(1, 2)->setText(QStringLiteral("2,500"));
        pTable->item(0, 2)->setText(QStringLiteral("7"));
        pTable->item(0, 2)->setText(QStringLiteral("$7"));
        pCount->setValue(4);
        pCount->setValue(3);
        pTable->setCurrentCell(2, 0);
        QTest::keyClick(pTable, 'S');
        QWidget *pEditor = pTable->viewport()->findChild<QLineEdit *>();
        QTest::keyClicks(pEditor, QStringLiteral("oaking"));
        QTest::keyClick(pEditor, Qt::Key_Return);
        if (pDialog->isVisible()) // Enter failed to add them
            pDialog->reject();
    });
    w.window.AddOption(w.Item(plan.d));
    QVERIFY(!bShareAsked);
    QStringList added;
    for (size_t i = 2; i < plan.d->children.size(); ++i)
        added << QStringLiteral("%1 %2 %3")
                     .arg(QString::fromStdString(plan.d->children[i]->name))
                     .arg(plan.d->children[i]->probability)
                     .arg(plan.d->children[i]->payoff);
    QCOMPARE(added, QStringList({"Don't drill 1 7", "No 1 2500", "Soaking 1 0"}));
}

void TestEditor::addDialogReadsAsTheCanvas_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("refused");
    QTest::newRow("formula payoff") << "-cDrill" << 2 << "-cDrill" << -70000.0 << false;
    QTest::newRow("grouped payoff") << "1,500" << 2 << "" << 1500.0 << false;
    QTest::newRow("percentage") << "25%" << 1 << "" << 0.25 << false;
    QTest::newRow("rest") << "#" << 1 << "#" << 0.4 << false;
    QTest::newRow("rest as payoff") << "#" << 2 << "" << 30.0 << true;
    QTest::newRow("unknown name") << "cNone * 2" << 2 << "" << 30.0 << true;
    QTest::newRow("broken formula") << "(cDrill" << 2 << "" << 30.0 << true;
}

// The dialog refused formulas the canvas took ("'-cDrill' is not a number"),
// and after a refused cell the next Tab was swallowed, so what followed went
// into the wrong cells. A text reads alike in both; a refused one keeps its
// cell open for the next keys.
void TestEditor::addDialogReadsAsTheCanvas()
{
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(QString, formula);
    QFETCH(double, value);
    QFETCH(bool, refused);
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    CVariables variables;
    CVariables::Variable cost;
    cost.name = "cDrill";
    cost.value = 70000;
    variables.Add(cost);
    w.window.ChangeVariables(QStringLiteral("Add"), variables, {});
    QVERIFY(w.Show());
    CNodeGrapicsItem *pItem = w.Item(plan.s1);
    TypeInto(w.window,
             column == 1 ? static_cast<QGraphicsTextItem *>(ProbabilityText(pItem))
                         : PayoffText(pItem),
             text);
    const auto read = [column](const CNode *pNode) {
        return std::make_pair(
            QString::fromStdString(column == 1 ? pNode->probabilityFormula : pNode->payoffFormula),
            column == 1 ? pNode->probability : pNode->payoff);
    };
    const double dBefore = column == 1 ? 0.4 : 30.0;
    QCOMPARE(read(plan.s1), std::make_pair(formula, refused ? dBefore : value));

    QString strLeftIn;
    AnswerModal<CAddNodeDialog>([&](CAddNodeDialog *pDialog) {
        pDialog->findChild<QSpinBox *>()->setValue(1);
        auto *pTable = pDialog->findChild<QTableWidget *>();
        pTable->item(0, 1)->setText(QStringLiteral("0.4"));
        pTable->item(0, 2)->setText(QStringLiteral("30"));
        pTable->setCurrentCell(0, column);
        QApplication::setActiveWindow(pDialog);
        QTest::keyClick(pTable, text[0].toLatin1());
        QTest::keyClicks(pDialog->focusWidget(), text.mid(1));
        QTest::keyClick(pDialog->focusWidget(), Qt::Key_Tab);
        if (auto *pEditor = qobject_cast<QLineEdit *>(pDialog->focusWidget()))
            strLeftIn = pEditor->text();
        if (strLeftIn == text) { // still open: typed over
            QTest::keyClicks(pDialog->focusWidget(), QStringLiteral("7"));
            QTest::keyClick(pDialog->focusWidget(), Qt::Key_Tab);
        }
        QTest::keyClick(pDialog->focusWidget(), Qt::Key_Return);
        if (pDialog->isVisible())
            pDialog->reject();
    });
    w.window.AddOption(w.Item(plan.s));
    QCOMPARE(strLeftIn == text, refused);
    QCOMPARE(plan.s->children.size(), size_t(3));
    const auto added = read(plan.s->children.back());
    // A rest is the rest of the options it joins, which differ.
    if (refused)
        QCOMPARE(added, std::make_pair(QString(), 7.0));
    else if (formula == QLatin1String("#"))
        QCOMPARE(added.first, formula);
    else
        QCOMPARE(added, std::make_pair(formula, value));
}

// The Situation's dialog cut its last header, "Payoff Comment", short.
void TestEditor::addDialogFitsItsHeaders()
{
    for (const int nKind : {NodeType::Decision, NodeType::Situation, NodeType::Option}) {
        CAddNodeDialog dialog(nKind, nullptr, NodeType::Situation);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *pTable = dialog.findChild<QTableWidget *>();
        QHeaderView *pHeader = pTable->horizontalHeader();
        for (int nColumn = 0; nColumn < pTable->columnCount(); ++nColumn) {
            if (pTable->isColumnHidden(nColumn))
                continue;
            QVERIFY(pHeader->sectionSize(nColumn) >= pHeader->sectionSizeHint(nColumn));
            QVERIFY(pHeader->sectionViewportPosition(nColumn) + pHeader->sectionSize(nColumn) <=
                    pTable->viewport()->width());
        }
    }
}

void TestEditor::openFile_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no such file
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("items");
    QTest::addColumn<bool>("stale");
    WorkedExample ex;
    ex.s->x = 300;
    ex.s->y = -40;
    CDecisionSolver().Solve(ex.root, [](CNode *) {});
    const QByteArray plan = WriteBytes(ex.tree, QStringLiteral("Stored"));
    QTest::newRow("as saved") << plan << true << 10 << false;
    // The Situation shows its best case, 30, instead of its average.
    QTest::newRow("rule") << QByteArray(plan).replace("Version=\"1\"",
                                                      "Version=\"1\" Rule=\"mini-max\"")
                          << true << 10 << true;
    ex.d->payoff = 77;
    QTest::newRow("stale value") << WriteBytes(ex.tree, QStringLiteral("Stored")) << true << 10
                                 << true;
    ex.d->payoff = 10;
    ex.a->active = false;
    ex.b->active = true;
    QTest::newRow("stale choice") << WriteBytes(ex.tree, QStringLiteral("Stored")) << true << 10
                                  << true;
    // The Situation cut off from its options ends in a Terminal, as one
    // whose options were deleted does, and no longer has the value it stored.
    QTest::newRow("broken off") << plan.left(plan.indexOf("Name=\"S1\"")) << false << 7 << true;
    QTest::newRow("missing") << QByteArray() << false << 0 << false;
    QTest::newRow("other XML") << QByteArray("<Shop><Item/></Shop>") << false << 0 << false;
    CDecisionTree two;
    two.SetRoot(CNode::CreateRoot(nullptr, "Two"));
    CNode::CreateTerminal(two.GetRoot(), "");
    CNode::CreateTerminal(two.GetRoot(), "");
    QTest::newRow("Root with two children") << WriteBytes(two, "Two") << false << 0 << false;
}

void TestEditor::openFile()
{
    // Opening shows the rollback of what the file holds; a file whose stored
    // values differ from it opens modified and says so, and a file that
    // cannot be read completely says so and names the file.
    QFETCH(QByteArray, file);
    QFETCH(bool, loaded);
    QFETCH(int, items);
    QFETCH(bool, stale);
    const QString strPath = dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QFile out(strPath);
    if (!file.isNull()) {
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();
    }
    CDecisionTreeWindow window(nullptr, QString());
    QSignalSpy told(&window, &CDecisionTreeWindow::sig_storedValuesStale);
    QStringList texts;
    // A file whose nodes cannot be shown says so as well.
    const bool bTold = !loaded || items == 0;
    if (bTold)
        AnswerMessageBoxes({QMessageBox::Ok}, &texts);
    QCOMPARE(window.LoadProject(strPath), loaded);
    QCOMPARE(texts.size(), bTold ? 1 : 0);
    QVERIFY2(!bTold || texts[0].contains(strPath), qPrintable(texts.value(0)));
    int nItems = 0;
    for (QGraphicsItem *pItem : window.scene()->items())
        nItems += qobject_cast<CNodeGrapicsItem *>(pItem->toGraphicsObject()) != nullptr;
    QCOMPARE(nItems, items);
    QCOMPARE(window.isWindowModified(), stale);
    QCOMPARE(told.count(), stale ? 1 : 0);
    if (items != 10)
        return;
    QCOMPARE(window.GetProjectName(), QStringLiteral("Stored"));
    const CNode *pDecision = window.GetTree().GetRoot()->children[0];
    QCOMPARE(PayoffText(window.GetItem(pDecision))->toPlainText(), QStringLiteral("10"));
    const CNode *pSituation = pDecision->children[1]->children[0];
    QCOMPARE(window.GetItem(pSituation)->pos(), QPointF(300, -40));
    QVERIFY(ArrowIsRed(window.GetItem(pDecision->children[0])));
    QVERIFY(!ArrowIsRed(window.GetItem(pSituation)));
    if (QByteArray(QTest::currentDataTag()) != "rule")
        return;
    // Saved again, the project keeps its rule.
    QVERIFY(window.SaveProject());
    QVERIFY(out.open(QIODevice::ReadOnly));
    QVERIFY(out.readAll().contains("Rule=\"mini-max\""));
}

void TestEditor::drawnTextMeasuresAsEdited_data()
{
    QTest::addColumn<QString>("text");
    for (const char *pText : {"", "Don't drill", "-1234567.891", "33.33%", "1e+15", "Ærø 日本 😀",
                              " padded ", "fi ffl AV To", "\u05E9\u05DC\u05D5\u05DD ok",
                              "ok \u05E9\u05DC\u05D5\u05DD", "two\nlines"})
        QTest::newRow(pText) << QString::fromUtf8(pText);
}

void TestEditor::drawnTextMeasuresAsEdited()
{
    // A text is only drawn until it is edited; were it measured otherwise
    // than its document lays it out, items and arrows would jump as editing
    // begins, and an arrangement would overlap once texts are edited.
    QFETCH(QString, text);
    CQEditableGraphicsTextItem drawn(nullptr, text, false, true);
    const QRectF before = drawn.boundingRect();
    QCOMPARE(drawn.document()->toPlainText(), text);
    QCOMPARE(drawn.boundingRect(), before);
    QCOMPARE(drawn.toPlainText(), text);
}

void TestEditor::dragStoresPositionAndArrowsFollow()
{
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    CNodeGrapicsItem *pItem = w.Item(plan.s);
    pItem->setPos(10.9, -3.7);
    QCOMPARE(QPoint(plan.s->x, plan.s->y), QPoint(10, -3));
    // A drag far off must not become undefined behaviour nor "never placed".
    pItem->setPos(-0.5, -1e12);
    QCOMPARE(QPoint(plan.s->x, plan.s->y), QPoint(0, std::numeric_limits<int32_t>::min() + 1));
    pItem->setPos(200, 300);
    w.Item(plan.b)->setPlainText(QStringLiteral("a much longer name for B"));
    // Arrows in and out of moved and renamed items still join them.
    QCOMPARE(SceneFault(w.window), QString());
    QCOMPARE(w.Stack()->count(), 0);
}

void TestEditor::undoTakesAwayTheTextBeingEdited()
{
    // Undo can run while a text is edited; when it takes that text off the
    // scene, the lost focus must not push a step from inside the undo, nor
    // reach a freed node.
    TestWindow w;
    QVERIFY(w.Show());
    CNode *pDecision = w.AddBranch(w.Root(), NodeType::Decision, "D", {Row("A"), Row("B")});
    StartEditing(w.window, PayoffText(w.Item(pDecision->children[0])));
    QTest::keyClicks(w.window.viewport(), QStringLiteral("99"));
    w.Stack()->undo();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(w.Stack()->count(), 1);
    QCOMPARE(WindowFault(w.window), QString());
    w.Stack()->redo();
    QCOMPARE(WindowFault(w.window), QString());
}

void TestEditor::closeQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("path"); // "" never saved, "bad" unwritable, "good" writable
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("written");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << "good" << false << false;
    QTest::newRow("no") << int(QMessageBox::No) << "good" << true << false;
    QTest::newRow("yes") << int(QMessageBox::Yes) << "good" << true << true;
    QTest::newRow("yes, dialog cancelled") << int(QMessageBox::Yes) << "" << false << false;
    QTest::newRow("yes, write fails") << int(QMessageBox::Yes) << "bad" << false << false;
}

void TestEditor::closeQuestion()
{
    // A "Yes" whose save did not happen must not throw the project away.
    QFETCH(int, answer);
    QFETCH(QString, path);
    QFETCH(bool, closes);
    QFETCH(bool, written);
    TestWindow w(QStringLiteral("Project1"));
    QVERIFY(w.Show());
    w.window.setWindowModified(true);
    QString strFile;
    if (!path.isEmpty())
        strFile = dir.filePath(path == "good" ? QStringLiteral("close-%1.rmproj").arg(answer)
                                              : QStringLiteral("no/such/folder.rmproj"));
    w.window.SetFilePath(strFile);
    QStringList texts;
    QList<QMessageBox::StandardButton> buttons{QMessageBox::StandardButton(answer)};
    if (path == "bad")
        buttons << QMessageBox::Ok; // the report of the failed write
    AnswerMessageBoxes(buttons, &texts);
    if (path.isEmpty())
        AnswerFileDialog(QString());
    QCOMPARE(w.window.close(), closes);
    QCOMPARE(texts.value(0),
             QStringLiteral("Confirmation\nDo you want to save Project1 before exit?"));
    QCOMPARE(texts.size(), buttons.size());
    QCOMPARE(!strFile.isEmpty() && QFile::exists(strFile), written);
    QVERIFY(closes || w.window.isWindowModified());
}

void TestEditor::modifiedMarkFollowsTheSavedState()
{
    // The mark says whether closing would lose anything: steps away from
    // what was saved, a comment included, and nodes moved by hand, which
    // undo does not take back.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    w.window.SetFilePath(dir.filePath(QStringLiteral("mark.rmproj")));
    QVERIFY(w.window.SaveProject() && !w.window.isWindowModified());
    AnswerModal<QInputDialog>([](QInputDialog *pDialog) {
        pDialog->setTextValue(QStringLiteral("dry hole"));
        pDialog->accept();
    });
    w.window.EditPayoffComment(w.Item(plan.a));
    QCOMPARE(plan.a->payoffComment, std::string("dry hole"));
    QCOMPARE(w.Stack()->undoText(), QStringLiteral("Change Payoff Comment"));
    QVERIFY(w.window.isWindowModified());
    w.Stack()->undo();
    QVERIFY(plan.a->payoffComment.empty() && !w.window.isWindowModified());
    w.Stack()->redo();
    QVERIFY(w.window.SaveProject() && !w.window.isWindowModified());
    w.Stack()->undo();
    QVERIFY(w.window.isWindowModified());
    w.Stack()->redo();
    QVERIFY(!w.window.isWindowModified());
    w.Item(plan.s)->setPos(500, 500);
    w.Stack()->undo();
    w.Stack()->redo();
    QVERIFY(w.window.isWindowModified());
}

void TestEditor::foldsAndNumberFormatChangeOnlyTheLook()
{
    TestWindow w;
    PlanNodes plan = GrowPlan(w);
    // Hidden means no item and no arrow (WindowFault); the values stay, no
    // undo step is made, the project is modified.
    w.window.Fold(plan.s);
    w.window.Fold(plan.d);
    const auto shows = [&w](const CNode *pNode) {
        return w.Item(pNode) && w.Item(pNode)->isVisible();
    };
    QVERIFY(!shows(plan.a) && !shows(plan.s1) && w.Stack()->count() == 0);
    QVERIFY(w.window.isWindowModified());
    QCOMPARE(WindowFault(w.window), QString());
    const CFoldBadge *pBadge = CFoldBadge::Of(w.Item(plan.d));
    QVERIFY(pBadge && pBadge->Hidden() == 8);
    // Arranged as a leaf; unfolded with what it kept folded inside.
    w.window.ArrangeTree();
    w.window.Unfold(plan.d);
    QVERIFY(shows(plan.s) && !shows(plan.s1) && plan.s->folded);
    QVERIFY(!CFoldBadge::Of(w.Item(plan.d)) && CFoldBadge::Of(w.Item(plan.s)));
    QCOMPARE(WindowFault(w.window), QString());
    // A command that needs a hidden node unfolds what it touches: the undo
    // of a delete below a fold, a paste into a folded node, the undo of a
    // value typed below a fold.
    w.window.Unfold(plan.s);
    w.window.DeleteNode(w.Item(plan.s2));
    w.window.Fold(plan.s);
    w.window.Fold(plan.d);
    w.Stack()->undo();
    QVERIFY(!plan.d->folded && !plan.s->folded && shows(plan.s2));
    QCOMPARE(WindowFault(w.window), QString());
    w.window.CopyNode(w.Item(plan.s1));
    w.window.Fold(plan.s);
    w.window.PasteNode(w.Item(plan.s));
    QVERIFY(!plan.s->folded);
    QCOMPARE(WindowFault(w.window), QString());
    w.window.ApplyNodeValues(plan.s1, "S1", 0.4, 77);
    w.Stack()->push(new CValueChangedCommand(w.Item(plan.s1), "S1", 0.4, 30, &w.window));
    w.window.Fold(plan.d);
    w.Stack()->undo();
    QVERIFY(!plan.d->folded && shows(plan.s1));
    QCOMPARE(plan.s1->payoff, 30.0);
    // Kept in the file: a save and a reopen show the same folds.
    w.window.Fold(plan.s);
    w.window.SetFilePath(dir.filePath(QStringLiteral("folds.rmproj")));
    QVERIFY(w.window.SaveProject());
    TestWindow reopened;
    QVERIFY(reopened.window.LoadProject(dir.filePath(QStringLiteral("folds.rmproj"))));
    QCOMPARE(WindowFault(reopened.window), QString());
    const int nAll = int(Attached(w.Root()).size());
    QCOMPARE(int(reopened.window.TreeScene()->Items().size()),
             nAll - CTreeScene::CountBelow(plan.s));
    reopened.window.UnfoldAll();
    QCOMPARE(WindowFault(reopened.window), QString());
    QCOMPARE(int(reopened.window.TreeScene()->Items().size()), nAll);
    // The number format is one undo step that changes only the wording.
    w.window.UnfoldAll();
    CProjectSettings settings;
    settings.numbers = {true, 2, QStringLiteral("$"), QString()};
    w.window.ChangeSettings(settings);
    QCOMPARE(PayoffText(w.Item(plan.s))->toPlainText(),
             NumberToText(plan.s->payoff, settings.numbers));
    QVERIFY(PayoffText(w.Item(plan.s))->toPlainText().startsWith('$'));
    QCOMPARE(WindowFault(w.window), QString());
    // The status bar words a value as the canvas does, however large.
    w.window.ApplyNodeValues(plan.s1, "S1", 0.4, 3000000);
    w.Item(plan.s)->setSelected(true);
    QVERIFY2(w.window.SelectionSummary().contains(PayoffText(w.Item(plan.s))->toPlainText()),
             qPrintable(w.window.SelectionSummary()));
    // An edit starts from the plain number and, left as it is, changes nothing.
    CQEditableGraphicsTextItem *pPayoff = PayoffText(w.Item(plan.s1));
    QVERIFY(w.Show());
    w.window.ensureVisible(pPayoff);
    StartEditing(w.window, pPayoff);
    QCOMPARE(pPayoff->toPlainText(), NumberToText(3000000));
    const int nSteps = w.Stack()->count();
    pPayoff->clearFocus();
    QCOMPARE(pPayoff->toPlainText(), NumberToText(3000000, settings.numbers));
    QCOMPARE(w.Stack()->count(), nSteps);
    w.window.scene()->clearSelection();
    w.Item(plan.s)->setSelected(true);
    w.Stack()->undo();
    QCOMPARE(WindowFault(w.window), QString());
    QCOMPARE(PayoffText(w.Item(plan.s))->toPlainText(), NumberToText(plan.s->payoff));
    QVERIFY2(w.window.SelectionSummary().contains(PayoffText(w.Item(plan.s))->toPlainText()),
             qPrintable(w.window.SelectionSummary()));
}

void TestEditor::secondNumbersFollowTheCriteria()
{
    // Two criteria put a second number under every payoff and value; an end
    // shows its path's sums of both payoffs, or the combined value when
    // asked. Taking the criteria back leaves the drawing as it was, to the
    // pixel.
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    QGraphicsScene &scene = *w.window.scene();
    const QRectF rctDrawn = scene.itemsBoundingRect();
    const auto picture = [&] {
        QImage image(rctDrawn.size().toSize(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        scene.render(&painter, QRectF(), rctDrawn);
        return image;
    };
    const QImage one = picture();
    const int nItems = scene.items().size();
    CProjectSettings settings = w.window.GetDocument().GetSettings();
    settings.criteria.two = true;
    settings.criteria.weight = 2;
    w.window.ChangeSettings(settings);
    for (auto [pOption, pText] :
         {std::pair(plan.a, "100"), {plan.b, "7"}, {plan.s1, "40"}, {plan.s2, "-6"}})
        QCOMPARE(w.window.TypeSecondPayoff(pOption, pText), QString());
    const auto sums = [&](bool bCombined) {
        w.window.SetShowCombined(bCombined);
        QCOMPARE(WindowFault(w.window), QString());
        // Summed here along each path, not by the rollback.
        for (const CNode *pEnd : Attached(w.Root())) {
            if (pEnd->type != NodeType::Terminal)
                continue;
            double dFirst = 0, dSecond = 0;
            for (const CNode *pUp = pEnd->parent; pUp; pUp = pUp->parent) {
                dFirst += pUp->payoff * (pUp->type == NodeType::Option || !pUp->parent);
                dSecond += pUp->payoff2 * (pUp->type == NodeType::Option);
            }
            CNodeGrapicsItem *pItem = w.Item(pEnd);
            QCOMPARE(PayoffText(pItem)->toPlainText(),
                     NumberToText(bCombined ? 2 * dFirst - dSecond : dFirst));
            QCOMPARE(Payoff2Text(pItem) ? Payoff2Text(pItem)->toPlainText() : QString(),
                     bCombined ? QString() : NumberToText(dSecond));
        }
    };
    sums(false);
    sums(true);
    sums(false);
    // The extra line has room once arranged.
    w.window.ArrangeTree();
    QCOMPARE(OverlapFault(w.window), QString());
    while (w.Stack()->canUndo())
        w.Stack()->undo();
    QCOMPARE(WindowFault(w.window), QString());
    QCOMPARE(scene.items().size(), nItems);
    QCOMPARE(picture(), one);
    w.Stack()->redo();
    QCOMPARE(WindowFault(w.window), QString());
}

RAMIFY_GUI_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
