#include "CVariablesCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"

CVariablesCommand::CVariablesCommand(CDecisionTreeWindow *pWindow, const QString &strText,
                                     const CVariables &variablesAfter,
                                     const std::vector<CProjectDocument::NodeFormulas> &formulas)
    : window(pWindow), before(pWindow->GetDocument().GetVariables()), after(variablesAfter),
      formulasAfter(formulas)
{
    setText(strText);
    for (const CProjectDocument::NodeFormulas &entry : formulas)
        formulasBefore.push_back(
            {entry.node, entry.node->payoffFormula, entry.node->probabilityFormula});
}

void CVariablesCommand::undo()
{
    window->GetDocument().SetVariablesAndFormulas(before, formulasBefore);
    window->setWindowModified(true);
}

void CVariablesCommand::redo()
{
    window->GetDocument().SetVariablesAndFormulas(after, formulasAfter);
    window->setWindowModified(true);
}
