#pragma once

// Shared by the command, randomized-edit and end-to-end tests: a window whose
// tree is grown through the commands, the node context menu driven by a real
// right click, and the add dialog answered as a user fills it in.

#include "CAddDecisionCommand.h"
#include "CAddNodeDialog.h"
#include "CAddOptionCommand.h"
#include "CAddSituationCommand.h"
#include "OptionRow.h"
#include "TreeChecks.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUndoStack>

#include <optional>

namespace CommandTestKit {

using namespace EditorTestKit;

inline OptionRow Row(const QString &strName, double dProbability = 1.0, double dPayoff = 0.0,
                     const QString &strComment = QString())
{
    OptionRow row;
    row.name = strName;
    row.probability = dProbability;
    row.payoff = dPayoff;
    row.payoffComment = strComment;
    return row;
}

// A project window; shown only by the tests that click or type.
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

    // Pushes an add command as the window's actions do and returns the new node.
    CNode *AddBranch(CNode *pTarget, int nKind, const QString &strName,
                     const QVector<OptionRow> &rows)
    {
        CNodeGrapicsItem *pItem = Item(pTarget);
        if (nKind == NodeType::Situation)
            Stack()->push(new CAddSituationCommand(pItem, strName, rows, &window));
        else
            Stack()->push(new CAddDecisionCommand(pItem, strName, rows, &window));
        return pTarget->children.back();
    }

    // Pushes an option command and returns the new options.
    std::vector<CNode *> AddOptions(CNode *pTarget, const QVector<OptionRow> &rows)
    {
        Stack()->push(new CAddOptionCommand(Item(pTarget), QString(), rows, &window));
        return std::vector<CNode *>(pTarget->children.end() - rows.size(), pTarget->children.end());
    }
};

// The worked example: Plan - D (A: 1/10, B: 1/0 - S (S1: 0.4/30, S2: 0.6/-5)).
struct PlanNodes
{
    CNode *root, *d, *a, *b, *s, *s1, *s2;
};

// Grows the worked example with the commands, then forgets them: the tree is
// the starting point, not part of the history.
inline PlanNodes GrowPlan(TestWindow &w)
{
    PlanNodes plan;
    plan.root = w.Root();
    plan.d = w.AddBranch(plan.root, NodeType::Decision, QStringLiteral("D"),
                         {Row(QStringLiteral("A"), 1, 10), Row(QStringLiteral("B"), 1, 0)});
    plan.a = Child(plan.d, 0);
    plan.b = Child(plan.d, 1);
    plan.s = w.AddBranch(plan.b, NodeType::Situation, QStringLiteral("S"),
                         {Row(QStringLiteral("S1"), 0.4, 30), Row(QStringLiteral("S2"), 0.6, -5)});
    plan.s1 = Child(plan.s, 0);
    plan.s2 = Child(plan.s, 1);
    w.Stack()->clear();
    w.window.setWindowModified(false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return plan;
}

// Right-clicks the middle of an item on the view. When a menu pops up, the
// codes of its enabled entries are read; then nChoose is picked with the
// keyboard if it is among them, else the menu is closed. Returns the enabled
// codes, or nothing when no menu showed.
inline std::optional<QList<int>> RightClick(QGraphicsView &view, const QGraphicsItem *pItem,
                                            int nChoose = -1)
{
    std::optional<QList<int>> enabled;
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&enabled, nChoose] {
        auto *pMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!pMenu)
            return;
        enabled.emplace();
        QAction *pChosen = nullptr;
        for (QAction *pAction : pMenu->actions()) {
            if (pAction->isSeparator() || !pAction->isEnabled())
                continue;
            enabled->append(pAction->property("type").toInt());
            if (pAction->property("type").toInt() == nChoose)
                pChosen = pAction;
        }
        if (pChosen) {
            pMenu->setActiveAction(pChosen);
            QTest::keyClick(pMenu, Qt::Key_Return);
        } else {
            pMenu->close();
        }
    });
    answer.start(0);
    const QPoint pnt = view.mapFromScene(pItem->sceneBoundingRect().center());
    QContextMenuEvent event(QContextMenuEvent::Mouse, pnt, view.viewport()->mapToGlobal(pnt));
    QApplication::sendEvent(view.viewport(), &event);
    QCoreApplication::processEvents();
    return enabled;
}

// Fills in the next add dialog as a user does and closes it with OK (or
// Cancel). The dialog's own title is kept in *pTitle.
inline void AnswerAddDialog(const QString &strName, const QVector<OptionRow> &rows, bool bAccept,
                            QString *pTitle = nullptr)
{
    AnswerModal<CAddNodeDialog>([=](CAddNodeDialog *pDialog) {
        if (pTitle)
            *pTitle = pDialog->windowTitle();
        auto *pName = pDialog->findChild<QLineEdit *>(QStringLiteral("lineEditName"));
        if (pName && pName->isVisible()) {
            pName->selectAll();
            QTest::keyClicks(pName, strName);
        }
        auto *pCount = pDialog->findChild<QSpinBox *>(QStringLiteral("spinBoxOptionNumber"));
        pCount->setValue(rows.size());
        auto *pTable =
            pDialog->findChild<QTableWidget *>(QStringLiteral("tableWidgetOptionProperty"));
        for (int i = 0; i < rows.size() && i < pTable->rowCount(); ++i) {
            pTable->item(i, 0)->setText(rows[i].name);
            pTable->item(i, 1)->setText(QString::number(rows[i].probability, 'g', 17));
            pTable->item(i, 2)->setText(QString::number(rows[i].payoff, 'g', 17));
            pTable->item(i, 3)->setText(rows[i].payoffComment);
        }
        const QString strButton =
            bAccept ? QStringLiteral("pushButtonOK") : QStringLiteral("pushButtonCancel");
        pDialog->findChild<QPushButton *>(strButton)->click();
    });
}

// Rejects, and counts, every modal dialog that opens while it lives: for
// actions that must not ask anything.
class DialogTrap
{
public:
    DialogTrap()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *pDialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ++count;
                pDialog->reject();
            }
        });
        timer.start(5);
    }
    int Count() const { return count; }

private:
    QTimer timer;
    int count = 0;
};

} // namespace CommandTestKit
