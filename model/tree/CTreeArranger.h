#pragma once

#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <functional>
#include <vector>

class CNode;

// Where a node's drawing reaches, relative to the position of its item.
struct NodeExtent
{
    // The item with every text it shows. It starts at the item's x or to the
    // right of it: nothing of a node is drawn left of its position. The
    // arrows to its children run along the centre line to the box's right
    // edge, clear of the texts, and turn towards the children only there.
    QRectF box;
    // Where the arrows to its children leave; its y is the node's centre line.
    QPointF rightAnchor;
};

struct NodePlacement
{
    CNode *node;
    int32_t x;
    int32_t y;
};

// Lays a tree out from left to right as a tidy drawing: every child a fixed
// distance right of its parent's right anchor, each parent centred on its
// children, siblings at least a fixed distance apart centre to centre, and
// every subtree moved up against its upper neighbours as far as their
// outlines allow, so that no two nodes with their texts overlap and no arrow
// runs through another node or its texts.
//
// The arrows count as part of the outline: between a parent's box and its
// children stands a stand-in node, the fan, as tall as the arrows spread
// there, which keeps other subtrees out of their way.
//
// Nodes differ in width, so the children of different parents stand in
// different columns: the outlines are kept over x, not per level (the
// non-layered variant of Walker's algorithm by van der Ploeg), and the work
// stays linear in the number of nodes. Nothing recurses: any depth is safe.
class CTreeArranger
{
public:
    static constexpr double ChildDistance = 100.0;
    static constexpr double SiblingDistance = 100.0;
    // Air between the outlines of neighbouring subtrees, and between a
    // parent's texts and its children when those texts reach that far.
    static constexpr double Gap = 10.0;
    // The least room along the flow between a parent's texts and its
    // children when the arrows fan out to several of them.
    static constexpr double FanRoom = 40.0;

    using ExtentOf = std::function<NodeExtent(const CNode *)>;

    // Positions of pRoot and everything below it, breadth first from pRoot,
    // which keeps the position pntRoot. Children that are null are skipped.
    static std::vector<NodePlacement> Arrange(CNode *pRoot, QPointF pntRoot,
                                              const ExtentOf &extentOf);
    // Where pRoot and what shows below it (nothing below a fold) stand now,
    // in the order Arrange places them: an arrangement taken back is put
    // back node for node.
    static std::vector<NodePlacement> Placed(CNode *pRoot);

private:
    explicit CTreeArranger(CNode *pRoot, const ExtentOf &extentOf);

    void FirstWalk(int nNode);
    void Separate(int nParent, int nIndex);
    void MoveSubtree(int nParent, int nIndex, int nFrom, double dDistance);
    void SetLeftThread(int nParent, int nIndex, int nContour, double dModSum);
    void SetRightThread(int nParent, int nIndex, int nContour, double dModSum);
    void SecondWalk(QPointF pntRoot);
    int Child(int nParent, int nIndex) const { return firstChild[size_t(nParent)] + nIndex; }
    double End(int nNode) const { return depth[size_t(nNode)] + band[size_t(nNode)]; }
    int NextLeft(int nNode) const;
    int NextRight(int nNode) const;

    // Per node, in breadth-first order: a node's children are neighbours. A
    // fan holds its parent's node, and is the only child of that parent.
    std::vector<CNode *> nodes;
    std::vector<char> fan;
    std::vector<int> firstChild, childCount;
    // Across the flow (y): the outline and the centre line, from the item's top.
    std::vector<double> top, bottom, centre;
    // Along the flow (x): where the node starts and how far its column reaches
    // (to its children, or past its texts for a node without children).
    std::vector<double> depth, band;
    // Walker's preliminary place, modifier and the even spreading of the
    // subtrees between two that collided.
    std::vector<double> prelim, mod, shift, change;
    // Threads continue an outline into a deeper neighbour; the extreme nodes
    // are the lowest nodes of a subtree's outlines, with their modifier sums.
    std::vector<int> threadLeft, threadRight, extremeLeft, extremeRight;
    std::vector<double> modSumLeft, modSumRight;

    // The siblings whose subtrees still show on the outline below the
    // latest one, each with how far along the flow it reaches.
    struct Reach
    {
        double end;
        int index;
    };
    std::vector<Reach> reaches;
};
