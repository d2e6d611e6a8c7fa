#include "CDecisionTree.h"

#include "CNode.h"
#include "CTreeFormulas.h"

#include <cmath>
#include <vector>

CDecisionTree::~CDecisionTree()
{
    CNode::FreeSubtree(root);
}

void CDecisionTree::SetRoot(CNode *pNode)
{
    if (pNode == root)
        return;
    CNode *pOld = root;
    root = pNode;
    // The new Root may have been hung below the old one; it must survive.
    if (pNode && pNode->parent) {
        pNode->parent->RemoveChild(pNode);
    }
    CNode::FreeSubtree(pOld);
}

CNode *CDecisionTree::TakeRoot()
{
    CNode *pRoot = root;
    root = nullptr;
    return pRoot;
}

bool CDecisionTree::IsProbabilityConsistent(const CNode *pNode) const
{
    if (!pNode)
        pNode = root;
    if (!pNode)
        return false;

    // Depth-first in children order, as a recursive check would visit them.
    std::vector<const CNode *> pending{pNode};
    while (!pending.empty()) {
        const CNode *pCurrent = pending.back();
        pending.pop_back();
        if (pCurrent->type == NodeType::Situation) {
            double dSum = 0.0;
            for (const CNode *pChild : pCurrent->children)
                if (pChild)
                    dSum += pChild->probability;
            if (!(std::fabs(dSum - 1.0) <= 0.0001))
                return false;
        }
        for (auto it = pCurrent->children.rbegin(); it != pCurrent->children.rend(); ++it)
            if (*it)
                pending.push_back(*it);
    }
    return true;
}

std::vector<CVariables::Problem> CDecisionTree::ApplyFormulas()
{
    return CTreeFormulas::Apply(root, variables);
}

bool CDecisionTree::UsesFormulas() const
{
    return !variables.IsEmpty() || CTreeFormulas::UsesFormulas(root);
}
