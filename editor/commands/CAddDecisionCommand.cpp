#include "CAddDecisionCommand.h"

#include "CNode.h"

CAddDecisionCommand::CAddDecisionCommand(CNodeGrapicsItem *pItem, const QString &strName,
                                         const QVector<OptionRow> &rows,
                                         CDecisionTreeWindow *pWindow)
    : CAddBranchCommand(NodeType::Decision, pItem, strName, rows, pWindow)
{
}
