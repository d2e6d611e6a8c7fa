#pragma once

#include "CAddBranchCommand.h"

class CAddDecisionCommand : public CAddBranchCommand
{
public:
    CAddDecisionCommand(CNodeGrapicsItem *pItem, const QString &strName,
                        const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow);
};
