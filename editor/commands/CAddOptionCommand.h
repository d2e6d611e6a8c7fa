#pragma once

#include "CAddBranchCommand.h"

// Appends options to a Decision or Situation.
class CAddOptionCommand : public CAddBranchCommand
{
public:
    // The name is not used: options take their names from the rows.
    CAddOptionCommand(CNodeGrapicsItem *pItem, const QString &strName,
                      const QVector<OptionRow> &rows, CDecisionTreeWindow *pWindow);
};
