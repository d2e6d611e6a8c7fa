#pragma once

#include <QString>
#include <QUndoCommand>

#include <string>

class CNode;
class CProjectDocument;

// A typed second payoff of an option in a project of two criteria: a
// number, or a formula with the value it had when typed.
class CPayoff2Command : public QUndoCommand
{
public:
    CPayoff2Command(CProjectDocument &document, CNode *pNode, double dValue,
                    const std::string &strFormula);

    void undo() override;
    void redo() override;

private:
    CProjectDocument &document;
    CNode *node;
    double oldValue;
    std::string oldFormula;
    double newValue;
    std::string newFormula;
};
