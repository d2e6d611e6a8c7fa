#include "CTreeScene.h"

#include "CFoldBadge.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectDocument.h"
#include "CQGraphicsArrowLineItem.h"
#include "SubtreeWalk.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <vector>

namespace {

// Horizontal distance from a parent's right anchor to its children, and the
// vertical distance between the centres of neighbouring children.
constexpr double ChildDistance = 100.0;
constexpr double SiblingStep = 100.0;
// Trees larger than this are drawn without an index of the scene.
constexpr int IndexedNodes = 30000;

} // namespace

CTreeScene::CTreeScene(CProjectDocument &projectDocument, QObject *parent)
    : QGraphicsScene(parent), document(projectDocument)
{
    // Numbers out of sight show a few milliseconds' worth at a time, so that
    // what is painted and typed meanwhile does not wait for all of them.
    unshownTimer.setSingleShot(true);
    unshownTimer.setInterval(0);
    connect(&unshownTimer, &QTimer::timeout, this, [this] { ShowUnshown(UnshownSlice); });
    ConnectDocument();
}

CTreeScene::~CTreeScene()
{
    // Qt polishes the items added to a scene when the event loop next turns,
    // and until then looks for every item removed in its list of those
    // waiting: a window of 100,000 nodes closed before it ever showed took
    // 22 s to go. What Qt has queued for this scene happens now instead.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CTreeScene::ConnectDocument()
{
    connect(&document, &CProjectDocument::sig_subtreeRemoving, this,
            &CTreeScene::RemoveSubtreeItems);
    connect(&document, &CProjectDocument::sig_settingsChanged, this, &CTreeScene::ShowNumberFormat);
    connect(&document, &CProjectDocument::sig_settingsChanged, this, &CTreeScene::ShowCriteria);
    connect(&document, &CProjectDocument::sig_foldChanged, this, &CTreeScene::ShowFold);
    connect(&document, &CProjectDocument::sig_warningsChanged, this, &CTreeScene::ShowWarnings);
    connect(&document, &CProjectDocument::sig_valuesChanged, this, &CTreeScene::ShowValues);
    connect(&document, &CProjectDocument::sig_variablesChanged, this, &CTreeScene::ShowFormulas);
    // Formulas write numbers the texts have not shown yet.
    connect(&document, &CProjectDocument::sig_inputsChanged, this, &CTreeScene::ShowInputs);
    connect(&document, &CProjectDocument::sig_positionsChanged, this, &CTreeScene::ShowPositions);
}

int32_t CTreeScene::ToCoordinate(double dValue)
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

void CTreeScene::ShowNumberFormat()
{
    if (document.GetSettings().numbers == numberFormat)
        return;
    numberFormat = document.GetSettings().numbers;
    for (const auto &entry : items) {
        CNodeGrapicsItem *pItem = entry.second;
        pItem->SetNumberFormat(&numberFormat);
        if (CFoldBadge *pBadge = CFoldBadge::Of(pItem))
            pBadge->Place();
    }
}

CNodeGrapicsItem *CTreeScene::GetItem(const CNode *pNode) const
{
    CNodeGrapicsItem *pItem = ItemOf(pNode);
    // Texts written out of sight take their sizes before anyone looks at
    // their item: their sizes and the tree's extent are always the node's.
    if (pItem && unshown.remove(pNode))
        Resize(pItem);
    return pItem;
}

const CNodeGrapicsItem *CTreeScene::RootItem() const
{
    return GetItem(document.GetRoot());
}

CNodeGrapicsItem *CTreeScene::ItemOf(const CNode *pNode) const
{
    const auto found = items.find(const_cast<CNode *>(pNode));
    return found == items.end() ? nullptr : found->second;
}

const CTreeScene::ItemTable &CTreeScene::Items() const
{
    for (const CNode *pNode : std::as_const(unshown))
        Resize(ItemOf(pNode));
    unshown.clear();
    return items;
}

void CTreeScene::ShowTree(QPointF pntUnplaced, bool bStoreRootPlace)
{
    // A file read brings its own format, without a word.
    ShowNumberFormat();
    CNode *pRoot = document.GetRoot();
    if (!pRoot || pRoot->children.size() != 1)
        return;
    ShowCriteria();
    // The scene's index is built over every item at the first paint: on a
    // 100,000-node tree that was half of opening it, and 580 MiB. Without
    // one a paint looks at each top-level item's cached bounds, which costs
    // edits more than the index does on a tree of thousands of nodes.
    if (items.empty()) {
        const int nNodes = CountBelow(pRoot);
        setItemIndexMethod(nNodes > IndexedNodes ? NoIndex : BspTreeIndex);
        items.reserve(nNodes);
    }
    CNodeGrapicsItem *pItem = CreateItem(pRoot);
    if (pRoot->HasPosition()) {
        pItem->SetNodePos(pRoot->x, pRoot->y, true);
    } else if (!bStoreRootPlace) {
        const bool bWasBlocked = pItem->blockSignals(true);
        pItem->setPos(pntUnplaced);
        pItem->blockSignals(bWasBlocked);
    } else {
        pItem->SetNodePos(ToCoordinate(pntUnplaced.x()), ToCoordinate(pntUnplaced.y()), true);
    }
    LayoutChildren(pRoot);
    // The document has rolled the tree back; what it flagged shows, and the
    // chosen path only where every Situation adds up.
    WalkSubtree(pRoot, [this](CNode *pNode) {
        if (document.HasProbabilityWarning(pNode))
            ShowProbabilityWarning(pNode, true);
        // What a fold hides shows its warnings when it unfolds.
        return !pNode->folded;
    });
    UpdateBestPath(pRoot, document.IsConsistent());
    ShowFormulas();
}

void CTreeScene::ShowFormulas()
{
    QHash<const CNode *, Problems> problems;
    for (const CVariables::Problem &problem : document.FormulaProblems())
        if (problem.node) {
            Problems &shown = problems[problem.node];
            (problem.second        ? shown.payoff2
             : problem.probability ? shown.probability
                                   : shown.payoff) = problem.text;
        }
    // Values alone changed since the last pass: formulas and items are as
    // shown, and only nodes whose problems came, went or changed are shown again.
    if (formulasShownAt == document.FormulasRevision()) {
        for (auto it = shownProblems.constBegin(); it != shownProblems.constEnd(); ++it)
            if (!problems.contains(it.key()))
                problems.insert(it.key(), Problems());
        for (auto it = problems.constBegin(); it != problems.constEnd(); ++it) {
            CNodeGrapicsItem *pItem = ItemOf(it.key());
            if (pItem && shownProblems.value(it.key()) != it.value())
                pItem->ShowFormulas(it.value().payoff, it.value().probability, it.value().payoff2);
        }
        for (auto it = problems.begin(); it != problems.end();)
            it = it.value() == Problems() ? problems.erase(it) : std::next(it);
        shownProblems = problems;
        return;
    }
    // A walk over nodes, not items: a large tree has many items, few formulas.
    QSet<const CNode *> shown;
    WalkSubtree(document.GetRoot(), [&](CNode *pNode) {
        const bool bFormula = !pNode->payoffFormula.empty() || !pNode->probabilityFormula.empty() ||
                              !pNode->payoff2Formula.empty();
        const auto found = problems.constFind(pNode);
        if (!bFormula && found == problems.constEnd() && !withFormulas.contains(pNode))
            return;
        if (CNodeGrapicsItem *pItem = ItemOf(pNode)) {
            const Problems texts = found == problems.constEnd() ? Problems() : *found;
            pItem->ShowFormulas(texts.payoff, texts.probability, texts.payoff2);
        }
        if (bFormula || found != problems.constEnd())
            shown.insert(pNode);
    });
    withFormulas = shown;
    shownProblems = problems;
    formulasShownAt = document.FormulasRevision();
}

CNodeGrapicsItem *CTreeScene::CreateItem(CNode *pNode)
{
    auto *pItem = new CNodeGrapicsItem(pNode, nullptr, true);
    addItem(pItem);
    items.insert_or_assign(pNode, pItem);
    formulasShownAt = 0;
    if (!numberFormat.IsDefault())
        pItem->SetNumberFormat(&numberFormat);
    if (twoCriteria) {
        pItem->ShowSecondPayoff(ShowsSecond(pNode));
        ShowNumbers(pItem);
    }
    return pItem;
}

void CTreeScene::LayoutChildren(CNode *pNode)
{
    // One frame per node whose children are being placed: depth first and
    // pre-order, so a child is placed before its own children.
    struct Frame
    {
        CNode *node;
        CNodeGrapicsItem *item;
        QPointF anchor;
        size_t next;
        // The item was made in this pass: its children have none yet.
        bool made;
    };
    std::vector<Frame> frames;
    auto push = [&](CNode *pParent, CNodeGrapicsItem *pItem, bool bMade) {
        // What a fold hides gets no items at all: opening or unfolding a big
        // tree costs only what shows.
        if (!pItem || !pParent->HasChildren() || pParent->folded)
            return;
        frames.push_back({pParent, pItem, pItem->mapToScene(pItem->RightAnchor()), 0, bMade});
    };
    if (pNode)
        push(pNode, GetItem(pNode), false);

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

        CNodeGrapicsItem *pItem = frame.made ? nullptr : GetItem(pChild);
        const bool bMade = !pItem;
        if (bMade)
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
        if (!pItem->GetArrow()) {
            auto *pArrow = new CQGraphicsArrowLineItem(pParentItem, pItem, nullptr);
            addItem(pArrow);
            // Where the evaluation that follows writes no value nearby, nothing
            // else would show a new arrow on the chosen path: an end put back
            // by an undo, below an option that stays chosen.
            const bool bAbove = frame.node->parent ? ArrowOnPath(frame.node) : highlighted;
            if (bAbove && pChild->active)
                pArrow->SetActive(true);
        }
        // Once placed: the badge keeps where its node folded.
        if (pChild->folded && !CFoldBadge::Of(pItem))
            AddBadge(pItem);
        // The frame reference dies here: pushing may move the vector.
        push(pChild, pItem, bMade);
    }
}

void CTreeScene::RemoveSubtreeItems(CNode *pNode)
{
    if (!ItemOf(pNode))
        return;
    // Post-order: a node's item goes after the items of its whole subtree,
    // so each node comes once to push its subtree and once more, done, after it.
    using Visit = std::pair<CNode *, bool>;
    WalkDepthFirst(Visit{pNode, false}, [this](const Visit &item, const auto &push) {
        const auto [pCurrent, bDone] = item;
        if (!bDone) {
            push({pCurrent, true});
            for (auto it = pCurrent->children.rbegin(); it != pCurrent->children.rend(); ++it)
                if (*it)
                    push({*it, false});
            return;
        }
        CNodeGrapicsItem *pItem = ItemOf(pCurrent);
        if (!pItem)
            return;
        // An item that is being edited must not turn its focus loss into an
        // undo step while a command is busy restructuring the tree.
        pItem->blockSignals(true);
        if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow()) {
            removeItem(pArrow);
            pArrow->deleteLater();
        }
        pItem->PrepareGeometryChange();
        removeItem(pItem);
        pItem->deleteLater();
        items.erase(pCurrent);
        unshown.remove(pCurrent);
    });
}

void CTreeScene::UpdateBestPath(CNode *pNode, bool bFlag)
{
    if (!pNode)
        return;
    if (pNode == document.GetRoot())
        highlighted = bFlag;
    using OnPath = std::pair<CNode *, bool>;
    WalkDepthFirst(OnPath{pNode, bFlag}, [this](const OnPath &item, const auto &push) {
        const auto [pCurrent, bOnPath] = item;
        for (CNode *pChild : pCurrent->children) {
            if (!pChild)
                continue;
            const bool bActive = bOnPath && pChild->active;
            // Every edit walks the whole tree; an arrow already in the right
            // state is not repainted.
            if (CNodeGrapicsItem *pItem = ItemOf(pChild))
                if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow())
                    if (pArrow->IsActive() != bActive)
                        pArrow->SetActive(bActive);
            push({pChild, bActive});
        }
    });
}

void CTreeScene::ShowProbabilityWarning(CNode *pNode, bool bOn)
{
    if (!pNode || pNode->type != NodeType::Situation)
        return;
    for (CNode *pChild : pNode->children)
        if (CNodeGrapicsItem *pItem = ItemOf(pChild))
            pItem->SetProbabilityError(bOn);
}

NodeExtent CTreeScene::ExtentOf(const CNode *pNode) const
{
    const CNodeGrapicsItem *pItem = GetItem(pNode);
    if (!pItem)
        return {QRectF(0, 0, 1, 1), QPointF(1, 0.5)};
    // A folded node's badge takes room as its texts do.
    if (const CFoldBadge *pBadge = CFoldBadge::Of(pItem))
        return {pItem->OutlineRect() | pBadge->mapRectToParent(pBadge->boundingRect()),
                pItem->RightAnchor()};
    return {pItem->OutlineRect(), pItem->RightAnchor()};
}

std::vector<NodePlacement> CTreeScene::ArrangedPositions() const
{
    CNode *pRoot = document.GetRoot();
    const CNodeGrapicsItem *pRootItem = GetItem(pRoot);
    if (!pRootItem)
        return {};
    return CTreeArranger::Arrange(pRoot, pRootItem->pos(),
                                  [this](const CNode *pNode) { return ExtentOf(pNode); });
}

std::vector<NodePosition> CTreeScene::CurrentPositions() const
{
    std::vector<NodePosition> positions;
    if (!GetItem(document.GetRoot()))
        return positions;
    for (const NodePlacement &placed : CTreeArranger::Placed(document.GetRoot())) {
        const CNodeGrapicsItem *pItem = GetItem(placed.node);
        positions.push_back({pItem ? pItem->pos() : QPointF(), placed.x, placed.y});
    }
    return positions;
}

void CTreeScene::ShowPositions(const std::vector<CNode *> &nodes)
{
    std::vector<CNode *> moved;
    for (CNode *pNode : nodes) {
        CNodeGrapicsItem *pItem = ItemOf(pNode);
        // A drag stores where its item already stands, to the coordinate; a
        // Root never placed stays where the view put it. An item hidden by a
        // fold is placed from its node when it shows again.
        if (!pItem || !pItem->isVisible() || !pNode->HasPosition() ||
            (ToCoordinate(pItem->x()) == pNode->x && ToCoordinate(pItem->y()) == pNode->y))
            continue;
        const bool bWasBlocked = pItem->blockSignals(true);
        pItem->setPos(pNode->x, pNode->y);
        pItem->blockSignals(bWasBlocked);
        moved.push_back(pNode);
    }
    // Signals were blocked, so each arrow that meets a moved item is redrawn here.
    auto redraw = [this](const CNode *pNode) {
        if (CNodeGrapicsItem *pItem = ItemOf(pNode))
            if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow())
                pArrow->UpdateGeometry();
    };
    // Once each: a child that moved with its parent has its arrow redrawn as
    // a moved node.
    const std::unordered_set<const CNode *> movedNodes(moved.begin(), moved.end());
    for (CNode *pNode : moved) {
        redraw(pNode);
        for (const CNode *pChild : pNode->children)
            if (pChild && !movedNodes.count(pChild))
                redraw(pChild);
    }
}
