#pragma once

#include "CNodeItemWiring.h"
#include "CTreeArranger.h"
#include "TextNumber.h"

#include <QGraphicsScene>
#include <QHash>
#include <QPointF>
#include <QSet>
#include <QTimer>

#include <cstdint>
#include <memory_resource>
#include <unordered_map>
#include <vector>

class CFoldBadge;
class CNode;
class CNodeGrapicsItem;
class CProjectDocument;

// Where a node's item stands and what its node has stored, so that both can
// be put back exactly (a Root that was never dragged stores no position).
struct NodePosition
{
    QPointF pos;
    int32_t x;
    int32_t y;
};

// The drawing of a project's document: one item per node with an arrow from
// its parent, the values and warnings the document announces, and the chosen
// path in red. Trees can be as deep as a file makes them, so every walk here
// keeps its own stack instead of recursing.
class CTreeScene : public QGraphicsScene, public CNodeItemWiring
{
    Q_OBJECT

public:
    CTreeScene(CProjectDocument &document, QObject *parent);
    ~CTreeScene() override;

    void ConnectItem(CNodeGrapicsItem *pItem) override { emit sig_itemToConnect(pItem); }

    // A node's item, showing the node's numbers (null when it has none).
    CNodeGrapicsItem *GetItem(const CNode *pNode) const;
    // The item of the document's Root; null while no tree is shown.
    const CNodeGrapicsItem *RootItem() const;
    // The node item that pItem is or belongs to; null for an arrow.
    static CNodeGrapicsItem *NodeItemOf(QGraphicsItem *pItem);
    // The one node selected (alone or through its texts); null when none or
    // several are.
    CNodeGrapicsItem *SelectedNodeItem() const;
    // Node items by node.
    using ItemTable = std::pmr::unordered_map<CNode *, CNodeGrapicsItem *>;
    const ItemTable &Items() const;

    // Draws the document's tree afresh; a Root never placed goes to
    // pntUnplaced, and keeps no stored position when bStoreRootPlace is off.
    void ShowTree(QPointF pntUnplaced, bool bStoreRootPlace);
    // Items and arrows for the children below pNode that have none, placed
    // where their nodes say or, never placed, fanned out right of pNode.
    void LayoutChildren(CNode *pNode);
    void RemoveSubtreeItems(CNode *pNode);
    // Draws the arrows below pNode on the chosen path (bFlag) or off it.
    void UpdateBestPath(CNode *pNode, bool bFlag);
    void ShowProbabilityWarning(CNode *pNode, bool bOn);
    // What the document announced: written values, changed warnings.
    void ShowValues(const std::vector<CNode *> &nodes);
    // Options whose payoff or probability a formula has just changed.
    void ShowInputs(const std::vector<CNode *> &options);
    // Resizes the texts whose numbers were written out of sight: all of
    // them, or those resized within nMilliseconds, leaving the rest for later.
    void ShowUnshown(qint64 nMilliseconds = -1);
    void ShowWarnings(const std::vector<CNode *> &situations);
    // The nodes' formulas, and what the document found wrong with them.
    void ShowFormulas();

    NodeExtent ExtentOf(const CNode *pNode) const;
    // Where the shown nodes' items stand and their nodes are stored,
    // breadth first from the Root; and where Arrange Tree puts them, for the
    // document to store.
    std::vector<NodePosition> CurrentPositions() const;
    std::vector<NodePlacement> ArrangedPositions() const;
    // Moves the items of nodes whose stored positions the document changed.
    void ShowPositions(const std::vector<CNode *> &nodes);

    // Words every payoff and value anew in the document's number format.
    void ShowNumberFormat();
    // In a project of two criteria every node shows two numbers: an option
    // its two payoffs, the others their two expected criteria, or, when
    // bOn, the combined value the rollback chooses by. Follows the
    // document's criteria on its own.
    void ShowCombined(bool bOn);
    bool ShowsCombined() const { return combined; }

    // Folding: the items below pNode hide (pNode->folded) or show again beside
    // it, wherever it stands now; a badge on it counts what it hides. What a
    // file brings folded gets its items only when it first shows.
    void ShowFold(CNode *pNode);
    // Whether a folded node stands above pNode, which then shows no item.
    static bool IsHidden(const CNode *pNode);
    // The nodes below pNode, shown or not.
    static int CountBelow(const CNode *pNode);
    // The folded nodes from pRoot down, parents before their children.
    static std::vector<CNode *> FoldedNodes(CNode *pRoot);

    // A scene coordinate as a stored position: truncated toward zero and kept
    // inside the 32-bit range.
    static int32_t ToCoordinate(double dValue);

protected:
    // Tool tips are worded when they are asked for, from the node as it is
    // then: nothing is kept per item, and nothing is redone on every edit.
    void helpEvent(QGraphicsSceneHelpEvent *event) override;

signals:
    // A node item is about to send its first signal; the owner connects to it.
    void sig_itemToConnect(CNodeGrapicsItem *pItem);
    // A double click on the badge of folded pNode.
    void sig_unfoldRequested(CNode *pNode);

protected:
    void drawBackground(QPainter *pPainter, const QRectF &rctArea) override;

private:
    // More nodes than this written at once show those out of sight later.
    static constexpr size_t ShownAtOnce = 64;
    static constexpr qreal SightMargin = 200.0;
    static constexpr qint64 UnshownSlice = 4;
    // What the document announces that shows on the canvas alone.
    void ConnectDocument();
    CNodeGrapicsItem *CreateItem(CNode *pNode);
    // Adds or removes the second numbers when the criteria or the choice
    // to show their combined value changed.
    void ShowCriteria();
    void ShowSecondNumbers();
    bool ShowsSecond(const CNode *pNode) const;
    void ShowNumbers(const std::vector<CNode *> &nodes);
    void ShowNumbers(CNodeGrapicsItem *pItem) const;
    // The node's numbers into the item's texts, their sizes left waiting.
    void SetNumbers(CNodeGrapicsItem *pItem) const;
    // Gives the item's texts the sizes of the numbers they show.
    void Resize(CNodeGrapicsItem *pItem) const;
    // The item as it is, numbers waiting or not: for the scene's own passes
    // that write numbers and arrows.
    CNodeGrapicsItem *ItemOf(const CNode *pNode) const;
    // The scene area the visible views show, with a margin; null when none
    // is visible.
    QRectF InSight() const;
    QSet<const CNode *> NodesIn(const QRectF &rctArea) const;
    // Re-highlights what the written Decisions and Situations (lowest first)
    // may have changed of the chosen path.
    void RefreshBestPath(const std::vector<CNode *> &branches);
    bool ArrowOnPath(const CNode *pNode) const;
    void AddBadge(CNodeGrapicsItem *pItem);
    void DropBadge(CFoldBadge *pBadge);
    // Moves the stored places of what pNode hid by as much as pNode has
    // moved since it folded, keeping the subtree's own shape.
    void MoveHiddenAlong(CNode *pNode, QPointF by);
    // Hides or shows the items below pNode; bMoved redraws their arrows.
    void SetSubtreeShown(CNode *pNode, bool bShown, bool bMoved);

    CProjectDocument &document;
    // A hash, not a map: every refreshed value looks its item up here. Its
    // entries come from a pool of their own, which goes in a few blocks: a
    // large tree's table freed entry by entry took a tenth of closing it.
    std::pmr::unsynchronized_pool_resource itemPool;
    ItemTable items{&itemPool};
    // Whether the chosen path is drawn at all: the flag of the last
    // highlighting from the Root.
    bool highlighted = false;
    // Nodes shown with a formula or a problem of one, to be shown without
    // when they have neither any more.
    QSet<const CNode *> withFormulas;
    // The problems of formulas on show, by node (payoff's, probability's),
    // and the document's formulas revision they were shown at; 0 once an
    // item has been made since, which shows nothing yet.
    struct Problems
    {
        QString payoff;
        QString probability;
        QString payoff2;
        bool operator==(const Problems &other) const
        {
            return payoff == other.payoff && probability == other.probability &&
                   payoff2 == other.payoff2;
        }
        bool operator!=(const Problems &other) const { return !(*this == other); }
    };
    QHash<const CNode *, Problems> shownProblems;
    quint64 formulasShownAt = 0;
    // The document's number format, which every item shows its values in.
    NumberFormat numberFormat;
    // What the items show: two criteria, and their combined value instead.
    bool twoCriteria = false;
    bool combined = false;
    // Nodes whose numbers were written out of sight, their texts not resized yet.
    // Only looked up, never followed: a node freed meanwhile finds no item.
    // GetItem and Items show them first, so mutable.
    mutable QSet<const CNode *> unshown;
    QTimer unshownTimer;
};
