#include "CFlipCommand.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"

#include <QCoreApplication>

#include <utility>

CFlipCommand::CFlipCommand(CDecisionTreeWindow *pWindow, CNode *pSituation, CFlip::Result result)
    : window(pWindow), parent(pSituation->parent), original(CDetachedSubtree::InTree({pSituation})),
      flipped({result.flipped}), before(pWindow->GetDocument().GetVariables()),
      after(std::move(result.variables))
{
    setText(QCoreApplication::translate("CFlipCommand", "Flip Uncertainties"));
}

void CFlipCommand::redo()
{
    CProjectDocument &document = window->GetDocument();
    CProjectDocument::CChange change(document);
    original.Detach(document);
    flipped.AttachTo(document, parent);
    document.SetVariables(after);
}

void CFlipCommand::undo()
{
    CProjectDocument &document = window->GetDocument();
    CProjectDocument::CChange change(document);
    flipped.Detach(document);
    original.AttachTo(document, parent);
    document.SetVariables(before);
}
