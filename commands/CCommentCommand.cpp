#include "CCommentCommand.h"

#include "CNode.h"
#include "CProjectDocument.h"

#include <QCoreApplication>

CCommentCommand::CCommentCommand(CProjectDocument &doc, CNode *pNode, const QString &strComment)
    : document(doc), node(pNode), oldComment(pNode->payoffComment),
      newComment(strComment.toStdString())
{
    setText(QCoreApplication::translate("CCommentCommand", "Change Payoff Comment"));
}

void CCommentCommand::undo()
{
    document.SetComment(node, oldComment);
}

void CCommentCommand::redo()
{
    document.SetComment(node, newComment);
}
