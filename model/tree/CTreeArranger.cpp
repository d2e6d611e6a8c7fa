#include "CTreeArranger.h"

#include "CNode.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Extents come from drawn texts, so a file can make them anything; keep them
// finite and far from the range where doubles stop counting in whole units.
double Tame(double dValue)
{
    constexpr double dLimit = 1e8;
    return std::isfinite(dValue) ? std::clamp(dValue, -dLimit, dLimit) : 0.0;
}

int32_t ToCoordinate(double dValue)
{
    // The lowest value means "never placed"; it must not come out of a layout.
    constexpr double dLowest = double(std::numeric_limits<int32_t>::min()) + 1;
    constexpr double dHighest = double(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(std::clamp(std::floor(dValue + 0.5), dLowest, dHighest));
}

} // namespace

std::vector<NodePlacement> CTreeArranger::Arrange(CNode *pRoot, QPointF pntRoot,
                                                  const ExtentOf &extentOf)
{
    if (!pRoot)
        return {};
    CTreeArranger arranger(pRoot, extentOf);
    // Children come after their parent in breadth-first order, so walking it
    // backwards finishes every subtree before its parent needs it.
    for (int n = int(arranger.nodes.size()) - 1; n >= 0; --n)
        arranger.FirstWalk(n);
    arranger.SecondWalk(pntRoot);

    // Breadth first over the nodes alone: a fan stands between some parents
    // and their children, not all, so the nodes are taken in the order
    // callers count them, with a fan's children as its parent's.
    std::vector<NodePlacement> placements;
    placements.reserve(arranger.nodes.size());
    std::vector<int> order{0};
    for (size_t i = 0; i < order.size(); ++i) {
        const size_t n = size_t(order[i]);
        placements.push_back(
            {arranger.nodes[n], ToCoordinate(arranger.depth[n]), ToCoordinate(arranger.prelim[n])});
        size_t nParent = n;
        if (arranger.childCount[n] && arranger.fan[size_t(arranger.firstChild[n])])
            nParent = size_t(arranger.firstChild[n]);
        for (int c = 0; c < arranger.childCount[nParent]; ++c)
            order.push_back(arranger.firstChild[nParent] + c);
    }
    return placements;
}

std::vector<NodePlacement> CTreeArranger::Placed(CNode *pRoot)
{
    std::vector<NodePlacement> placed;
    if (pRoot)
        placed.push_back({pRoot, pRoot->x, pRoot->y});
    for (size_t i = 0; i < placed.size(); ++i)
        if (!placed[i].node->folded)
            for (CNode *pChild : placed[i].node->children)
                if (pChild)
                    placed.push_back({pChild, pChild->x, pChild->y});
    return placed;
}

CTreeArranger::CTreeArranger(CNode *pRoot, const ExtentOf &extentOf)
{
    nodes.push_back(pRoot);
    fan.push_back(0);
    for (size_t n = 0; n < nodes.size(); ++n) {
        firstChild.push_back(int(nodes.size()));
        int nCount = 0;
        // A folded node is placed as a leaf: what it hides takes no room.
        if (!nodes[n]->folded) {
            const std::vector<CNode *> &children = nodes[n]->children;
            // The one arrow to a single child runs along the parent's centre
            // line, which the parent's own outline covers up to the child.
            const bool bFan = !fan[n] && std::count_if(children.begin(), children.end(),
                                                       [](const CNode *p) { return p; }) > 1;
            if (bFan) {
                nodes.push_back(nodes[n]);
                fan.push_back(1);
                nCount = 1;
            }
            for (CNode *pChild : children) {
                if (!pChild || bFan)
                    continue;
                nodes.push_back(pChild);
                fan.push_back(0);
                ++nCount;
            }
        }
        childCount.push_back(nCount);
    }
    const size_t nSize = nodes.size();
    for (std::vector<double> *pValues : {&top, &bottom, &centre, &depth, &band, &prelim, &mod,
                                         &shift, &change, &modSumLeft, &modSumRight})
        pValues->assign(nSize, 0.0);
    for (std::vector<int> *pValues : {&threadLeft, &threadRight, &extremeLeft, &extremeRight})
        pValues->assign(nSize, -1);

    for (size_t n = 0; n < nSize; ++n) {
        if (!fan[n]) {
            const NodeExtent extent = extentOf(nodes[n]);
            const double dTop = Tame(extent.box.top());
            const double dBottom = std::max(dTop, Tame(extent.box.bottom()));
            top[n] = dTop;
            bottom[n] = dBottom;
            centre[n] = std::clamp(Tame(extent.rightAnchor.y()), dTop, dBottom);
            // Children stand a fixed distance right of the anchor, or further
            // when the node's own texts reach past that: they must not be
            // hidden, nor the arrows run through them.
            const double dRight = Tame(extent.box.right());
            const double dAnchor = Tame(extent.rightAnchor.x());
            const bool bFan = childCount[n] && fan[size_t(firstChild[n])];
            const double dReach =
                std::max(dAnchor + ChildDistance, dRight + (bFan ? FanRoom : Gap));
            // A node's column reaches to its children, past its texts when
            // it has none, or to where its fan takes over.
            const double dEnd = !childCount[n] ? dRight + Gap : bFan ? dRight : dReach;
            band[n] = std::max(1.0, std::ceil(dEnd));
            if (bFan)
                band[size_t(firstChild[n])] = std::max(1.0, std::ceil(dReach) - band[n]);
        }
        for (int i = 0; i < childCount[n]; ++i)
            depth[size_t(firstChild[n] + i)] = depth[n] + band[n];
    }
}

int CTreeArranger::NextLeft(int nNode) const
{
    return childCount[size_t(nNode)] ? Child(nNode, 0) : threadLeft[size_t(nNode)];
}

int CTreeArranger::NextRight(int nNode) const
{
    const int nCount = childCount[size_t(nNode)];
    return nCount ? Child(nNode, nCount - 1) : threadRight[size_t(nNode)];
}

void CTreeArranger::FirstWalk(int nNode)
{
    const size_t n = size_t(nNode);
    const int nCount = childCount[n];
    if (nCount == 0) {
        extremeLeft[n] = extremeRight[n] = nNode;
        modSumLeft[n] = modSumRight[n] = 0.0;
        return;
    }
    reaches.clear();
    reaches.push_back({End(extremeLeft[size_t(Child(nNode, 0))]), 0});
    for (int i = 1; i < nCount; ++i) {
        // Read before separating: the threads set there change the extremes.
        const double dEnd = End(extremeRight[size_t(Child(nNode, i))]);
        Separate(nNode, i);
        // Siblings that end before this subtree are hidden behind it from now on.
        while (!reaches.empty() && dEnd >= reaches.back().end)
            reaches.pop_back();
        reaches.push_back({dEnd, i});
    }

    const size_t nFirst = size_t(Child(nNode, 0));
    const size_t nLast = size_t(Child(nNode, nCount - 1));
    const double dFirst = prelim[nFirst] + mod[nFirst] + centre[nFirst];
    const double dLast = prelim[nLast] + mod[nLast] + centre[nLast];
    // A fan is never drawn: it stands exactly in the middle, so that its
    // parent, centred on it, is rounded once.
    prelim[n] = fan[n] ? (dFirst + dLast) / 2 : std::floor((dFirst + dLast) / 2 - centre[n] + 0.5);
    if (fan[n]) {
        // As tall as the arrows from the parent's centre line, which stands
        // on the fan's, to the centres of the first and the last child; a
        // unit more for the line's width and the parent's rounding.
        top[n] = std::min(0.0, dFirst - prelim[n]) - 1;
        bottom[n] = std::max(0.0, dLast - prelim[n]) + 1;
    }
    extremeLeft[n] = extremeLeft[nFirst];
    modSumLeft[n] = modSumLeft[nFirst];
    extremeRight[n] = extremeRight[nLast];
    modSumRight[n] = modSumRight[nLast];
}

void CTreeArranger::Separate(int nParent, int nIndex)
{
    // The lower outline of the siblings above, and the upper outline of this
    // subtree, each with the sum of modifiers down to the current node.
    int nAbove = Child(nParent, nIndex - 1);
    double dSumAbove = mod[size_t(nAbove)];
    int nBelow = Child(nParent, nIndex);
    double dSumBelow = mod[size_t(nBelow)];

    const double dCentres = dSumAbove + prelim[size_t(nAbove)] + centre[size_t(nAbove)] +
                            SiblingDistance -
                            (dSumBelow + prelim[size_t(nBelow)] + centre[size_t(nBelow)]);
    if (dCentres > 0) {
        const double dMove = std::ceil(dCentres);
        dSumBelow += dMove;
        MoveSubtree(nParent, nIndex, nIndex - 1, dMove);
    }

    size_t nReach = reaches.size() - 1;
    while (nAbove >= 0 && nBelow >= 0) {
        const size_t a = size_t(nAbove);
        const size_t b = size_t(nBelow);
        if (End(nAbove) > reaches[nReach].end && nReach > 0)
            --nReach;
        const double dOverlap =
            (dSumAbove + prelim[a] + bottom[a] + Gap) - (dSumBelow + prelim[b] + top[b]);
        if (dOverlap > 0) {
            const double dMove = std::ceil(dOverlap);
            dSumBelow += dMove;
            MoveSubtree(nParent, nIndex, reaches[nReach].index, dMove);
        }
        const double dEndAbove = End(nAbove);
        const double dEndBelow = End(nBelow);
        if (dEndAbove <= dEndBelow) {
            nAbove = NextRight(nAbove);
            if (nAbove >= 0)
                dSumAbove += mod[size_t(nAbove)];
        }
        if (dEndAbove >= dEndBelow) {
            nBelow = NextLeft(nBelow);
            if (nBelow >= 0)
                dSumBelow += mod[size_t(nBelow)];
        }
    }
    if (nAbove < 0 && nBelow >= 0)
        SetLeftThread(nParent, nIndex, nBelow, dSumBelow);
    else if (nAbove >= 0 && nBelow < 0)
        SetRightThread(nParent, nIndex, nAbove, dSumAbove);
}

void CTreeArranger::MoveSubtree(int nParent, int nIndex, int nFrom, double dDistance)
{
    const size_t c = size_t(Child(nParent, nIndex));
    mod[c] += dDistance;
    modSumLeft[c] += dDistance;
    modSumRight[c] += dDistance;
    // The smaller subtrees between the two that collided share the move, so
    // that they do not all crowd against the upper one.
    if (nFrom != nIndex - 1) {
        const double dShare = dDistance / (nIndex - nFrom);
        shift[size_t(Child(nParent, nFrom + 1))] += dShare;
        shift[c] -= dShare;
        change[c] -= dDistance - dShare;
    }
}

void CTreeArranger::SetLeftThread(int nParent, int nIndex, int nContour, double dModSum)
{
    const size_t nFirst = size_t(Child(nParent, 0));
    const size_t nLowest = size_t(extremeLeft[nFirst]);
    threadLeft[nLowest] = nContour;
    // Following the thread must add up to the right modifier sum; the node
    // itself must not move, so its preliminary place makes up for it.
    const double dDiff = (dModSum - mod[size_t(nContour)]) - modSumLeft[nFirst];
    mod[nLowest] += dDiff;
    prelim[nLowest] -= dDiff;
    const size_t nCurrent = size_t(Child(nParent, nIndex));
    extremeLeft[nFirst] = extremeLeft[nCurrent];
    modSumLeft[nFirst] = modSumLeft[nCurrent];
}

void CTreeArranger::SetRightThread(int nParent, int nIndex, int nContour, double dModSum)
{
    const size_t nCurrent = size_t(Child(nParent, nIndex));
    const size_t nLowest = size_t(extremeRight[nCurrent]);
    threadRight[nLowest] = nContour;
    const double dDiff = (dModSum - mod[size_t(nContour)]) - modSumRight[nCurrent];
    mod[nLowest] += dDiff;
    prelim[nLowest] -= dDiff;
    const size_t nPrevious = size_t(Child(nParent, nIndex - 1));
    extremeRight[nCurrent] = extremeRight[nPrevious];
    modSumRight[nCurrent] = modSumRight[nPrevious];
}

void CTreeArranger::SecondWalk(QPointF pntRoot)
{
    // Breadth first, a parent is final before its children: its spreading is
    // added to their modifiers, and `mod` becomes the sum from the root down.
    const double dLeft = Tame(pntRoot.x());
    const double dOffset = Tame(pntRoot.y()) - prelim[0] - mod[0];
    for (size_t n = 0; n < nodes.size(); ++n) {
        const int nFirst = firstChild[n];
        double dShift = 0.0;
        double dSpread = 0.0;
        for (int i = 0; i < childCount[n]; ++i) {
            const size_t c = size_t(nFirst + i);
            dShift += shift[c];
            dSpread += dShift + change[c];
            // Whole units keep every distance found above exact; rounding a
            // growing spread keeps the siblings in order.
            mod[c] += std::floor(dSpread + 0.5) + mod[n];
        }
        prelim[n] += mod[n] + dOffset;
        depth[n] += dLeft;
    }
}
