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

    void undo() override;
    void redo() override;

private:
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
