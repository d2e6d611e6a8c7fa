// The tree of a SilverDecisions file, node by node: the part of the reader
// that walks the file's nesting, with an explicit stack.
#include "CPeerJsonReader.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CPeerJsonFormat.h"
#include "SubtreeWalk.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct FreeTree
{
    void operator()(CNode *pNode) const { CNode::FreeSubtree(pNode); }
};
using OwnedTree = std::unique_ptr<CNode, FreeTree>;

// A coordinate of the file in this program's drawing, or NoPosition.
int32_t Coordinate(const QJsonValue &value)
{
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return CNode::NoPosition;
    const double dLimit = CPeerJsonFormat::MaxCoordinate;
    return static_cast<int32_t>(
        std::round(std::clamp(value.toDouble(), -dLimit, dLimit) * CPeerJsonFormat::Scale));
}

QString NodeLabel(const QString &strName)
{
    return strName.isEmpty() ? CPeerJsonReader::tr("a node without a name")
                             : CPeerJsonReader::tr("the node \"%1\"").arg(strName);
}

} // namespace

bool CPeerJsonReader::ReadTree(const QJsonObject &top,
                               const std::shared_ptr<const Scope> &fileScope)
{
    OwnedTree root(CNode::CreateRoot(nullptr, result.projectName.toStdString()));
    struct Pending
    {
        QJsonObject node;
        CNode *parent;
        std::shared_ptr<const Scope> scope;
    };
    qint64 nNodes = 1;
    const bool bRead = WalkDepthFirst(Pending{top, root.get(), fileScope}, [&](const Pending &item,
                                                                               const auto &push) {
        const QString strType = item.node.value(QLatin1String("type")).toString();
        const QString strName = item.node.value(QLatin1String("name")).toString();
        const std::string strNodeName = strName.toStdString();
        CNode *pNode = nullptr;
        if (strType == QLatin1String("decision"))
            pNode = CNode::CreateDecision(item.parent, strNodeName);
        else if (strType == QLatin1String("chance"))
            pNode = CNode::CreateSituation(item.parent, strNodeName);
        else if (strType == QLatin1String("terminal"))
            pNode = CNode::CreateTerminal(item.parent, strNodeName);
        else
            return Refuse(tr("%1 is of the type %2, which is none of decision, chance and terminal")
                              .arg(NodeLabel(strName), Quoted(strType)));
        ++nNodes;
        const QJsonObject location = item.node.value(QLatin1String("location")).toObject();
        pNode->x = Coordinate(location.value(QLatin1String("x")));
        pNode->y = Coordinate(location.value(QLatin1String("y")));
        positioned = positioned && pNode->HasPosition();
        // Only what has something below it can hide it.
        pNode->folded =
            pNode->type != NodeType::Terminal && item.node.value(QLatin1String("folded")).toBool();

        const auto scope =
            Define(item.node.value(QLatin1String("code")).toString(),
                   item.node.value(QLatin1String("expressionScope")).toObject(), item.scope);
        const QJsonValue edges = item.node.value(QLatin1String("childEdges"));
        if (!edges.isUndefined() && !edges.isNull() && !edges.isArray())
            return Refuse(tr("the options of %1 are no list").arg(NodeLabel(strName)));
        const QJsonArray edgeList = edges.toArray();
        if (pNode->type == NodeType::Terminal && !edgeList.isEmpty())
            return Refuse(tr("%1 is a terminal node with options").arg(NodeLabel(strName)));
        for (const QJsonValue &value : edgeList) {
            const QJsonObject edge = value.toObject();
            const QJsonValue child = edge.value(QLatin1String("childNode"));
            if (!child.isObject())
                return Refuse(tr("an option of %1 has no child node").arg(NodeLabel(strName)));
            CNode *pOption = CNode::CreateOption(
                pNode, edge.value(QLatin1String("name")).toString().toStdString());
            ++nNodes;
            ReadEdge(edge, pOption, pNode->type == NodeType::Situation, *scope);
            push({child.toObject(), pOption, scope});
        }
        return true;
    });
    if (!bRead)
        return false;
    if (positioned)
        PlaceBetween(root.get());
    result.nodesInFile = result.nodesInTree = nNodes;
    tree.SetRoot(root.release());
    return true;
}

void CPeerJsonReader::PlaceBetween(CNode *pRoot)
{
    CNode *pTop = pRoot->children.front();
    pRoot->x = pTop->x - CPeerJsonFormat::RootDistance * CPeerJsonFormat::Scale;
    pRoot->y = pTop->y;
    WalkSubtree(pTop, [](CNode *pNode) {
        if (pNode->type != NodeType::Option)
            return;
        for (const CNode *pChild : pNode->children) {
            pNode->x = pNode->parent->x + (pChild->x - pNode->parent->x) / 2;
            pNode->y = pChild->y;
        }
    });
}
