// Placement of node items and arrows, and taking them off the scene again.
// Trees can be as deep as a file makes them, so every walk here keeps its own
// stack instead of recursing.
#include "CDecisionTreeWindow.h"

#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CQGraphicsArrowLineItem.h"

#include <QGraphicsScene>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Horizontal distance from a parent's right anchor to its children, and the
// vertical distance between the centres of neighbouring children.
constexpr double ChildDistance = 100.0;
constexpr double SiblingStep = 100.0;

} // namespace

int32_t CDecisionTreeWindow::ToCoordinate(double dValue)
{
    // Truncates toward zero like a plain conversion, but a value that does not
    // fit (or is not a number) must not become undefined behaviour, nor the
    // marker that means "never placed".
    if (std::isnan(dValue))
        return 0;
    constexpr double dLowest = double(CNode::NoPosition) + 1;
    constexpr double dHighest = double(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(std::clamp(std::trunc(dValue), dLowest, dHighest));
}

void CDecisionTreeWindow::AttachItem(CNodeGrapicsItem *pItem)
{
    scene()->addItem(pItem);
    // Each connection knows its item: asking Qt for the sender scans every
    // connection into this window, tens of thousands on a large tree.
    connect(pItem, &CQEditableGraphicsTextItem::sig_positionChanged, this,
            [this, pItem](QPointF pntNewPos) { OnItemPosChanged(pItem, pntNewPos); });
    connect(pItem, &CNodeGrapicsItem::sig_probabilityChanged, this,
            [this, pItem] { OnItemProbabilityChanged(pItem); });
    connect(pItem, &CNodeGrapicsItem::sig_payoffChanged, this,
            [this, pItem] { OnItemPayoffChanged(pItem); });
    connect(pItem, &CNodeGrapicsItem::sig_menuAboutToShow, this,
            [this, pItem] { OnItemMenuToShow(pItem); });
    connect(pItem, &CNodeGrapicsItem::sig_contextMenu, this,
            &CDecisionTreeWindow::OnItemContextMenu);
    connect(pItem, qOverload<const QString &, double, double>(&CNodeGrapicsItem::sig_focusOut),
            this,
            [this, pItem](const QString &strOldName, double dOldProbability, double dOldPayoff) {
                OnFoucsOut(pItem, strOldName, dOldProbability, dOldPayoff);
            });
    connect(pItem, &CNodeGrapicsItem::sig_numberRefused, this,
            [this, pItem](const QString &strWhy) {
                const QPoint pntAt =
                    mapFromScene(pItem->mapToScene(pItem->OutlineRect().bottomRight()));
                QToolTip::showText(viewport()->mapToGlobal(pntAt), strWhy, viewport());
                emit sig_statusMessage(strWhy);
            });
}

void CDecisionTreeWindow::LayoutChildren(CNode *pNode)
{
    // One frame per node whose children are being placed: depth first and
    // pre-order, so a child is placed before its own children.
    struct Frame
    {
        CNode *node;
        CNodeGrapicsItem *item;
        QPointF anchor;
        size_t next;
    };
    std::vector<Frame> frames;
    NoteActedNode(pNode);
    auto push = [&](CNode *pParent) {
        CNodeGrapicsItem *pItem = GetItem(pParent);
        if (!pItem || !pParent->HasChildren())
            return;
        frames.push_back({pParent, pItem, pItem->mapToScene(pItem->RightAnchor()), 0});
    };
    if (pNode)
        push(pNode);

    while (!frames.empty()) {
        Frame &frame = frames.back();
        const size_t nCount = frame.node->children.size();
        if (frame.next >= nCount) {
            frames.pop_back();
            continue;
        }
        const size_t nIndex = frame.next++;
        CNode *pChild = frame.node->children[nIndex];
        if (!pChild)
            continue;
        CNodeGrapicsItem *pParentItem = frame.item;
        const QPointF anchor = frame.anchor;

        CNodeGrapicsItem *pItem = GetItem(pChild);
        if (!pItem)
            pItem = CreateItem(pChild);
        if (pChild->HasPosition()) {
            pItem->SetNodePos(pChild->x, pChild->y, true);
        } else {
            const double dCentre = std::trunc(anchor.y() + SiblingStep * double(nIndex) -
                                              SiblingStep / 2 * (double(nCount) - 1));
            const double dHeight = pItem->sceneBoundingRect().height();
            pItem->SetNodePos(ToCoordinate(anchor.x() + ChildDistance),
                              ToCoordinate(dCentre - dHeight * 0.5), true);
        }
        if (!pItem->GetArrow())
            scene()->addItem(new CQGraphicsArrowLineItem(pParentItem, pItem, nullptr));
        // The frame reference dies here: pushing may move the vector.
        push(pChild);
    }
}

void CDecisionTreeWindow::RemoveSubtreeItems(CNode *pNode)
{
    if (!GetItem(pNode))
        return;
    // Post-order: a node's item goes after the items of its whole subtree.
    std::vector<std::pair<CNode *, bool>> pending{{pNode, false}};
    while (!pending.empty()) {
        auto [pCurrent, bExpanded] = pending.back();
        if (!bExpanded) {
            pending.back().second = true;
            for (auto it = pCurrent->children.rbegin(); it != pCurrent->children.rend(); ++it)
                if (*it)
                    pending.emplace_back(*it, false);
            continue;
        }
        pending.pop_back();
        CNodeGrapicsItem *pItem = GetItem(pCurrent);
        if (!pItem)
            continue;
        // An item that is being edited must not turn its focus loss into an
        // undo step while a command is busy restructuring the tree.
        pItem->blockSignals(true);
        if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow()) {
            scene()->removeItem(pArrow);
            pArrow->deleteLater();
        }
        pItem->PrepareGeometryChange();
        scene()->removeItem(pItem);
        pItem->deleteLater();
        items.remove(pCurrent);
    }
}

void CDecisionTreeWindow::UpdateBestPath(CNode *pNode, bool bFlag)
{
    if (!pNode)
        return;
    if (pNode == document.GetRoot())
        highlighted = bFlag;
    std::vector<std::pair<CNode *, bool>> pending{{pNode, bFlag}};
    while (!pending.empty()) {
        auto [pCurrent, bOnPath] = pending.back();
        pending.pop_back();
        for (CNode *pChild : pCurrent->children) {
            if (!pChild)
                continue;
            const bool bActive = bOnPath && pChild->active;
            // Every edit walks the whole tree; an arrow already in the right
            // state is not repainted.
            if (CNodeGrapicsItem *pItem = GetItem(pChild))
                if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow())
                    if (pArrow->IsActive() != bActive)
                        pArrow->SetActive(bActive);
            pending.emplace_back(pChild, bActive);
        }
    }
}
