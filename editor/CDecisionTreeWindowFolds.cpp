// Folding: hiding what is below a Decision or Situation, and showing it again
// when the user or a command needs it.
#include "CDecisionTreeWindow.h"

#include "CEditRules.h"
#include "CNode.h"
#include "ContextAction.h"

#include <vector>

void CDecisionTreeWindow::Fold(CNode *pNode)
{
    if (!CEditRules::Offers(ContextAction::ActionFold, pNode) || !GetItem(pNode))
        return;
    // A text being typed below becomes its undo step before its item goes.
    FinishEditing();
    placement.NoteActedNode(pNode);
    document.SetFolded(pNode, true);
    foldsChanged = true;
    SettleFolds();
}

void CDecisionTreeWindow::Unfold(CNode *pNode)
{
    if (!pNode || !pNode->folded)
        return;
    placement.NoteActedNode(pNode);
    document.SetFolded(pNode, false);
    foldsChanged = true;
    SettleFolds();
}

void CDecisionTreeWindow::Reveal(CNode *pNode)
{
    std::vector<CNode *> above;
    for (CNode *pAbove = pNode ? pNode->parent : nullptr; pAbove; pAbove = pAbove->parent)
        if (pAbove->folded)
            above.push_back(pAbove);
    if (above.empty())
        return;
    // From the top down, so that each has its item when it unfolds; one
    // arrangement at the end.
    const bool bWasBatch = foldBatch;
    foldBatch = true;
    for (auto it = above.rbegin(); it != above.rend(); ++it)
        Unfold(*it);
    foldBatch = bWasBatch;
    SettleFolds();
}

void CDecisionTreeWindow::UnfoldAll()
{
    // Parents before children: each folded node has its item by its turn.
    std::vector<CNode *> folded;
    std::vector<CNode *> pending;
    if (document.GetRoot())
        pending.push_back(document.GetRoot());
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->folded)
            folded.push_back(pNode);
        for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
            if (*it)
                pending.push_back(*it);
    }
    if (folded.empty())
        return;
    const bool bWasBatch = foldBatch;
    foldBatch = true;
    for (CNode *pNode : folded)
        Unfold(pNode);
    foldBatch = bWasBatch;
    SettleFolds();
}

void CDecisionTreeWindow::RevealChange(CNode *pNode)
{
    if (!pNode || (!pNode->folded && !CTreeScene::IsHidden(pNode)))
        return;
    // Inside a command: its history step arranges and keeps the view.
    const bool bWasBatch = foldBatch;
    foldBatch = true;
    Reveal(pNode);
    Unfold(pNode);
    foldBatch = bWasBatch;
    if (foldsChanged && !foldBatch) {
        foldsChanged = false;
        MarkModified();
    }
}

void CDecisionTreeWindow::SettleFolds()
{
    if (foldBatch || !foldsChanged)
        return;
    foldsChanged = false;
    MarkModified();
    // The node folded stays where it is unless the tree is arranged anew.
    // Keeping it in place asks the scene for its extent, which after hiding
    // a large branch costs a walk over every item.
    if (arrangeAutomatically && ArrangeInPlace())
        placement.KeepActedNodeInPlace();
    else
        placement.ForgetActedNode();
}
