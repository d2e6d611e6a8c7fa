// The keyboard on the canvas, and what it tells of the node selected.
#include "CDecisionTreeWindow.h"

#include "CEditRules.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CNodeSummary.h"
#include "ContextAction.h"

#include <QGraphicsScene>
#include <QKeyEvent>
#include <QKeySequence>

namespace {

// The node menu's entry that a key stands for, or -1.
int ActionOfKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Delete))
        return ContextAction::ActionDelete;
    if (event->matches(QKeySequence::Copy))
        return ContextAction::ActionCopy;
    if (event->matches(QKeySequence::Cut))
        return ContextAction::ActionCut;
    if (event->matches(QKeySequence::Paste))
        return ContextAction::ActionPaste;
    return -1;
}

} // namespace

void CDecisionTreeWindow::keyPressEvent(QKeyEvent *event)
{
    // While a text is edited every key is the text's own: Ctrl+C copies
    // the selected characters, Delete deletes them.
    CNodeGrapicsItem *pItem = scene()->focusItem() ? nullptr : treeScene->SelectedNodeItem();
    if (pItem) {
        // The keys go where the node's menu goes, so they obey the same rules.
        const int nAction = ActionOfKey(event);
        if (nAction >= 0) {
            OnItemContextMenu(pItem, nAction);
            return;
        }
        if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
            pItem->StartEditing(true);
            return;
        }
    }
    QGraphicsView::keyPressEvent(event);
}

bool CDecisionTreeWindow::event(QEvent *event)
{
    // The scene would hand Tab to its own focus chain, in which texts that
    // are not being edited have no place, and the edit would just end. Tab
    // moves on to the next text of the same node instead.
    if (event->type() == QEvent::KeyPress) {
        auto *pKey = static_cast<QKeyEvent *>(event);
        const bool bTab = pKey->key() == Qt::Key_Tab || pKey->key() == Qt::Key_Backtab;
        QGraphicsItem *pFocus = scene() ? scene()->focusItem() : nullptr;
        const bool bPlain = !(pKey->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        const bool bForward =
            pKey->key() == Qt::Key_Tab && !(pKey->modifiers() & Qt::ShiftModifier);
        if (bTab && bPlain && pFocus)
            if (CNodeGrapicsItem *pItem = CTreeScene::NodeItemOf(pFocus))
                if (pItem->EditNextText(pFocus, bForward))
                    return true;
    }
    return QGraphicsView::event(event);
}

QString CDecisionTreeWindow::SelectionSummary() const
{
    const CNodeGrapicsItem *pItem = scene() ? treeScene->SelectedNodeItem() : nullptr;
    return pItem ? CNodeSummary::Describe(pItem->GetNode(), &document.GetSettings().numbers)
                 : QString();
}

bool CDecisionTreeWindow::AllowsOnSelection(int nAction) const
{
    const CNodeGrapicsItem *pItem = scene() ? treeScene->SelectedNodeItem() : nullptr;
    return pItem && CEditRules::Allows(nAction, pItem->GetNode(), clipboard);
}

void CDecisionTreeWindow::ActOnSelection(int nAction)
{
    // Chosen from the menu while a text is edited: the edit is finished
    // first and becomes its own undo step, as it does before an undo.
    FinishEditing();
    if (CNodeGrapicsItem *pItem = treeScene->SelectedNodeItem())
        OnItemContextMenu(pItem, nAction);
}
