#include "CPasteCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "OptionRows.h"

#include <QCoreApplication>

CPasteCommand::CPasteCommand(CNodeGrapicsItem *pItem, const CNode *pClipboard,
                             CDecisionTreeWindow *pWindow)
    : pasted(pClipboard->Clone()), target(pItem->GetNode()), window(pWindow)
{
    setText(QCoreApplication::translate("CPasteCommand", "Paste"));
    // Every paste is a fresh copy of its own: it never shares nodes with the
    // clipboard or with another paste.
    pasted->parent = nullptr;
    // A Decision's options are chosen, not drawn: they carry probability 1 and
    // show no probability text. One copied from a Situation would otherwise
    // bring along a share that shrinks its path and that nobody can edit.
    if (target && target->type == NodeType::Decision && pasted->type == NodeType::Option)
        pasted->probability = 1.0;
}

CPasteCommand::~CPasteCommand()
{
    if (!applied)
        CNode::FreeSubtree(pasted);
}

void CPasteCommand::redo()
{
    if (target->HasOnlyTerminalChild())
        window->RemoveTerminal(target->children.front());
    target->AttachChild(pasted);
    applied = true;
    window->LayoutChildren(target);
    window->NotifyValuesChanged(target);
}

void CPasteCommand::undo()
{
    window->RemoveSubtreeItems(pasted);
    target->RemoveChild(pasted);
    pasted->parent = target;
    applied = false;
    EndWithTerminal(target);
    window->LayoutChildren(target);
    window->NotifyValuesChanged(target);
}
