#include "CFolding.h"

#include "CEditRules.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "CTreeScene.h"
#include "CViewPlacement.h"
#include "ContextAction.h"

#include <utility>

CFolding::CFolding(CProjectDocument &projectDocument, CTreeScene &treeScene,
                   CViewPlacement &viewPlacement, std::function<void()> fnMarkModified,
                   std::function<bool()> fnArrange)
    : document(projectDocument), scene(treeScene), placement(viewPlacement),
      markModified(std::move(fnMarkModified)), arrange(std::move(fnArrange))
{
}

void CFolding::Fold(CNode *pNode)
{
    if (!CEditRules::Offers(ContextAction::ActionFold, pNode) || !scene.GetItem(pNode))
        return;
    // A text being typed below becomes its undo step before its item goes.
    if (scene.focusItem())
        scene.clearFocus();
    placement.NoteActedNode(pNode);
    document.SetFolded(pNode, true);
    changed = true;
    Settle();
}

void CFolding::Unfold(CNode *pNode)
{
    if (!pNode || !pNode->folded)
        return;
    placement.NoteActedNode(pNode);
    document.SetFolded(pNode, false);
    changed = true;
    Settle();
}

void CFolding::Reveal(CNode *pNode)
{
    // From the top down, so that each has its item when it unfolds.
    std::vector<CNode *> above;
    for (CNode *pAbove = pNode ? pNode->parent : nullptr; pAbove; pAbove = pAbove->parent)
        if (pAbove->folded)
            above.insert(above.begin(), pAbove);
    UnfoldEach(above);
}

void CFolding::UnfoldAll()
{
    UnfoldEach(CTreeScene::FoldedNodes(document.GetRoot()));
}

void CFolding::UnfoldEach(const std::vector<CNode *> &nodes)
{
    if (nodes.empty())
        return;
    const bool bWasBatch = batch;
    batch = true;
    for (CNode *pNode : nodes)
        Unfold(pNode);
    batch = bWasBatch;
    Settle();
}

void CFolding::RevealChange(CNode *pNode)
{
    if (!pNode || (!pNode->folded && !CTreeScene::IsHidden(pNode)))
        return;
    const bool bWasBatch = batch;
    batch = true;
    Reveal(pNode);
    Unfold(pNode);
    batch = bWasBatch;
    if (changed && !batch) {
        changed = false;
        markModified();
    }
}

void CFolding::Settle()
{
    if (batch || !changed)
        return;
    changed = false;
    markModified();
    // Keeping the node in place asks the scene for its extent, which after
    // hiding a large branch costs a walk over every item.
    if (arrange())
        placement.KeepActedNodeInPlace();
    else
        placement.ForgetActedNode();
}
