#pragma once

#include <QString>
#include <QUndoCommand>

#include <string>

class CNode;
class CProjectDocument;

// A changed payoff comment. It changes no value, but it is part of the
// project: it has to be saved, and it can be taken back.
class CCommentCommand : public QUndoCommand
{
public:
    CCommentCommand(CProjectDocument &document, CNode *pNode, const QString &strComment);

    void undo() override;
    void redo() override;

private:
    CProjectDocument &document;
    CNode *node;
    std::string oldComment;
    std::string newComment;
};
