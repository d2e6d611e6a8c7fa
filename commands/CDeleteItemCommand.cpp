#include "CDeleteItemCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "OptionRows.h"

#include <QCoreApplication>

CDeleteItemCommand::CDeleteItemCommand(CNodeGrapicsItem *pItem, CDecisionTreeWindow *pWindow)
    : node(pItem->GetNode()), window(pWindow), parent(node ? node->parent : nullptr)
{
    setText(QCoreApplication::translate("CDeleteItemCommand", "Delete"));
}

CDeleteItemCommand::~CDeleteItemCommand()
{
    if (detached)
        CNode::FreeSubtree(node);
}

void CDeleteItemCommand::redo()
{
    // The Root (or anything already detached) has no place to be taken from.
    if (!parent || !node)
        return;
    window->RemoveSubtreeItems(node);
    index = parent->IndexOfChild(node);
    parent->RemoveChild(node);
    node->parent = parent;
    detached = true;
    EndWithTerminal(parent);
    window->LayoutChildren(parent);
    window->NotifyValuesChanged(parent);
}

void CDeleteItemCommand::undo()
{
    if (!parent || !detached)
        return;
    if (parent->HasOnlyTerminalChild())
        window->RemoveTerminal(parent->children.front());
    parent->InsertChild(index, node);
    detached = false;
    window->LayoutChildren(parent);
    window->NotifyValuesChanged(parent);
}
