#include "CAddSituationCommand.h"

#include "CNode.h"

CAddSituationCommand::CAddSituationCommand(CNodeGrapicsItem *pItem, const QString &strName,
                                           const QVector<OptionRow> &rows,
                                           CDecisionTreeWindow *pWindow)
    : CAddBranchCommand(NodeType::Situation, pItem, strName, rows, pWindow)
{
}
