// The keyboard on the canvas, and what the canvas tells about its nodes.
#include "CDecisionTreeWindow.h"

#include "CEditRules.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CNodeSummary.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "ContextAction.h"
#include "TextNumber.h"

#include <QGraphicsScene>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTextDocument>
#include <QToolTip>

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

CNodeGrapicsItem *CDecisionTreeWindow::NodeItemOf(QGraphicsItem *pItem)
{
    return pItem ? qobject_cast<CNodeGrapicsItem *>(pItem->topLevelItem()->toGraphicsObject())
                 : nullptr;
}

CNodeGrapicsItem *CDecisionTreeWindow::SelectedNodeItem() const
{
    CNodeGrapicsItem *pFound = nullptr;
    const QList<QGraphicsItem *> selected = scene()->selectedItems();
    for (QGraphicsItem *pSelected : selected) {
        CNodeGrapicsItem *pItem = NodeItemOf(pSelected);
        if (!pItem || (pFound && pFound != pItem))
            return nullptr;
        pFound = pItem;
    }
    return pFound;
}

void CDecisionTreeWindow::keyPressEvent(QKeyEvent *event)
{
    // While a text is edited every key is the text's own: Ctrl+C copies
    // the selected characters, Delete deletes them.
    CNodeGrapicsItem *pItem = scene()->focusItem() ? nullptr : SelectedNodeItem();
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
            if (CNodeGrapicsItem *pItem = NodeItemOf(pFocus))
                if (pItem->EditNextText(pFocus, bForward))
                    return true;
    }
    return QGraphicsView::event(event);
}

QString CDecisionTreeWindow::RiskNote(const CNode *pNode) const
{
    // Under a risk tolerance the values shown are certainty equivalents;
    // what the strategy is worth on average is told on request only, as it
    // takes a walk over the whole tree.
    if (!GetRule().HasRiskTolerance() || !pNode || pNode->type == NodeType::Root ||
        pNode->type == NodeType::Terminal)
        return QString();
    const CTreeIndex index(document.GetRoot());
    const int n = index.IndexOf(pNode);
    if (n < 0 || !index.ShapeProblem().isEmpty())
        return QString();
    const CTreeEvaluation evaluation(index, GetRule());
    const double dExpected = evaluation.ExpectedValues()[size_t(n)];
    return tr("\nCertainty equivalent %1, expected value %2, risk premium %3")
        .arg(NumberToText(evaluation.Value(n), document.GetSettings().numbers),
             NumberToText(dExpected, document.GetSettings().numbers),
             NumberToText(dExpected - evaluation.Value(n), document.GetSettings().numbers));
}

bool CDecisionTreeWindow::viewportEvent(QEvent *event)
{
    // Tool tips are worded when they are asked for, from the node as it is
    // then: nothing is kept per item, and nothing is redone on every edit.
    if (event->type() != QEvent::ToolTip)
        return QGraphicsView::viewportEvent(event);
    auto *pHelp = static_cast<QHelpEvent *>(event);
    const QList<QGraphicsItem *> under = QGraphicsView::items(pHelp->pos());
    for (QGraphicsItem *pPart : under) {
        CNodeGrapicsItem *pItem = NodeItemOf(pPart);
        QString strTip = pItem ? pItem->ToolTipFor(pPart) : QString();
        if (!strTip.isEmpty())
            strTip += RiskNote(pItem->GetNode());
        if (strTip.isEmpty())
            continue;
        // Shown until the mouse leaves the part that it is about.
        const QRect rect = mapFromScene(pPart->sceneBoundingRect()).boundingRect();
        QToolTip::showText(pHelp->globalPos(), Qt::convertFromPlainText(strTip), viewport(), rect);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

QString CDecisionTreeWindow::SelectionSummary() const
{
    const CNodeGrapicsItem *pItem = scene() ? SelectedNodeItem() : nullptr;
    return pItem ? CNodeSummary::Describe(pItem->GetNode(), &document.GetSettings().numbers)
                 : QString();
}

bool CDecisionTreeWindow::AllowsOnSelection(int nAction) const
{
    const CNodeGrapicsItem *pItem = scene() ? SelectedNodeItem() : nullptr;
    return pItem && CEditRules::Allows(nAction, pItem->GetNode(), clipboard);
}

void CDecisionTreeWindow::ActOnSelection(int nAction)
{
    // Chosen from the menu while a text is edited: the edit is finished
    // first and becomes its own undo step, as it does before an undo.
    FinishEditing();
    if (CNodeGrapicsItem *pItem = SelectedNodeItem())
        OnItemContextMenu(pItem, nAction);
}
