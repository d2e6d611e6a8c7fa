// Folding on the canvas: what a folded node hides has no items, and a badge
// on the node counts it.
#include "CTreeScene.h"

#include "CFoldBadge.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectDocument.h"
#include "CQGraphicsArrowLineItem.h"
#include "SubtreeWalk.h"

#include <vector>

bool CTreeScene::IsHidden(const CNode *pNode)
{
    for (const CNode *pAbove = pNode ? pNode->parent : nullptr; pAbove; pAbove = pAbove->parent)
        if (pAbove->folded)
            return true;
    return false;
}

int CTreeScene::CountBelow(const CNode *pNode)
{
    int nCount = 0;
    WalkSubtree(pNode, [&nCount](const CNode *) { ++nCount; });
    return pNode ? nCount - 1 : 0;
}

void CTreeScene::AddBadge(CNodeGrapicsItem *pItem)
{
    CNode *pNode = pItem->GetNode();
    auto *pBadge = new CFoldBadge(pItem, CountBelow(pNode));
    connect(pBadge, &CFoldBadge::sig_unfoldRequested, this,
            [this, pNode] { emit sig_unfoldRequested(pNode); });
}

void CTreeScene::DropBadge(CFoldBadge *pBadge)
{
    // A double click on the badge unfolds from inside the badge's own event
    // handler: it may only go once that has returned.
    if (!pBadge)
        return;
    removeItem(pBadge);
    pBadge->deleteLater();
}

void CTreeScene::ShowFold(CNode *pNode)
{
    CNodeGrapicsItem *pItem = GetItem(pNode);
    if (!pItem)
        return;
    CFoldBadge *pBadge = CFoldBadge::Of(pItem);
    // Hidden itself: it shows as it is when what is above unfolds.
    if (IsHidden(pNode) && !pNode->folded) {
        DropBadge(pBadge);
        return;
    }
    if (pNode->folded) {
        // Hidden, not deleted: unfolding again only shows them.
        SetSubtreeShown(pNode, false, false);
        if (!pBadge)
            AddBadge(pItem);
        return;
    }
    if (!pBadge)
        return;
    const QPointF by = pItem->pos() - pBadge->FoldedAt();
    MoveHiddenAlong(pNode, by);
    DropBadge(pBadge);
    // Nodes never shown get their items; the others go where their nodes say.
    LayoutChildren(pNode);
    SetSubtreeShown(pNode, true, !by.isNull());
    // The new arrows and warnings below show what the evaluation knows.
    WalkSubtree(pNode, [this](CNode *pCurrent) {
        if (document.HasProbabilityWarning(pCurrent))
            ShowProbabilityWarning(pCurrent, true);
        return !pCurrent->folded;
    });
    const bool bAbove = pNode->parent == document.GetRoot() || ArrowOnPath(pNode);
    UpdateBestPath(pNode, document.IsConsistent() && bAbove);
}

void CTreeScene::SetSubtreeShown(CNode *pNode, bool bShown, bool bMoved)
{
    // Showing stops at folds inside, which keep what they hide hidden; hiding
    // goes all the way down, past folds that hid their part already.
    WalkSubtree(pNode, [&](CNode *pCurrent) {
        if (pCurrent == pNode)
            return true;
        CNodeGrapicsItem *pItem = GetItem(pCurrent);
        if (!pItem)
            return false;
        pItem->setVisible(bShown);
        if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow()) {
            pArrow->setVisible(bShown);
            // Moved with signals blocked: the arrow is drawn anew here.
            if (bMoved)
                pArrow->UpdateGeometry();
        }
        return !bShown || !pCurrent->folded;
    });
}

void CTreeScene::MoveHiddenAlong(CNode *pNode, QPointF by)
{
    // Not moved: the stored places are kept exactly.
    if (by.isNull())
        return;
    std::vector<CProjectDocument::NodePlace> places;
    WalkSubtree(pNode, [&](CNode *pCurrent) {
        if (pCurrent != pNode && pCurrent->HasPosition())
            places.push_back({pCurrent, ToCoordinate(double(pCurrent->x) + by.x()),
                              ToCoordinate(double(pCurrent->y) + by.y())});
    });
    document.SetPositions(places);
}

std::vector<CNode *> CTreeScene::FoldedNodes(CNode *pRoot)
{
    std::vector<CNode *> folded;
    WalkSubtree(pRoot, [&folded](CNode *pNode) {
        if (pNode->folded)
            folded.push_back(pNode);
    });
    return folded;
}
