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
    setText(kind == NodeType::Option
                ? QCoreApplication::translate("CAddBranchCommand", "Add Option")
            : kind == NodeType::Situation
                ? QCoreApplication::translate("CAddBranchCommand", "Add Situation")
                : QCoreApplication::translate("CAddBranchCommand", "Add Decision"));
}

void CAddBranchCommand::redo()
{
    if (created.IsEmpty()) {
        std::vector<CNode *> made;
        if (kind == NodeType::Option) {
            // Made under a stand-in of the target's kind, which decides
            // whether the options carry shares, then handed over free.
            CNode owner(nullptr, std::string());
            owner.type = target->type;
            for (CNode *pOption : MakeOptions(&owner, options)) {
                pOption->parent = nullptr;
                made.push_back(pOption);
            }
            owner.children.clear();
        } else {
            const std::string strName = name.toStdString();
            CNode *pBranch = kind == NodeType::Situation ? CNode::CreateSituation(nullptr, strName)
                                                         : CNode::CreateDecision(nullptr, strName);
            MakeOptions(pBranch, options);
            made.push_back(pBranch);
        }
        created = CDetachedSubtree(std::move(made));
    }
    created.AttachTo(window->GetDocument(), target);
}

void CAddBranchCommand::undo()
{
    created.Detach(window->GetDocument());
}
