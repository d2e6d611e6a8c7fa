#include "CPayoff2Command.h"

#include "CNode.h"
#include "CProjectDocument.h"

#include <QCoreApplication>

CPayoff2Command::CPayoff2Command(CProjectDocument &doc, CNode *pNode, double dValue,
                                 const std::string &strFormula)
    : document(doc), node(pNode), oldValue(pNode->payoff2), oldFormula(pNode->payoff2Formula),
      newValue(dValue), newFormula(strFormula)
{
    setText(QCoreApplication::translate("CPayoff2Command", "Change Second Payoff"));
}

void CPayoff2Command::undo()
{
    document.SetPayoff2(node, oldValue, oldFormula);
}

void CPayoff2Command::redo()
{
    document.SetPayoff2(node, newValue, newFormula);
}
