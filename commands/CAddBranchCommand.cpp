#include "CAddBranchCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "OptionRows.h"

#include <QCoreApplication>

CAddBranchCommand::CAddBranchCommand(int nKind, CNodeGrapicsItem *pItem, const QString &strName,
                                     const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow)
    : target(pItem->GetNode()), name(strName), window(pWindow), options(rows), kind(nKind)
{
    setText(kind == NodeType::Situation
                ? QCoreApplication::translate("CAddBranchCommand", "Add Situation")
                : QCoreApplication::translate("CAddBranchCommand", "Add Decision"));
}

CAddBranchCommand::~CAddBranchCommand()
{
    if (!applied)
        CNode::FreeSubtree(created);
}

void CAddBranchCommand::redo()
{
    if (!target->children.empty())
        window->RemoveTerminal(target->children.front());
    if (!created) {
        const std::string strName = name.toStdString();
        created = kind == NodeType::Situation ? CNode::CreateSituation(target, strName)
                                              : CNode::CreateDecision(target, strName);
        MakeOptions(created, options);
    }
    target->AttachChild(created);
    applied = true;
    window->LayoutChildren(target);
    window->NotifyValuesChanged(target);
}

void CAddBranchCommand::undo()
{
    window->RemoveSubtreeItems(created);
    target->RemoveChild(created);
    created->parent = target;
    applied = false;
    EndWithTerminal(target);
    window->LayoutChildren(target);
    window->NotifyValuesChanged(target);
}
