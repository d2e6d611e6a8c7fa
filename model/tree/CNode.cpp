#include "CNode.h"

#include "SubtreeWalk.h"

#include <QtGlobal>

#include <algorithm>
#include <utility>

const char *NodeType::Name(int nType)
{
    switch (nType) {
    case Root:
        return QT_TRANSLATE_NOOP("NodeType", "Root");
    case Decision:
        return QT_TRANSLATE_NOOP("NodeType", "Decision");
    case Situation:
        return QT_TRANSLATE_NOOP("NodeType", "Situation");
    case Option:
        return QT_TRANSLATE_NOOP("NodeType", "Option");
    case Terminal:
        return QT_TRANSLATE_NOOP("NodeType", "Terminal");
    default:
        return nullptr;
    }
}

CNode::CNode(CNode *pParent, const std::string &strName) : name(strName), parent(pParent)
{
    if (!parent)
        return;
    // Room for three children takes the smallest block the heap gives, the
    // same as for one; without it a second and third child each move the
    // list.
    if (parent->children.capacity() == 0)
        parent->children.reserve(3);
    parent->children.push_back(this);
}

CNode *CNode::Clone() const
{
    // Each source goes with its copy, whose children still point into the
    // source tree until its own visit copies them.
    using Pair = std::pair<const CNode *, CNode *>;
    CNode *pTop = new CNode(*this);
    WalkDepthFirst(Pair{this, pTop}, [](const Pair &item, const auto &push) {
        const auto [pSource, pCopy] = item;
        for (size_t i = 0; i < pCopy->children.size(); ++i) {
            const CNode *pChild = pSource->children[i];
            if (!pChild)
                continue;
            CNode *pChildCopy = new CNode(*pChild);
            pChildCopy->parent = pCopy;
            pCopy->children[i] = pChildCopy;
            push({pChild, pChildCopy});
        }
    });
    return pTop;
}

void CNode::RemoveChild(CNode *pChild)
{
    auto it = std::find(children.begin(), children.end(), pChild);
    if (it == children.end())
        return;
    children.erase(it);
    if (pChild)
        pChild->parent = nullptr;
}

void CNode::AttachChild(CNode *pChild)
{
    if (!pChild)
        return;
    if (std::find(children.begin(), children.end(), pChild) == children.end())
        children.push_back(pChild);
    pChild->parent = this;
}

void CNode::InsertChild(int nIndex, CNode *pChild)
{
    if (!pChild)
        return;
    if (std::find(children.begin(), children.end(), pChild) == children.end()) {
        const int nSize = static_cast<int>(children.size());
        const int nAt = std::clamp(nIndex, 0, nSize);
        children.insert(children.begin() + nAt, pChild);
    }
    pChild->parent = this;
}

int CNode::IndexOfChild(const CNode *pChild) const
{
    auto it = std::find(children.begin(), children.end(), pChild);
    return it == children.end() ? -1 : static_cast<int>(it - children.begin());
}

void CNode::ClearPositions()
{
    WalkSubtree(this, [](CNode *pNode) {
        pNode->x = NoPosition;
        pNode->y = NoPosition;
    });
}

bool CNode::IsOptionInPlace() const
{
    return type == NodeType::Option ||
           (type == NodeType::Terminal && parent && parent->children.size() > 1 &&
            (parent->type == NodeType::Decision || parent->type == NodeType::Situation));
}

bool CNode::HasOnlyTerminalChild() const
{
    return children.size() == 1 && children.front() && children.front()->type == NodeType::Terminal;
}

double CNode::ChildProbabilitySum() const
{
    double dSum = 0.0;
    for (const CNode *pChild : children)
        if (pChild)
            dSum += pChild->probability;
    return dSum;
}

bool CNode::ChildProbabilitiesAddUp() const
{
    return qFuzzyCompare(ChildProbabilitySum(), 1.0);
}

void CNode::FreeSubtree(CNode *pNode)
{
    // Gathered first: a node is deleted only once the walk is past it.
    std::vector<CNode *> all;
    WalkSubtree(pNode, [&all](CNode *pEach) { all.push_back(pEach); });
    for (CNode *pEach : all)
        delete pEach;
}

static CNode *CreateOfKind(CNode *pParent, const std::string &strName, int32_t nType, bool bActive)
{
    CNode *pNode = new CNode(pParent, strName);
    pNode->type = nType;
    pNode->active = bActive;
    return pNode;
}

CNode *CNode::CreateRoot(CNode *pParent, const std::string &strName)
{
    return CreateOfKind(pParent, strName, NodeType::Root, true);
}

CNode *CNode::CreateDecision(CNode *pParent, const std::string &strName)
{
    return CreateOfKind(pParent, strName, NodeType::Decision, true);
}

CNode *CNode::CreateSituation(CNode *pParent, const std::string &strName)
{
    return CreateOfKind(pParent, strName, NodeType::Situation, true);
}

CNode *CNode::CreateOption(CNode *pParent, const std::string &strName)
{
    return CreateOfKind(pParent, strName, NodeType::Option, false);
}

CNode *CNode::CreateTerminal(CNode *pParent, const std::string &strName)
{
    return CreateOfKind(pParent, strName, NodeType::Terminal, true);
}
