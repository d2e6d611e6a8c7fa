#pragma once

#include "CDetachedSubtree.h"
#include "CFlip.h"
#include "CVariables.h"

#include <QUndoCommand>

class CNode;
class CProjectDocument;

// Flips a Situation with the Situations after it. It holds both subtrees,
// the one that stood there and the flipped one, and the variables before and
// after (the flip adds one for each result's probability); whichever subtree
// is out of the tree is this command's to free.
class CFlipCommand : public QUndoCommand
{
public:
    // result is what CFlip::Build made of pSituation.
    CFlipCommand(CProjectDocument &document, CNode *pSituation, CFlip::Result result);

    void undo() override;
    void redo() override;

private:
    CProjectDocument &document;
    CNode *parent;
    CDetachedSubtree original;
    CDetachedSubtree flipped;
    CVariables before;
    CVariables after;
};
