#pragma once

#include <QString>
#include <QUndoCommand>

#include <string>

class CNode;

// A changed payoff comment. It changes no value, but it is part of the
// project: it has to be saved, and it can be taken back.
class CCommentCommand : public QUndoCommand
{
public:
    CCommentCommand(CNode *pNode, const QString &strComment);

    void undo() override;
    void redo() override;

private:
    CNode *node;
    std::string oldComment;
    std::string newComment;
};
