#include "CAddOptionCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "OptionRows.h"

#include <QCoreApplication>

CAddOptionCommand::CAddOptionCommand(CNodeGrapicsItem *pItem, const QString &,
                                     const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow)
    : target(pItem->GetNode()), window(pWindow), options(rows)
{
    setText(QCoreApplication::translate("CAddOptionCommand", "Add Option"));
}

CAddOptionCommand::~CAddOptionCommand()
{
    if (!applied)
        for (CNode *pOption : qAsConst(created))
            CNode::FreeSubtree(pOption);
}

void CAddOptionCommand::redo()
{
    if (target->HasOnlyTerminalChild())
        window->RemoveTerminal(target->children.front());
    if (created.isEmpty()) {
        created = MakeOptions(target, options);
    } else {
        for (CNode *pOption : qAsConst(created))
            target->AttachChild(pOption);
    }
    applied = true;
    window->LayoutChildren(target);
    window->NotifyValuesChanged(target);
}

void CAddOptionCommand::undo()
{
    if (created.isEmpty())
        return;
    for (CNode *pOption : qAsConst(created)) {
        window->RemoveSubtreeItems(pOption);
        target->RemoveChild(pOption);
        pOption->parent = target;
    }
    applied = false;
    EndWithTerminal(target);
    window->LayoutChildren(target);
    window->NotifyValuesChanged(target);
}
