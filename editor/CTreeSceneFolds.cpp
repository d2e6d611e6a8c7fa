// Folding on the canvas: what a folded node hides has no items, and a badge
// on the node counts it.
#include "CTreeScene.h"

#include "CFoldBadge.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectDocument.h"
#include "CQGraphicsArrowLineItem.h"

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
    std::vector<const CNode *> pending;
    if (pNode)
        pending.push_back(pNode);
    while (!pending.empty()) {
        const CNode *pCurrent = pending.back();
        pending.pop_back();
        for (const CNode *pChild : pCurrent->children)
            if (pChild) {
                ++nCount;
                pending.push_back(pChild);
            }
    }
    return nCount;
}

void CTreeScene::AddBadge(CNodeGrapicsItem *pItem)
{
    CNode *pNode = pItem->GetNode();
    auto *pBadge = new CFoldBadge(pItem, CountBelow(pNode));
    connect(pBadge, &CFoldBadge::sig_unfoldRequested, this,
            [this, pNode] { emit sig_unfoldRequested(pNode); });
}

void CTreeScene::ShowFold(CNode *pNode)
{
    CNodeGrapicsItem *pItem = GetItem(pNode);
    // Hidden itself: it shows as it is when what is above unfolds.
    if (!pItem)
        return;
    CFoldBadge *pBadge = CFoldBadge::Of(pItem);
    if (pNode->folded) {
        for (CNode *pChild : pNode->children)
            if (pChild)
                RemoveSubtreeItems(pChild);
        if (!pBadge)
            AddBadge(pItem);
        return;
    }
    if (!pBadge)
        return;
    MoveHiddenAlong(pNode, pItem->pos() - pBadge->FoldedAt());
    delete pBadge;
    LayoutChildren(pNode);
    // The new arrows and warnings below show what the evaluation knows.
    std::vector<CNode *> pending{pNode};
    while (!pending.empty()) {
        CNode *pCurrent = pending.back();
        pending.pop_back();
        if (document.HasProbabilityWarning(pCurrent))
            ShowProbabilityWarning(pCurrent, true);
        if (!pCurrent->folded)
            for (CNode *pChild : pCurrent->children)
                if (pChild)
                    pending.push_back(pChild);
    }
    const bool bAbove = pNode->parent == document.GetRoot() || ArrowOnPath(pNode);
    UpdateBestPath(pNode, document.IsConsistent() && bAbove);
}

void CTreeScene::MoveHiddenAlong(CNode *pNode, QPointF by)
{
    // Not moved: the stored places are kept exactly.
    if (by.isNull())
        return;
    std::vector<CNode *> pending(pNode->children.begin(), pNode->children.end());
    while (!pending.empty()) {
        CNode *pCurrent = pending.back();
        pending.pop_back();
        if (!pCurrent)
            continue;
        if (pCurrent->HasPosition()) {
            pCurrent->x = ToCoordinate(double(pCurrent->x) + by.x());
            pCurrent->y = ToCoordinate(double(pCurrent->y) + by.y());
        }
        pending.insert(pending.end(), pCurrent->children.begin(), pCurrent->children.end());
    }
}
