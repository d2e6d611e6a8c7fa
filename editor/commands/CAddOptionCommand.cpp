#include "CAddOptionCommand.h"

#include "CNode.h"

CAddOptionCommand::CAddOptionCommand(CNodeGrapicsItem *pItem, const QString &strName,
                                     const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow)
    : CAddBranchCommand(NodeType::Option, pItem, strName, rows, pWindow)
{
}
