#include "CDecisionTree.h"

#include "CNode.h"
#include "CTreeFormulas.h"
#include "SubtreeWalk.h"

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

    // After the first situation that does not add up, the walk looks no deeper.
    bool bAddsUp = true;
    WalkSubtree(pNode, [&bAddsUp](const CNode *pCurrent) {
        if (bAddsUp && pCurrent->type == NodeType::Situation) {
            double dSum = 0.0;
            for (const CNode *pChild : pCurrent->children)
                if (pChild)
                    dSum += pChild->probability;
            bAddsUp = std::fabs(dSum - 1.0) <= 0.0001;
        }
        return bAddsUp;
    });
    return bAddsUp;
}

std::vector<CVariables::Problem> CDecisionTree::ApplyFormulas()
{
    return CTreeFormulas::Apply(root, variables);
}

bool CDecisionTree::UsesFormulas() const
{
    return !variables.IsEmpty() || CTreeFormulas::UsesFormulas(root);
}
