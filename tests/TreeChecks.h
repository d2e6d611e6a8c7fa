#pragma once

// Checks shared by the command, randomized-edit and end-to-end tests: that a
// tree keeps its structural rules, that the scene shows exactly its attached
// nodes and their values, and whole-tree states to compare.

#include "EditorTestKit.h"
#include "TextNumber.h"

#include <QSet>
#include <QStringList>

#include <string>
#include <vector>

namespace CommandTestKit {

using namespace EditorTestKit;

inline CNode *Child(const CNode *pNode, int nIndex)
{
    return pNode->children.at(static_cast<size_t>(nIndex));
}

// Every node attached below (and including) pRoot, parents before children.
inline std::vector<CNode *> Attached(CNode *pRoot)
{
    std::vector<CNode *> nodes;
    if (!pRoot)
        return nodes;
    std::vector<CNode *> pending{pRoot};
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        nodes.push_back(pNode);
        for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
            pending.push_back(*it);
    }
    return nodes;
}

inline QLatin1String KindName(int nType)
{
    static const char *const kinds[] = {"Root", "Decision", "Situation", "Option", "Terminal"};
    const bool bKnown = nType >= NodeType::Root && nType <= NodeType::Terminal;
    return QLatin1String(bKnown ? kinds[nType] : "?");
}

inline QString Describe(const CNode *pNode)
{
    return QStringLiteral("%1 \"%2\"")
        .arg(KindName(pNode->type), QString::fromStdString(pNode->name));
}

// Where the item's vertical middle lies, in scene coordinates.
inline double CentreY(const CNodeGrapicsItem *pItem)
{
    return pItem->sceneBoundingRect().center().y();
}

inline QPointF RightAnchorOf(const CNodeGrapicsItem *pItem)
{
    return pItem->mapToScene(pItem->RightAnchor());
}

// Why the tree breaks its structural rules; empty when it does not.
inline QString TreeFault(const CDecisionTree &tree)
{
    const CNode *pRoot = tree.GetRoot();
    if (!pRoot)
        return QStringLiteral("no Root");
    if (pRoot->parent || pRoot->type != NodeType::Root)
        return QStringLiteral("the Root has a parent or another kind");
    std::vector<const CNode *> pending{pRoot};
    while (!pending.empty()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        int nOptions = 0;
        int nTerminals = 0;
        for (const CNode *pChild : pNode->children) {
            if (!pChild)
                return Describe(pNode) + QStringLiteral(" has a null child");
            if (pChild->parent != pNode)
                return Describe(pChild) + QStringLiteral(" names another parent");
            if (pChild->type == NodeType::Root)
                return Describe(pNode) + QStringLiteral(" has a Root below it");
            nOptions += pChild->type == NodeType::Option ? 1 : 0;
            nTerminals += pChild->type == NodeType::Terminal ? 1 : 0;
            pending.push_back(pChild);
        }
        const size_t nChildren = pNode->children.size();
        switch (pNode->type) {
        case NodeType::Root:
        case NodeType::Option:
            if (nChildren != 1 || nOptions != 0)
                return Describe(pNode) + QStringLiteral(" does not have exactly one child "
                                                        "(a Decision, Situation or Terminal)");
            break;
        case NodeType::Decision:
        case NodeType::Situation:
            if (size_t(nOptions) != nChildren && !(nChildren == 1 && nTerminals == 1))
                return Describe(pNode) +
                       QStringLiteral(" has children other than options or one Terminal");
            break;
        case NodeType::Terminal:
            if (nChildren != 0)
                return Describe(pNode) + QStringLiteral(" has children");
            break;
        default:
            return Describe(pNode) + QStringLiteral(" has an unknown kind");
        }
    }
    return QString();
}

// Why the scene does not show exactly the attached nodes, each with one item
// and (but the Root) one arrow from its parent's item; empty when it does.
inline QString SceneFault(CDecisionTreeWindow &window)
{
    const std::vector<CNode *> nodes = Attached(window.GetTree().GetRoot());
    QSet<const CNode *> attached;
    QSet<const QGraphicsItem *> arrows;
    for (const CNode *pNode : nodes) {
        attached.insert(pNode);
        const CNodeGrapicsItem *pItem = window.GetItem(pNode);
        if (!pItem || pItem->GetNode() != pNode || pItem->scene() != window.scene())
            return Describe(pNode) + QStringLiteral(" has no item on the scene");
        const CQGraphicsArrowLineItem *pArrow = pItem->GetArrow();
        if (!pNode->parent) {
            if (pArrow)
                return QStringLiteral("the Root has an arrow");
            continue;
        }
        if (!pArrow || pArrow->scene() != window.scene())
            return Describe(pNode) + QStringLiteral(" has no arrow on the scene");
        const QRectF bounds = pArrow->boundingRect();
        const CNodeGrapicsItem *pParentItem = window.GetItem(pNode->parent);
        if (!pParentItem || !bounds.contains(RightAnchorOf(pParentItem)) ||
            !bounds.contains(pItem->mapToScene(pItem->LeftAnchor())))
            return Describe(pNode) + QStringLiteral("'s arrow does not join it to its parent");
        arrows.insert(pArrow);
    }
    int nItems = 0;
    for (QGraphicsItem *pGraphics : window.scene()->items()) {
        if (auto *pItem = qobject_cast<CNodeGrapicsItem *>(pGraphics->toGraphicsObject())) {
            ++nItems;
            if (!attached.contains(pItem->GetNode()) || window.GetItem(pItem->GetNode()) != pItem)
                return QStringLiteral("an item on the scene shows no attached node");
        } else if (dynamic_cast<CQGraphicsArrowLineItem *>(pGraphics) &&
                   !arrows.contains(pGraphics)) {
            return QStringLiteral("an arrow on the scene leads to no attached node");
        }
    }
    if (nItems != int(nodes.size()))
        return QStringLiteral("%1 node items for %2 nodes").arg(nItems).arg(nodes.size());
    return QString();
}

// Why an item shows something else than its node holds; empty when none does.
inline QString ValueFault(CDecisionTreeWindow &window)
{
    for (const CNode *pNode : Attached(window.GetTree().GetRoot())) {
        const CNodeGrapicsItem *pItem = window.GetItem(pNode);
        if (!pItem)
            return Describe(pNode) + QStringLiteral(" has no item");
        if (pItem->toPlainText() != QString::fromStdString(pNode->name))
            return Describe(pNode) + QStringLiteral(" shows the name ") + pItem->toPlainText();
        if (const QGraphicsTextItem *pPayoff = PayoffText(pItem)) {
            // An option's payoff may still show the digits that were typed.
            const bool bTyped = pNode->type == NodeType::Option &&
                                pPayoff->toPlainText().toDouble() == pNode->payoff;
            if (!bTyped && pPayoff->toPlainText() != NumberToText(pNode->payoff))
                return Describe(pNode) + QStringLiteral(" shows the payoff %1 for %2")
                                             .arg(pPayoff->toPlainText())
                                             .arg(pNode->payoff, 0, 'g', 17);
            const bool bLeaf = pNode->type == NodeType::Option || pNode->type == NodeType::Terminal;
            if (bLeaf && pPayoff->toolTip() != QString::fromStdString(pNode->payoffComment))
                return Describe(pNode) + QStringLiteral(" shows another payoff comment");
        }
        if (const CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem)) {
            const QString strShown = QString::number(pNode->probability * 100, 'g', 4) + '%';
            if (pProbability->GetProbability() != pNode->probability ||
                (!pProbability->hasFocus() && pProbability->toPlainText() != strShown))
                return Describe(pNode) + QStringLiteral(" shows the probability ") +
                       pProbability->toPlainText();
        }
    }
    return QString();
}

// One node of a tree as the comparisons of whole trees see it.
struct NodeState
{
    int depth;
    int type;
    std::string name;
    double probability;
    double payoff;
    std::string payoffComment;
    int x;
    int y;
    bool active;

    bool operator==(const NodeState &other) const
    {
        return depth == other.depth && type == other.type && name == other.name &&
               probability == other.probability && payoff == other.payoff &&
               payoffComment == other.payoffComment && x == other.x && y == other.y &&
               active == other.active;
    }
    bool operator!=(const NodeState &other) const { return !(*this == other); }
};

// Shape, order, every value and every stored position of a tree, node by node
// in pre-order. On request two things are left out: the places of Terminals,
// which are made afresh whenever a path ends, at the slot their parent's item
// has at that time; and the values the solver owns (what a path, a Decision or
// a Situation is worth, the chosen options), which are left as they were
// while some Situation's options do not add up.
inline std::vector<NodeState> Capture(const CNode *pRoot, bool bTerminalPlaces = true,
                                      bool bSolved = true)
{
    std::vector<NodeState> states;
    std::vector<std::pair<const CNode *, int>> pending;
    if (pRoot)
        pending.emplace_back(pRoot, 0);
    while (!pending.empty()) {
        auto [pNode, nDepth] = pending.back();
        pending.pop_back();
        const bool bTerminal = pNode->type == NodeType::Terminal;
        const bool bPlace = bTerminalPlaces || !bTerminal;
        const bool bOption = pNode->type == NodeType::Option;
        const bool bValues = bSolved || bOption || pNode->type == NodeType::Root;
        states.push_back({nDepth, pNode->type, pNode->name,
                          bValues || !bTerminal ? pNode->probability : 0,
                          bValues ? pNode->payoff : 0, pNode->payoffComment, bPlace ? pNode->x : 0,
                          bPlace ? pNode->y : 0, pNode->active && (bSolved || !bOption)});
        for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
            pending.emplace_back(*it, nDepth + 1);
    }
    return states;
}

// The same, one readable line per node, indented by depth.
inline QStringList Lines(const std::vector<NodeState> &states)
{
    QStringList lines;
    for (const NodeState &node : states) {
        lines << QStringLiteral("%1%2 \"%3\" p=%4 v=%5 c=\"%6\" at (%7, %8)%9")
                     .arg(QString(node.depth, QLatin1Char(' ')), KindName(node.type),
                          QString::fromStdString(node.name))
                     .arg(node.probability, 0, 'g', 17)
                     .arg(node.payoff, 0, 'g', 17)
                     .arg(QString::fromStdString(node.payoffComment))
                     .arg(node.x)
                     .arg(node.y)
                     .arg(node.active ? QStringLiteral(" active") : QString());
    }
    return lines;
}

inline QStringList Snapshot(const CNode *pRoot)
{
    return Lines(Capture(pRoot));
}

} // namespace CommandTestKit
