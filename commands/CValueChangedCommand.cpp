#include "CValueChangedCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"

CValueChangedCommand::CValueChangedCommand(CNodeGrapicsItem *pItem, const QString &strOldName,
                                           double dOldProbability, double dOldPayoff,
                                           CDecisionTreeWindow *pWindow)
    : node(pItem->GetNode()), oldName(strOldName), oldProbability(dOldProbability),
      oldPayoff(dOldPayoff), newName(QString::fromStdString(node->name)),
      newProbability(node->probability), newPayoff(node->payoff), window(pWindow)
{
}

void CValueChangedCommand::undo()
{
    window->ApplyNodeValues(node, oldName, oldProbability, oldPayoff);
}

void CValueChangedCommand::redo()
{
    window->ApplyNodeValues(node, newName, newProbability, newPayoff);
    window->setWindowModified(true);
}
