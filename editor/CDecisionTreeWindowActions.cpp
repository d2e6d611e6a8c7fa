// The node context menu: narrowing "Paste" by the clipboard, and the actions.
#include "CDecisionTreeWindow.h"

#include "CAddDecisionCommand.h"
#include "CAddNodeDialog.h"
#include "CAddOptionCommand.h"
#include "CAddSituationCommand.h"
#include "CDeleteItemCommand.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CPasteCommand.h"
#include "ContextAction.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>

namespace {

bool IsBranch(int nType)
{
    return nType == NodeType::Decision || nType == NodeType::Situation;
}

// Whether a subtree of the clipboard's kind may hang below the target.
bool CanPaste(const CNode *pTarget, const CNode *pClipboard)
{
    if (!pTarget || !pClipboard)
        return false;
    switch (pTarget->type) {
    case NodeType::Decision:
    case NodeType::Situation:
        return pClipboard->type == NodeType::Option;
    case NodeType::Option:
    case NodeType::Root:
        // A path that already continues is never given a second branch.
        return IsBranch(pClipboard->type) &&
               (!pTarget->HasChildren() || pTarget->HasOnlyTerminalChild());
    default:
        return false;
    }
}

// A Decision or Situation keeps at least one option: its menu offers no
// Delete on the only one, and Cut, which deletes as well, must not get round
// that and leave the choice or chance event with nothing to choose from.
bool IsOnlyOption(const CNode *pNode)
{
    return pNode && pNode->type == NodeType::Option && pNode->parent &&
           pNode->parent->children.size() == 1;
}

} // namespace

void CDecisionTreeWindow::OnItemMenuToShow()
{
    CNodeGrapicsItem *pSender = SenderItem();
    if (!pSender)
        return;
    for (QAction *pAction : pSender->GetMenu()->actions()) {
        if (!pAction->isEnabled())
            continue;
        const int nType = pAction->property("type").toInt();
        if (nType == ContextAction::ActionPaste)
            pAction->setEnabled(CanPaste(pSender->GetNode(), clipboard));
        else if (nType == ContextAction::ActionCut)
            pAction->setEnabled(!IsOnlyOption(pSender->GetNode()));
    }
}

void CDecisionTreeWindow::OnItemContextMenu(CNodeGrapicsItem *pItem, int nAction)
{
    if (!pItem)
        return;
    switch (nAction) {
    case ContextAction::ActionAddDecision:
        AddDecision(pItem);
        break;
    case ContextAction::ActionAddSituation:
        AddSituation(pItem);
        break;
    case ContextAction::ActionAddOption:
        AddOption(pItem);
        break;
    case ContextAction::ActionCopy:
        CopyNode(pItem);
        break;
    case ContextAction::ActionCut:
        CopyNode(pItem);
        DeleteNode(pItem);
        break;
    case ContextAction::ActionPaste:
        PasteNode(pItem);
        break;
    case ContextAction::ActionDelete:
        DeleteNode(pItem);
        break;
    case ContextAction::ActionChangePayoffComment:
        EditPayoffComment(pItem);
        break;
    default:
        break;
    }
}

void CDecisionTreeWindow::AddStructure(CNodeGrapicsItem *pItem, int nKind)
{
    CNode *pTarget = pItem->GetNode();
    if (!pTarget || (pTarget->type != NodeType::Option && pTarget->type != NodeType::Root))
        return;
    // The new node replaces the Terminal that ends the path; a branch that
    // already continues is never thrown away.
    if (pTarget->HasChildren() && !pTarget->HasOnlyTerminalChild())
        return;
    CAddNodeDialog dialog(nKind, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (nKind == NodeType::Decision)
        undoStack.push(
            new CAddDecisionCommand(pItem, dialog.GetName(), dialog.GetOptionRows(), this));
    else
        undoStack.push(
            new CAddSituationCommand(pItem, dialog.GetName(), dialog.GetOptionRows(), this));
}

void CDecisionTreeWindow::AddDecision(CNodeGrapicsItem *pItem)
{
    AddStructure(pItem, NodeType::Decision);
}

void CDecisionTreeWindow::AddSituation(CNodeGrapicsItem *pItem)
{
    AddStructure(pItem, NodeType::Situation);
}

void CDecisionTreeWindow::AddOption(CNodeGrapicsItem *pItem)
{
    CNode *pTarget = pItem->GetNode();
    // Options belong under a Decision or a Situation only.
    if (!pTarget || !IsBranch(pTarget->type))
        return;
    CAddNodeDialog dialog(NodeType::Option, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    undoStack.push(new CAddOptionCommand(pItem, dialog.GetName(), dialog.GetOptionRows(), this));
}

void CDecisionTreeWindow::CopyNode(CNodeGrapicsItem *pItem)
{
    const CNode *pNode = pItem->GetNode();
    if (!pNode)
        return;
    CNode *pCopy = pNode->Clone();
    pCopy->ClearPositions();
    pCopy->parent = nullptr;
    CNode::FreeSubtree(clipboard);
    clipboard = pCopy;
}

void CDecisionTreeWindow::PasteNode(CNodeGrapicsItem *pItem)
{
    CNode *pTarget = pItem->GetNode();
    if (!pTarget || !clipboard || pTarget->type == clipboard->type ||
        clipboard->type == NodeType::Root || !CanPaste(pTarget, clipboard))
        return;
    undoStack.push(new CPasteCommand(pItem, clipboard, this));
}

void CDecisionTreeWindow::DeleteNode(CNodeGrapicsItem *pItem)
{
    const CNode *pNode = pItem->GetNode();
    // Only a node with a place in the tree can be taken out of it.
    if (!pNode || !pNode->parent || IsOnlyOption(pNode))
        return;
    undoStack.push(new CDeleteItemCommand(pItem, this));
}

void CDecisionTreeWindow::EditPayoffComment(CNodeGrapicsItem *pItem)
{
    CNode *pNode = pItem->GetNode();
    if (!pNode)
        return;
    bool bOk = false;
    const QString strComment = QInputDialog::getText(
        this, tr("Input Payoff Comment"), tr("Payoff Comment:"), QLineEdit::Normal,
        QString::fromStdString(pNode->payoffComment), &bOk);
    if (!bOk)
        return;
    pNode->payoffComment = strComment.toStdString();
    pItem->SetPayoffToolTip(strComment);
}
