#pragma once

// The one helper of the widget tests: a project window grown through the
// commands, the rules every window must keep, whole-tree states to compare,
// and a user's hands (double clicks, typing, right clicks, answered dialogs).

#include "CAddDecisionCommand.h"
#include "CAddNodeDialog.h"
#include "CAddOptionCommand.h"
#include "CAddSituationCommand.h"
#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CPayoff2GraphicsTextItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CQGraphicsArrowLineItem.h"
#include "OptionRow.h"
#include "TextNumber.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

#include <functional>
#include <optional>

// Qt 5.15's offscreen platform never releases its screen when the application
// object goes, which the leak checker rightly reports; widget tests end
// through this main, which hands the screens back first.
void ReleaseOffscreenScreens();
#define RAMIFY_GUI_TEST_MAIN(TestObject)                                                           \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        /* The program's own choices go to a folder of the tests, never the user's. */             \
        QStandardPaths::setTestModeEnabled(true);                                                  \
        app.setOrganizationName(QStringLiteral("RamifyTests"));                                    \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        int nResult = 0;                                                                           \
        {                                                                                          \
            TestObject testObject;                                                                 \
            QTEST_SET_MAIN_SOURCE_PATH                                                             \
            nResult = QTest::qExec(&testObject, argc, argv);                                       \
        }                                                                                          \
        ReleaseOffscreenScreens();                                                                 \
        return nResult;                                                                            \
    }

namespace GuiTest {

// The child text items of a node item, told apart by class.
inline CProbabilityGraphicsTextItem *ProbabilityText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems())
        if (auto *pText = qobject_cast<CProbabilityGraphicsTextItem *>(pChild->toGraphicsObject()))
            return pText;
    return nullptr;
}

inline CQEditableGraphicsTextItem *PayoffText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems()) {
        QGraphicsObject *pObject = pChild->toGraphicsObject();
        if (!qobject_cast<CProbabilityGraphicsTextItem *>(pObject))
            if (auto *pText = qobject_cast<CQEditableGraphicsTextItem *>(pObject))
                return pText;
    }
    return nullptr;
}

// The second number under a payoff or value, in a project of two criteria.
inline CPayoff2GraphicsTextItem *Payoff2Text(const CNodeGrapicsItem *pItem)
{
    const CQEditableGraphicsTextItem *pPayoff = PayoffText(pItem);
    for (QGraphicsItem *pChild : pPayoff ? pPayoff->childItems() : QList<QGraphicsItem *>())
        if (auto *pText = qobject_cast<CPayoff2GraphicsTextItem *>(pChild->toGraphicsObject()))
            return pText;
    return nullptr;
}

// Whether the "Error Value!" text above a probability shows.
inline bool ErrorShown(const CNodeGrapicsItem *pItem)
{
    const CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem);
    return pProbability && !pProbability->childItems().isEmpty() &&
           pProbability->childItems().front()->isVisible();
}

inline bool ArrowIsRed(const CNodeGrapicsItem *pItem)
{
    return pItem->GetArrow() && pItem->GetArrow()->IsActive();
}

inline OptionRow Row(const QString &strName, double dProbability = 1, double dPayoff = 0,
                     const QString &strComment = QString())
{
    return OptionRow{strName, dProbability, dPayoff, strComment, QString(), QString()};
}

// Every node attached below (and including) pRoot, parents before children.
inline std::vector<CNode *> Attached(CNode *pRoot)
{
    std::vector<CNode *> nodes;
    std::vector<CNode *> pending;
    if (pRoot)
        pending.push_back(pRoot);
    while (!pending.empty()) {
        nodes.push_back(pending.back());
        pending.pop_back();
        pending.insert(pending.end(), nodes.back()->children.rbegin(),
                       nodes.back()->children.rend());
    }
    return nodes;
}

inline QString Describe(const CNode *pNode)
{
    return QStringLiteral("%1 \"%2\"").arg(pNode->type).arg(QString::fromStdString(pNode->name));
}

// Why the tree breaks its structural rules; empty when it keeps them.
inline QString TreeFault(CNode *pRoot)
{
    if (!pRoot || pRoot->parent || pRoot->type != NodeType::Root)
        return QStringLiteral("no proper Root");
    for (const CNode *pNode : Attached(pRoot)) {
        int nOptions = 0;
        for (const CNode *pChild : pNode->children) {
            if (pChild->parent != pNode || pChild->type == NodeType::Root)
                return Describe(pChild) + QStringLiteral(" is linked wrongly");
            nOptions += pChild->type == NodeType::Option;
        }
        const size_t nCount = pNode->children.size();
        const bool bOnlyTerminal = pNode->HasOnlyTerminalChild();
        const bool bBranch =
            pNode->type == NodeType::Decision || pNode->type == NodeType::Situation;
        if ((bBranch && size_t(nOptions) != nCount && !bOnlyTerminal) ||
            (!bBranch && pNode->type != NodeType::Terminal && (nCount != 1 || nOptions)) ||
            (pNode->type == NodeType::Terminal && nCount))
            return Describe(pNode) + QStringLiteral(" has the wrong children");
    }
    return QString();
}

// Why the scene does not show exactly the attached nodes, each with one item
// and, but the Root, one arrow joining it to its parent's item.
inline QString SceneFault(CDecisionTreeWindow &window)
{
    const std::vector<CNode *> nodes = Attached(window.GetTree().GetRoot());
    QSet<const QGraphicsItem *> shown;
    for (const CNode *pNode : nodes) {
        const CNodeGrapicsItem *pItem = window.GetItem(pNode);
        // What a fold hides has no item at all.
        if (CTreeScene::IsHidden(pNode)) {
            if (pItem &&
                (pItem->isVisible() || (pItem->GetArrow() && pItem->GetArrow()->isVisible())))
                return Describe(pNode) + QStringLiteral(" is folded away but shows");
            continue;
        }
        if (!pItem || pItem->GetNode() != pNode || pItem->scene() != window.scene())
            return Describe(pNode) + QStringLiteral(" has no item on the scene");
        shown << pItem;
        const CQGraphicsArrowLineItem *pArrow = pItem->GetArrow();
        if (!pNode->parent)
            continue;
        const CNodeGrapicsItem *pParent = window.GetItem(pNode->parent);
        const QRectF bounds = pArrow ? pArrow->boundingRect() : QRectF();
        if (!pArrow || pArrow->scene() != window.scene() || !pParent ||
            !bounds.contains(pParent->mapToScene(pParent->RightAnchor())) ||
            !bounds.contains(pItem->mapToScene(pItem->LeftAnchor())))
            return Describe(pNode) + QStringLiteral("'s arrow does not join it to its parent");
        shown << pArrow;
    }
    for (QGraphicsItem *pItem : window.scene()->items())
        if (!pItem->parentItem() && pItem->isVisible() && !shown.contains(pItem))
            return QStringLiteral("something on the scene shows no attached node");
    return QString();
}

// Why an item shows something other than its node holds. The items are
// found as any reader of the scene finds them, not through the window, which
// might bring them up to date first.
inline QString ValueFault(CDecisionTreeWindow &window)
{
    QHash<const CNode *, const CNodeGrapicsItem *> items;
    for (const QGraphicsItem *pItem : window.scene()->items())
        if (const auto *pNodeItem = dynamic_cast<const CNodeGrapicsItem *>(pItem))
            items.insert(pNodeItem->GetNode(), pNodeItem);
    const CProjectSettings &settings = window.GetDocument().GetSettings();
    const bool bCombined = window.TreeScene()->ShowsCombined();
    for (const CNode *pNode : Attached(window.GetTree().GetRoot())) {
        if (CTreeScene::IsHidden(pNode))
            continue;
        const CNodeGrapicsItem *pItem = items.value(pNode);
        if (!pItem)
            return Describe(pNode) + QStringLiteral(" has no item");
        if (pItem->toPlainText() != QString::fromStdString(pNode->name))
            return Describe(pNode) + QStringLiteral(" shows the name ") + pItem->toPlainText();
        // Of two criteria, an option shows its two payoffs; any other node
        // its two expected criteria, or the combined value alone.
        const bool bOption = pNode->type == NodeType::Option;
        const bool bExpected = settings.criteria.two && !bOption && !bCombined;
        const double dFirst = bExpected ? pNode->expected1 : pNode->payoff;
        if (const CQEditableGraphicsTextItem *pPayoff = PayoffText(pItem)) {
            // An option's payoff may still show the digits that were typed.
            const QString strShown = pPayoff->toPlainText();
            if (strShown != NumberToText(dFirst, settings.numbers) &&
                !(bOption && strShown.toDouble() == pNode->payoff))
                return Describe(pNode) + QStringLiteral(" shows the payoff ") + strShown;
            const CPayoff2GraphicsTextItem *pSecond = Payoff2Text(pItem);
            if ((pSecond != nullptr) != (bExpected || (settings.criteria.two && bOption)))
                return Describe(pNode) +
                       (pSecond ? QStringLiteral(" shows") : QStringLiteral(" lacks")) +
                       QStringLiteral(" a second number");
            const double dSecond = bOption ? pNode->payoff2 : pNode->expected2;
            if (pSecond && pSecond->toPlainText() != NumberToText(dSecond, settings.numbers))
                return Describe(pNode) + QStringLiteral(" shows the second number ") +
                       pSecond->toPlainText();
        }
        if (const CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem))
            if (pProbability->GetProbability() != pNode->probability)
                return Describe(pNode) + QStringLiteral(" shows another probability");
        const CNode *pOwner = pNode->parent;
        const bool bOff =
            pOwner && pOwner->type == NodeType::Situation && !pOwner->ChildProbabilitiesAddUp();
        if (ErrorShown(pItem) != bOff)
            return Describe(pNode) + (bOff ? QStringLiteral(" hides") : QStringLiteral(" shows")) +
                   QStringLiteral(" the warning");
        // An arrow is red where every option on the way to it is chosen, in
        // a tree that adds up: into an end or a branch as into an option.
        bool bChosen = window.GetDocument().IsConsistent();
        for (const CNode *pUp = pNode; bChosen && pUp->parent; pUp = pUp->parent)
            bChosen = pUp->type != NodeType::Option || pUp->active;
        if (pNode->type != NodeType::Root && pItem->GetArrow() && ArrowIsRed(pItem) != bChosen)
            return Describe(pNode) +
                   QStringLiteral(" is drawn off the chosen path or on it wrongly");
    }
    return QString();
}

// Why the values of a tree whose Situations all add up (as closely as the
// window asks before it solves) are not those of a rollback of the whole
// tree: whatever was solved from where, the result must be the same. Says
// through pChecked whether the tree added up, so that a caller can count
// what was compared.
inline QString RollbackFault(CDecisionTree &tree, bool *pChecked = nullptr,
                             const CCriteria &criteria = CCriteria())
{
    if (pChecked)
        *pChecked = false;
    for (const CNode *pNode : Attached(tree.GetRoot())) {
        double dSum = 0;
        for (const CNode *pChild : pNode->children)
            dSum += pChild->probability;
        if (pNode->type == NodeType::Situation && !qFuzzyCompare(dSum, 1.0))
            return QString();
    }
    if (pChecked)
        *pChecked = true;
    CNode *pCopy = tree.GetRoot()->Clone();
    // The walk that evaluates upper nodes once per leaf below them, against
    // the one the window uses, which evaluates each node once.
    CDecisionSolver solver;
    solver.SetCriteria(criteria);
    solver.Solve(pCopy);
    const std::vector<CNode *> solved = Attached(pCopy);
    const std::vector<CNode *> nodes = Attached(tree.GetRoot());
    QString strFault;
    for (size_t i = 0; i < nodes.size() && strFault.isEmpty(); ++i)
        if (solved[i]->payoff != nodes[i]->payoff || solved[i]->active != nodes[i]->active ||
            (criteria.two && (solved[i]->expected1 != nodes[i]->expected1 ||
                              solved[i]->expected2 != nodes[i]->expected2)))
            strFault = Describe(nodes[i]) + QStringLiteral(" holds %1, a rollback gives %2")
                                                .arg(nodes[i]->payoff)
                                                .arg(solved[i]->payoff);
    CNode::FreeSubtree(pCopy);
    return strFault;
}

inline QString WindowFault(CDecisionTreeWindow &window, bool *pRolledBack = nullptr)
{
    QString strFault = TreeFault(window.GetTree().GetRoot());
    if (strFault.isEmpty())
        strFault = SceneFault(window);
    if (strFault.isEmpty())
        strFault = RollbackFault(window.GetTree(), pRolledBack,
                                 window.GetDocument().GetSettings().criteria);
    return strFault.isEmpty() ? ValueFault(window) : strFault;
}

// A node item with every text of it that shows, in scene coordinates.
inline QRectF Outline(const QGraphicsItem *pItem)
{
    QRectF rect = pItem->sceneBoundingRect();
    for (const QGraphicsItem *pText : pItem->childItems())
        rect |= pText->isVisible() ? Outline(pText) : QRectF();
    return rect;
}

// Which two nodes, with their texts, lie on top of each other; empty when
// none do. An arranged tree must never have such a pair.
inline QString OverlapFault(CDecisionTreeWindow &window)
{
    std::vector<CNode *> nodes = Attached(window.GetTree().GetRoot());
    nodes.erase(std::remove_if(nodes.begin(), nodes.end(), CTreeScene::IsHidden), nodes.end());
    for (size_t i = 0; i < nodes.size(); ++i)
        for (size_t j = i + 1; j < nodes.size(); ++j)
            if (Outline(window.GetItem(nodes[i])).intersects(Outline(window.GetItem(nodes[j]))))
                return Describe(nodes[i]) + QStringLiteral(" overlaps ") + Describe(nodes[j]);
    return QString();
}

// Which stored positions Lines() shows: those of Terminals are made afresh
// whenever a path ends; an automatic arrangement follows what the texts show,
// which depends on the way a tree got where it is.
enum Places
{
    AllPlaces,
    NoTerminalPlaces,
    NoPlaces,
};

// Shape, order, values and stored positions of a tree, a line per node. On
// request the values the solver owns are left out, which stay as they were
// while some Situation's options do not add up.
inline QStringList Lines(const CNode *pRoot, Places places = AllPlaces, bool bSolved = true)
{
    QStringList lines;
    std::vector<std::pair<const CNode *, int>> pending{{pRoot, 0}};
    while (!pending.empty() && pRoot) {
        auto [pNode, nDepth] = pending.back();
        pending.pop_back();
        const bool bTerminal = pNode->type == NodeType::Terminal;
        const bool bEntered = pNode->type == NodeType::Option || pNode->type == NodeType::Root;
        const bool bPlace = places == AllPlaces || (places == NoTerminalPlaces && !bTerminal);
        lines << QStringLiteral("%1%2 p=%3 v=%4 c=%5 at %6,%7 %8")
                     .arg(QString(nDepth, ' '), Describe(pNode))
                     .arg(bSolved || !bTerminal ? pNode->probability : 0, 0, 'g', 17)
                     .arg(bSolved || bEntered ? pNode->payoff : 0, 0, 'g', 17)
                     .arg(QString::fromStdString(pNode->payoffComment))
                     .arg(bPlace ? pNode->x : 0)
                     .arg(bPlace ? pNode->y : 0)
                     .arg(pNode->active && (bSolved || pNode->type != NodeType::Option));
        for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
            pending.emplace_back(*it, nDepth + 1);
    }
    return lines;
}

// A project window, grown through the same commands the menus push.
struct TestWindow
{
    CDecisionTreeWindow window;

    explicit TestWindow(const QString &strName = QStringLiteral("Plan")) : window(nullptr, strName)
    {
        window.resize(1000, 700);
        window.setWindowTitle(strName + QStringLiteral("[*]"));
        window.NewProject(strName);
    }

    bool Show()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }

    CNode *Root() { return window.GetTree().GetRoot(); }
    CNodeGrapicsItem *Item(const CNode *pNode) const { return window.GetItem(pNode); }
    QUndoStack *Stack() { return window.GetUndoStack(); }

    CNode *AddBranch(CNode *pTarget, int nKind, const QString &strName,
                     const QVector<OptionRow> &rows)
    {
        if (nKind == NodeType::Situation)
            Stack()->push(new CAddSituationCommand(Item(pTarget), strName, rows, &window));
        else
            Stack()->push(new CAddDecisionCommand(Item(pTarget), strName, rows, &window));
        return pTarget->children.back();
    }

    void AddOptions(CNode *pTarget, const QVector<OptionRow> &rows)
    {
        Stack()->push(new CAddOptionCommand(Item(pTarget), QString(), rows, &window));
    }
};

// The worked example: Plan - D (A: 1/10, B: 1/0 - S (S1: 0.4/30, S2: 0.6/-5)).
struct PlanNodes
{
    CNode *root, *d, *a, *b, *s, *s1, *s2;
};

// Grows the worked example, then forgets how: it is the starting point, not
// part of the history.
inline PlanNodes GrowPlan(TestWindow &w)
{
    PlanNodes plan{w.Root(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    plan.d = w.AddBranch(plan.root, NodeType::Decision, "D", {Row("A", 1, 10), Row("B", 1, 0)});
    plan.a = plan.d->children[0];
    plan.b = plan.d->children[1];
    plan.s =
        w.AddBranch(plan.b, NodeType::Situation, "S", {Row("S1", 0.4, 30), Row("S2", 0.6, -5)});
    plan.s1 = plan.s->children[0];
    plan.s2 = plan.s->children[1];
    w.Stack()->clear();
    w.window.setWindowModified(false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return plan;
}

// Double-clicks an item as a user does: the view sees a double click only
// after a first press and release.
inline void DoubleClick(QGraphicsView &view, QGraphicsItem *pItem)
{
    const QPoint at = view.mapFromScene(pItem->sceneBoundingRect().center());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// Double-clicks a text, which starts editing it.
inline void StartEditing(QGraphicsView &view, QGraphicsTextItem *pText)
{
    DoubleClick(view, pText);
    QTRY_VERIFY(pText->hasFocus());
}

// Double-clicks a text, replaces what it shows by strText and presses Enter.
inline void TypeInto(QGraphicsView &view, QGraphicsTextItem *pText, const QString &strText)
{
    StartEditing(view, pText);
    QTest::keyClick(view.viewport(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view.viewport(), Qt::Key_Delete);
    QTest::keyClicks(view.viewport(), strText);
    QTest::keyClick(view.viewport(), Qt::Key_Return);
    QVERIFY(!pText->hasFocus());
}

// Runs fnAnswer on the next modal widget of type T as soon as it shows.
template <typename T> void AnswerModal(std::function<void(T *)> fnAnswer)
{
    auto *pTimer = new QTimer(qApp);
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, fnAnswer, nTries = 0]() mutable {
        auto *pModal = qobject_cast<T *>(QApplication::activeModalWidget());
        if (pModal || ++nTries > 500) {
            pTimer->stop();
            pTimer->deleteLater();
        }
        if (pModal)
            fnAnswer(pModal);
    });
    pTimer->start(10);
}

// Answers the coming message boxes in turn, one button each, keeping their
// titles and texts.
inline void AnswerMessageBoxes(const QList<QMessageBox::StandardButton> &buttons,
                               QStringList *pTexts = nullptr)
{
    if (buttons.isEmpty())
        return;
    AnswerModal<QMessageBox>([=](QMessageBox *pBox) {
        if (pTexts)
            *pTexts << pBox->windowTitle() + '\n' + pBox->text();
        // The box is hidden once clicked, so the next answer cannot meet it.
        pBox->button(buttons.first())->click();
        AnswerMessageBoxes(buttons.mid(1), pTexts);
    });
}

// Answers the next file dialog by typing a path into its name field, or
// cancels it for an empty path; keeps the name the dialog suggested.
inline void AnswerFileDialog(const QString &strPath, QString *pSuggested = nullptr)
{
    AnswerModal<QFileDialog>([strPath, pSuggested](QFileDialog *pDialog) {
        if (pSuggested)
            *pSuggested = pDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        if (strPath.isEmpty())
            return pDialog->reject();
        pDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(strPath);
        static_cast<QDialog *>(pDialog)->accept();
    });
}

// Fills in the next add dialog as a user does and closes it with OK or Cancel.
inline void AnswerAddDialog(const QString &strName, const QVector<OptionRow> &rows, bool bAccept)
{
    AnswerModal<CAddNodeDialog>([=](CAddNodeDialog *pDialog) {
        auto *pName = pDialog->findChild<QLineEdit *>(QStringLiteral("lineEditName"));
        if (pName->isVisible()) {
            pName->selectAll();
            QTest::keyClicks(pName, strName);
        }
        pDialog->findChild<QSpinBox *>()->setValue(rows.size());
        auto *pTable = pDialog->findChild<QTableWidget *>();
        for (int i = 0; i < rows.size(); ++i) {
            pTable->item(i, 0)->setText(rows[i].name);
            pTable->item(i, 1)->setText(QString::number(rows[i].probability, 'g', 17));
            pTable->item(i, 2)->setText(QString::number(rows[i].payoff, 'g', 17));
            pTable->item(i, 3)->setText(rows[i].payoffComment);
        }
        bAccept ? pDialog->accept() : pDialog->reject();
    });
}

// Right-clicks the middle of an item on the view. When a menu pops up, the
// codes of its enabled entries are read, then nChoose is picked with the
// keyboard if it is among them, else the menu is closed. Nothing when no
// menu showed.
inline std::optional<QList<int>> RightClick(QGraphicsView &view, const QGraphicsItem *pItem,
                                            int nChoose = -1)
{
    std::optional<QList<int>> enabled;
    QTimer::singleShot(0, [&enabled, nChoose] {
        auto *pMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!pMenu)
            return;
        enabled.emplace();
        for (QAction *pAction : pMenu->actions()) {
            if (pAction->isSeparator() || !pAction->isEnabled())
                continue;
            enabled->append(pAction->property("type").toInt());
            if (pAction->property("type").toInt() == nChoose)
                pMenu->setActiveAction(pAction);
        }
        if (enabled->contains(nChoose))
            QTest::keyClick(pMenu, Qt::Key_Return);
        else
            pMenu->close();
    });
    const QPoint pnt = view.mapFromScene(pItem->sceneBoundingRect().center());
    QContextMenuEvent event(QContextMenuEvent::Mouse, pnt, view.viewport()->mapToGlobal(pnt));
    QApplication::sendEvent(view.viewport(), &event);
    QCoreApplication::processEvents();
    return enabled;
}

} // namespace GuiTest
