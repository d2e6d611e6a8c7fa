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
      newProbability(node->probability),
      newPayoff(node->payoff), oldFormulas{node->payoffFormula, node->probabilityFormula},
      newFormulas{newPayoff != oldPayoff ? std::string() : node->payoffFormula,
                  newProbability != oldProbability ? std::string() : node->probabilityFormula},
      window(pWindow)
{
    NameAfterChange(oldProbability != newProbability);
}

CValueChangedCommand::CValueChangedCommand(CNodeGrapicsItem *pItem, double dOldProbability,
                                           double dOldPayoff,
                                           const std::string &strOldPayoffFormula,
                                           const std::string &strOldProbabilityFormula,
                                           CDecisionTreeWindow *pWindow)
    : node(pItem->GetNode()), oldName(QString::fromStdString(node->name)),
      oldProbability(dOldProbability), oldPayoff(dOldPayoff), newName(oldName),
      newProbability(node->probability),
      newPayoff(node->payoff), oldFormulas{strOldPayoffFormula, strOldProbabilityFormula},
      newFormulas{node->payoffFormula, node->probabilityFormula}, window(pWindow)
{
    NameAfterChange(newFormulas[1] != oldFormulas[1]);
}

void CValueChangedCommand::NameAfterChange(bool bProbability)
{
    // One edit changes one text; named after it, as the menu's Undo shows it.
    const char *pText = QT_TRANSLATE_NOOP("CValueChangedCommand", "Change Payoff");
    if (oldName != newName)
        pText = QT_TRANSLATE_NOOP("CValueChangedCommand", "Change Name");
    else if (bProbability)
        pText = QT_TRANSLATE_NOOP("CValueChangedCommand", "Change Probability");
    setText(QCoreApplication::translate("CValueChangedCommand", pText));
}

void CValueChangedCommand::undo()
{
    window->ApplyNodeValues(node, oldName, oldProbability, oldPayoff);
    window->GetDocument().SetFormulas(node, oldFormulas[0], oldFormulas[1]);
}

void CValueChangedCommand::redo()
{
    window->GetDocument().SetFormulas(node, newFormulas[0], newFormulas[1]);
    window->ApplyNodeValues(node, newName, newProbability, newPayoff);
}
