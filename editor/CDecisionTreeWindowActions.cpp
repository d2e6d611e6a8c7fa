// The node context menu: narrowing "Paste" by the clipboard, and the actions.
#include "CDecisionTreeWindow.h"

#include "CAddDecisionCommand.h"
#include "CAddNodeDialog.h"
#include "CAddOptionCommand.h"
#include "CAddSituationCommand.h"
#include "CCommentCommand.h"
#include "CDeleteItemCommand.h"
#include "CEditRules.h"
#include "CFlip.h"
#include "CFlipCommand.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CPasteCommand.h"
#include "CPayoff2Command.h"
#include "CTreeFormulas.h"
#include "ContextAction.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>

void CDecisionTreeWindow::OnItemMenuToShow(CNodeGrapicsItem *pSender)
{
    // The item has enabled what the node's place admits; only the clipboard
    // is known here, and it decides what may be pasted.
    for (QAction *pAction : pSender->GetMenu()->actions())
        if (pAction->isEnabled() && pAction->property("type").toInt() == ContextAction::ActionPaste)
            pAction->setEnabled(
                CEditRules::Allows(ContextAction::ActionPaste, pSender->GetNode(), clipboard));
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
        // Cut copies only what it may also delete.
        if (CEditRules::Allows(nAction, pItem->GetNode(), clipboard)) {
            CopyNode(pItem);
            DeleteNode(pItem);
        }
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
    case ContextAction::ActionSecondPayoff:
        EditSecondPayoff(pItem->GetNode());
        break;
    case ContextAction::ActionSensitivity:
        if (CEditRules::Allows(nAction, pItem->GetNode(), clipboard))
            emit sig_sensitivityRequested(pItem->GetNode());
        break;
    case ContextAction::ActionFlip:
        FlipNode(pItem);
        break;
    case ContextAction::ActionFold:
        Fold(pItem->GetNode());
        break;
    case ContextAction::ActionUnfold:
        Unfold(pItem->GetNode());
        break;
    default:
        break;
    }
}

void CDecisionTreeWindow::AddStructure(CNodeGrapicsItem *pItem, int nKind)
{
    const int nAction = nKind == NodeType::Decision ? ContextAction::ActionAddDecision
                                                    : ContextAction::ActionAddSituation;
    if (!CEditRules::Allows(nAction, pItem->GetNode(), clipboard))
        return;
    CAddNodeDialog dialog(nKind, this, -1, &document.GetVariables());
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
    if (!CEditRules::Allows(ContextAction::ActionAddOption, pItem->GetNode(), clipboard))
        return;
    CAddNodeDialog dialog(NodeType::Option, this, pItem->GetNode()->type, &document.GetVariables());
    if (dialog.exec() != QDialog::Accepted)
        return;
    undoStack.push(new CAddOptionCommand(pItem, dialog.GetName(), dialog.GetOptionRows(), this));
}

void CDecisionTreeWindow::CopyNode(CNodeGrapicsItem *pItem)
{
    const CNode *pNode = pItem->GetNode();
    if (!CEditRules::Allows(ContextAction::ActionCopy, pNode, clipboard))
        return;
    CNode *pCopy = pNode->Clone();
    pCopy->ClearPositions();
    pCopy->parent = nullptr;
    CNode::FreeSubtree(clipboard);
    clipboard = pCopy;
    emit sig_clipboardChanged();
}

void CDecisionTreeWindow::PasteNode(CNodeGrapicsItem *pItem)
{
    if (!CEditRules::Allows(ContextAction::ActionPaste, pItem->GetNode(), clipboard))
        return;
    undoStack.push(new CPasteCommand(pItem, clipboard, this));
}

void CDecisionTreeWindow::DeleteNode(CNodeGrapicsItem *pItem)
{
    if (!CEditRules::Allows(ContextAction::ActionDelete, pItem->GetNode(), clipboard))
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
    // An unchanged comment is no step to undo. The tool tip that shows it is
    // worded from the node when it is wanted.
    if (bOk && strComment.toStdString() != pNode->payoffComment)
        undoStack.push(new CCommentCommand(document, pNode, strComment));
}

void CDecisionTreeWindow::EditSecondPayoff(CNode *pOption)
{
    const CCriteria &criteria = document.GetSettings().criteria;
    if (!pOption || pOption->type != NodeType::Option)
        return;
    if (!criteria.two) {
        QMessageBox::information(this, tr("Second Payoff"),
                                 tr("The project has one criterion. Name a second in "
                                    "Project Settings (Two criteria) first."));
        return;
    }
    const QString strNow = pOption->payoff2Formula.empty()
                               ? QString::number(pOption->payoff2, 'g', 17)
                               : QString::fromStdString(pOption->payoff2Formula);
    bool bOk = false;
    const QString strText = QInputDialog::getText(
        this, tr("Second Payoff"),
        tr("%1 of \"%2\":").arg(criteria.names[1], QString::fromStdString(pOption->name)),
        QLineEdit::Normal, strNow, &bOk);
    if (!bOk || strText == strNow)
        return;
    const QString strRefusal = TypeSecondPayoff(pOption, strText);
    if (!strRefusal.isEmpty())
        QMessageBox::warning(this, tr("Second Payoff"), strRefusal);
}

QString CDecisionTreeWindow::TypeSecondPayoff(CNode *pOption, const QString &strText)
{
    if (!pOption || pOption->type != NodeType::Option || !document.GetSettings().criteria.two)
        return QString();
    // Read as the first payoff is, on the canvas and in the dialog alike.
    const CTreeFormulas::Typed typed =
        CTreeFormulas::Read(strText, CTypedNumber::Kind::Amount, pOption, document.GetVariables());
    if (!typed.refusal.isEmpty())
        return typed.refusal;
    if (typed.formula == pOption->payoff2Formula &&
        (!typed.formula.empty() || typed.value == pOption->payoff2))
        return QString();
    placement.NoteActedNode(pOption);
    undoStack.push(new CPayoff2Command(document, pOption, typed.value, typed.formula));
    return QString();
}

void CDecisionTreeWindow::FlipNode(CNodeGrapicsItem *pItem)
{
    CNode *pNode = pItem->GetNode();
    if (!CEditRules::Allows(ContextAction::ActionFlip, pNode, clipboard))
        return;
    // A number still being typed is part of what is flipped.
    FinishEditing();
    CFlip::Result result = CFlip::Build(pNode, document.GetVariables());
    if (!result.flipped) {
        QMessageBox::information(this, tr("Flip Uncertainties"), result.refusal);
        return;
    }
    const QStringList notes = result.notes;
    placement.NoteActedNode(pNode->parent);
    // The new shape is laid out at once, and undone with the flip.
    undoStack.beginMacro(tr("Flip Uncertainties"));
    undoStack.push(new CFlipCommand(document, pNode, std::move(result)));
    ArrangeTree();
    undoStack.endMacro();
    if (!notes.isEmpty())
        emit sig_statusMessage(notes.join(QLatin1Char(' ')));
}
