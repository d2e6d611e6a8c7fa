#include "CDeleteItemCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"

#include <QCoreApplication>

CDeleteItemCommand::CDeleteItemCommand(CNodeGrapicsItem *pItem, CDecisionTreeWindow *pWindow)
    : window(pWindow), parent(pItem->GetNode() ? pItem->GetNode()->parent : nullptr)
{
    setText(QCoreApplication::translate("CDeleteItemCommand", "Delete"));
    // The Root has no place to be taken from.
    if (parent)
        node = CDetachedSubtree::InTree({pItem->GetNode()});
}

void CDeleteItemCommand::redo()
{
    if (node.IsEmpty())
        return;
    node.Detach(window->GetDocument());
}

void CDeleteItemCommand::undo()
{
    node.AttachTo(window->GetDocument(), parent);
}
