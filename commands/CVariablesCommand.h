#pragma once

#include "CProjectDocument.h"

#include <QUndoCommand>

#include <vector>

// One change of the project's variables (added, removed, renamed with the
// formulas that use them, a value, formula, bound or comment edited). It
// keeps the variables and the node formulas it touches before and after;
// the nodes are in the tree whenever the stack runs it.
class CVariablesCommand : public QUndoCommand
{
public:
    CVariablesCommand(CProjectDocument &document, const QString &strText,
                      const CVariables &variablesAfter,
                      const std::vector<CProjectDocument::NodeFormulas> &formulasAfter);

    void undo() override;
    void redo() override;

private:
    CProjectDocument &document;
    CVariables before;
    CVariables after;
    std::vector<CProjectDocument::NodeFormulas> formulasBefore;
    std::vector<CProjectDocument::NodeFormulas> formulasAfter;
};
