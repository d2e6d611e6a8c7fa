#pragma once

#include "CAddBranchCommand.h"

class CAddSituationCommand : public CAddBranchCommand
{
public:
    CAddSituationCommand(CNodeGrapicsItem *pItem, const QString &strName,
                         const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow);
};
