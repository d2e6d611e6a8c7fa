#include "CValueChangedCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"

#include <QCoreApplication>

CValueChangedCommand::CValueChangedCommand(CNodeGrapicsItem *pItem, const QString &strOldName,
                                           double dOldProbability, double dOldPayoff,
                                           CDecisionTreeWindow *pWindow)
    : node(pItem->GetNode()), oldName(strOldName), oldProbability(dOldProbability),
      oldPayoff(dOldPayoff), newName(QString::fromStdString(node->name)),
      newProbability(node->probability), newPayoff(node->payoff), window(pWindow)
{
    // One edit changes one text; named after it, as the menu's Undo shows it.
    const char *pText = QT_TRANSLATE_NOOP("CValueChangedCommand", "Change Payoff");
    if (oldName != newName)
        pText = QT_TRANSLATE_NOOP("CValueChangedCommand", "Change Name");
    else if (oldProbability != newProbability)
        pText = QT_TRANSLATE_NOOP("CValueChangedCommand", "Change Probability");
    setText(QCoreApplication::translate("CValueChangedCommand", pText));
}

void CValueChangedCommand::undo()
{
    window->ApplyNodeValues(node, oldName, oldProbability, oldPayoff);
}

void CValueChangedCommand::redo()
{
    window->ApplyNodeValues(node, newName, newProbability, newPayoff);
}
