// The values the document announces on the canvas: numbers, warnings and
// the chosen path.
#include "CTreeScene.h"

#include "CFoldBadge.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectDocument.h"
#include "CQGraphicsArrowLineItem.h"

#include <QElapsedTimer>
#include <QGraphicsView>

#include <vector>

void CTreeScene::ShowValues(const std::vector<CNode *> &nodes)
{
    // Each written node comes once, with its final value; the Decisions and
    // Situations among them are where the chosen path may have changed.
    ShowNumbers(nodes);
    std::vector<CNode *> branches;
    for (CNode *pWritten : nodes)
        if (pWritten->type == NodeType::Decision || pWritten->type == NodeType::Situation)
            branches.push_back(pWritten);
    RefreshBestPath(branches);
}

void CTreeScene::ShowInputs(const std::vector<CNode *> &options)
{
    ShowNumbers(options);
}

void CTreeScene::ShowNumbers(const std::vector<CNode *> &nodes)
{
    // A value typed may write thousands of nodes, most of them out of sight,
    // and each text resized costs a place in the scene's index and a
    // repaint. Every text takes its new string at once, so that whoever
    // reads it finds the number current; what is in sight is resized at
    // once, the rest a few milliseconds' worth at a time as the event loop
    // turns, or the moment it is drawn, whichever comes first.
    const QRectF rctSight = nodes.size() > ShownAtOnce ? InSight() : QRectF();
    if (rctSight.isNull()) {
        for (CNode *pNode : nodes)
            ShowNumbers(ItemOf(pNode));
        return;
    }
    const QSet<const CNode *> seen = NodesIn(rctSight);
    for (CNode *pNode : nodes) {
        CNodeGrapicsItem *pItem = ItemOf(pNode);
        if (!pItem || seen.contains(pNode)) {
            ShowNumbers(pItem);
            continue;
        }
        SetNumbers(pItem);
        unshown.insert(pNode);
    }
    if (!unshown.isEmpty() && !unshownTimer.isActive())
        unshownTimer.start();
}

void CTreeScene::ShowNumbers(CNodeGrapicsItem *pItem) const
{
    SetNumbers(pItem);
    Resize(pItem);
}

void CTreeScene::SetNumbers(CNodeGrapicsItem *pItem) const
{
    const CNode *pNode = pItem ? pItem->GetNode() : nullptr;
    if (!pNode)
        return;
    // Sized after both numbers are set, so that arrows move once, and
    // heard: they leave past the texts.
    pItem->DeferValueGeometry();
    const bool bWasBlocked = pItem->blockSignals(true);
    pItem->SetProbability(pNode->probability);
    if (!twoCriteria) {
        pItem->SetPayoff(pNode->payoff);
    } else if (pNode->type == NodeType::Option) {
        pItem->SetPayoff(pNode->payoff);
        pItem->SetPayoff2(pNode->payoff2);
    } else if (combined) {
        // A Decision's, Situation's or end's payoff is then the combined value.
        pItem->SetPayoff(pNode->payoff);
    } else {
        pItem->SetPayoff(pNode->expected1);
        pItem->SetPayoff2(pNode->expected2);
    }
    pItem->blockSignals(bWasBlocked);
}

void CTreeScene::ShowCriteria()
{
    const bool bTwo = document.GetSettings().criteria.two;
    if (bTwo == twoCriteria)
        return;
    twoCriteria = bTwo;
    ShowSecondNumbers();
}

void CTreeScene::ShowCombined(bool bOn)
{
    if (bOn == combined)
        return;
    combined = bOn;
    if (twoCriteria)
        ShowSecondNumbers();
}

bool CTreeScene::ShowsSecond(const CNode *pNode) const
{
    return twoCriteria && (pNode->type == NodeType::Option || !combined);
}

void CTreeScene::ShowSecondNumbers()
{
    // Rare and whole-tree: every item at once, in sight or not.
    for (const auto &[pNode, pItem] : items) {
        pItem->ShowSecondPayoff(ShowsSecond(pNode));
        ShowNumbers(pItem);
        unshown.remove(pNode);
    }
}

void CTreeScene::Resize(CNodeGrapicsItem *pItem) const
{
    if (!pItem)
        return;
    pItem->CatchUpValueGeometry();
    if (CFoldBadge *pBadge = CFoldBadge::Of(pItem))
        pBadge->Place();
}

void CTreeScene::ShowUnshown(qint64 nMilliseconds)
{
    QElapsedTimer timer;
    timer.start();
    int nShown = 0;
    for (auto it = unshown.begin(); it != unshown.end();) {
        if (nMilliseconds >= 0 && ++nShown % 64 == 0 && timer.elapsed() >= nMilliseconds)
            break;
        Resize(ItemOf(*it));
        it = unshown.erase(it);
    }
    if (!unshown.isEmpty())
        unshownTimer.start();
}

QRectF CTreeScene::InSight() const
{
    // A margin around, so that a little scrolling finds its texts shown.
    QRectF rctSight;
    for (const QGraphicsView *pView : views())
        if (pView->isVisible())
            rctSight |= pView->mapToScene(pView->viewport()->rect())
                            .boundingRect()
                            .adjusted(-SightMargin, -SightMargin, SightMargin, SightMargin);
    return rctSight;
}

namespace {

// How far a node's texts stand from its item, at most, for all but numbers
// of unusual length.
constexpr qreal TextReach = 300.0;

} // namespace

QSet<const CNode *> CTreeScene::NodesIn(const QRectF &rctArea) const
{
    // A node's texts stand beside it: any of its items in the area counts.
    // Where the scene keeps no index to ask, each shown node item is looked at, its
    // own place only, in the area widened by how far its texts reach. A node
    // counted in sight too many is resized at once instead of a moment later.
    QSet<const CNode *> nodes;
    if (itemIndexMethod() == BspTreeIndex) {
        // Unsorted: the order of stacking is of no use here, and costs.
        for (QGraphicsItem *pItem :
             QGraphicsScene::items(rctArea, Qt::IntersectsItemBoundingRect, Qt::SortOrder(-1)))
            for (; pItem; pItem = pItem->parentItem())
                if (const auto *pNodeItem = dynamic_cast<const CNodeGrapicsItem *>(pItem)) {
                    nodes.insert(pNodeItem->GetNode());
                    break;
                }
        return nodes;
    }
    const QRectF rctReach = rctArea.adjusted(-TextReach, -TextReach, TextReach, TextReach);
    for (const auto &[pNode, pItem] : items)
        if (pItem->isVisible() && rctReach.intersects(pItem->sceneBoundingRect()))
            nodes.insert(pNode);
    return nodes;
}

void CTreeScene::drawBackground(QPainter *pPainter, const QRectF &rctArea)
{
    // The last moment for waiting texts before they are drawn, on screen
    // or in a picture.
    if (!unshown.isEmpty())
        for (const CNode *pNode : NodesIn(rctArea))
            if (unshown.remove(pNode))
                Resize(ItemOf(pNode));
    QGraphicsScene::drawBackground(pPainter, rctArea);
}

void CTreeScene::ShowWarnings(const std::vector<CNode *> &situations)
{
    for (CNode *pSituation : situations)
        ShowProbabilityWarning(pSituation, document.HasProbabilityWarning(pSituation));
}

bool CTreeScene::ArrowOnPath(const CNode *pNode) const
{
    const CNodeGrapicsItem *pItem = ItemOf(pNode);
    const CQGraphicsArrowLineItem *pArrow = pItem ? pItem->GetArrow() : nullptr;
    return pArrow && pArrow->IsActive();
}

void CTreeScene::RefreshBestPath(const std::vector<CNode *> &branches)
{
    const bool bValid = document.IsConsistent();
    if (bValid != highlighted) {
        UpdateBestPath(document.GetRoot(), bValid);
        return;
    }
    if (!bValid)
        return;
    // Only where a choice changed do arrows change: below a Decision or
    // Situation that was written, from the top down, each arrow that is not
    // as its node and the arrow above it say takes its subtree along.
    // A value typed may write thousands of them: each arrow is looked at
    // once, the branch's own before those of its options.
    const CNode *pRoot = document.GetRoot();
    const auto showArrow = [this](CNode *pNode, bool bActive) {
        if (CNodeGrapicsItem *pItem = ItemOf(pNode))
            if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow())
                pArrow->SetActive(bActive);
        UpdateBestPath(pNode, bActive);
    };
    for (auto it = branches.rbegin(); it != branches.rend(); ++it) {
        CNode *pBranch = *it;
        const bool bOn = ArrowOnPath(pBranch);
        if (pBranch->parent) {
            const bool bActive =
                (pBranch->parent == pRoot || ArrowOnPath(pBranch->parent)) && pBranch->active;
            // Its options follow it.
            if (bOn != bActive) {
                showArrow(pBranch, bActive);
                continue;
            }
        }
        const bool bAbove = pBranch == pRoot || bOn;
        for (CNode *pOption : pBranch->children)
            if (pOption && ArrowOnPath(pOption) != (bAbove && pOption->active))
                showArrow(pOption, bAbove && pOption->active);
    }
}
