#include "CCommentCommand.h"

#include "CNode.h"

#include <QCoreApplication>

CCommentCommand::CCommentCommand(CNode *pNode, const QString &strComment)
    : node(pNode), oldComment(pNode->payoffComment), newComment(strComment.toStdString())
{
    setText(QCoreApplication::translate("CCommentCommand", "Change Payoff Comment"));
}

void CCommentCommand::undo()
{
    node->payoffComment = oldComment;
}

void CCommentCommand::redo()
{
    node->payoffComment = newComment;
}
