#include "CFlipCommand.h"

#include "CNode.h"
#include "CProjectDocument.h"

#include <QCoreApplication>

#include <utility>

CFlipCommand::CFlipCommand(CProjectDocument &doc, CNode *pSituation, CFlip::Result result)
    : document(doc), parent(pSituation->parent), original(CDetachedSubtree::InTree({pSituation})),
      flipped({result.flipped}), before(doc.GetVariables()), after(std::move(result.variables))
{
    setText(QCoreApplication::translate("CFlipCommand", "Flip Uncertainties"));
}

void CFlipCommand::redo()
{
    CProjectDocument::CChange change(document);
    original.Detach(document);
    flipped.AttachTo(document, parent);
    document.SetVariables(after);
}

void CFlipCommand::undo()
{
    CProjectDocument::CChange change(document);
    flipped.Detach(document);
    original.AttachTo(document, parent);
    document.SetVariables(before);
}
