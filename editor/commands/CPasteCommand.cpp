#include "CPasteCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"

#include <QCoreApplication>

CPasteCommand::CPasteCommand(CNodeGrapicsItem *pItem, const CNode *pClipboard,
                             CDecisionTreeWindow *pWindow)
    : target(pItem->GetNode()), window(pWindow)
{
    setText(QCoreApplication::translate("CPasteCommand", "Paste"));
    // Every paste is a fresh copy of its own: it never shares nodes with the
    // clipboard or with another paste.
    CNode *pCopy = pClipboard->Clone();
    pCopy->parent = nullptr;
    // A Decision's options are chosen, not drawn: they carry probability 1 and
    // show no probability text. One copied from a Situation would otherwise
    // bring along a share that shrinks its path and that nobody can edit.
    if (target && target->type == NodeType::Decision && pCopy->type == NodeType::Option)
        pCopy->probability = 1.0;
    pasted = CDetachedSubtree({pCopy});
}

void CPasteCommand::redo()
{
    pasted.AttachTo(window->GetDocument(), target);
}

void CPasteCommand::undo()
{
    pasted.Detach(window->GetDocument());
}
