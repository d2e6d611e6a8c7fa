#pragma once

#include <QString>
#include <QUndoCommand>

#include <string>

class CNode;
class CNodeGrapicsItem;
class CDecisionTreeWindow;

// One finished edit of a node's name, probability or payoff. The node already
// holds the new values when the command is made; undo and redo switch it
// between the values before and after.
class CValueChangedCommand : public QUndoCommand
{
public:
    CValueChangedCommand(CNodeGrapicsItem *pItem, const QString &strOldName, double dOldProbability,
                         double dOldPayoff, CDecisionTreeWindow *pWindow);

    // A formula typed for the payoff or probability, which the node holds
    // already with its value; the node's values and formulas before it are given.
    CValueChangedCommand(CNodeGrapicsItem *pItem, double dOldProbability, double dOldPayoff,
                         const std::string &strOldPayoffFormula,
                         const std::string &strOldProbabilityFormula, CDecisionTreeWindow *pWindow);

    void undo() override;
    void redo() override;

private:
    void NameAfterChange(bool bProbability);

    CNode *node;
    QString oldName;
    double oldProbability;
    double oldPayoff;
    QString newName;
    double newProbability;
    double newPayoff;
    // A number typed over a formula replaces it; undo brings it back.
    std::string oldFormulas[2];
    std::string newFormulas[2];
    CDecisionTreeWindow *window;
};
