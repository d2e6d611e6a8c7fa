#include "CVariablesCommand.h"

#include "CNode.h"

CVariablesCommand::CVariablesCommand(CProjectDocument &doc, const QString &strText,
                                     const CVariables &variablesAfter,
                                     const std::vector<CProjectDocument::NodeFormulas> &formulas)
    : document(doc), before(doc.GetVariables()), after(variablesAfter), formulasAfter(formulas)
{
    setText(strText);
    for (const CProjectDocument::NodeFormulas &entry : formulas)
        formulasBefore.push_back({entry.node, entry.node->payoffFormula,
                                  entry.node->probabilityFormula, true,
                                  entry.node->payoff2Formula});
}

void CVariablesCommand::undo()
{
    document.SetVariablesAndFormulas(before, formulasBefore);
}

void CVariablesCommand::redo()
{
    document.SetVariablesAndFormulas(after, formulasAfter);
}
