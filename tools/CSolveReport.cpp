#include "CSolveReport.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "SubtreeWalk.h"

#include <cmath>
#include <vector>

namespace {

const CNode *FirstChild(const CNode *pNode)
{
    return pNode->children.empty() ? nullptr : pNode->children.front();
}

// What a node stands for after rollback. An Option and the Root lead to their
// child's value; the others hold theirs in payoff.
double ValueOf(const CNode *pNode)
{
    const CNode *pChild = FirstChild(pNode);
    if (pNode->type == NodeType::Option)
        return pChild ? pChild->payoff : 0.0;
    if (pNode->type == NodeType::Root)
        return pChild ? pChild->payoff : pNode->payoff;
    return pNode->payoff;
}

} // namespace

CSolveReport::CSolveReport(const CDecisionTree &tree, const QString &strProjectName,
                           const QString &strFilePath)
    : projectName(strProjectName), filePath(strFilePath), variables(&tree.Variables())
{
    NumberNodes(tree.GetRoot());
    OrderForDisplay();
    CollectChoicesAndSums();
}

const char *CSolveReport::KindName(int nType)
{
    const char *pName = NodeType::Name(nType);
    return pName ? pName : "Unknown";
}

void CSolveReport::NumberNodes(const CNode *pRoot)
{
    // Breadth-first, as the file writer numbers them; rows itself is the queue.
    Row root;
    root.node = pRoot;
    root.id = 1;
    root.chosenPath = true;
    rows.push_back(root);
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row parent = rows[i];
        const CNode *pLast = nullptr;
        for (const CNode *pChild : parent.node->children)
            if (pChild)
                pLast = pChild;
        for (const CNode *pChild : parent.node->children) {
            if (!pChild)
                continue;
            Row row;
            row.node = pChild;
            row.id = quint32(rows.size() + 1);
            row.parentId = parent.id;
            row.depth = parent.depth + 1;
            row.lastChild = pChild == pLast;
            row.chosenPath =
                parent.chosenPath && (pChild->type != NodeType::Option || pChild->active);
            rows.push_back(row);
        }
    }
    for (Row &row : rows)
        row.value = ValueOf(row.node);
}

void CSolveReport::OrderForDisplay()
{
    // Children of a row follow it in rows as one consecutive block.
    std::vector<size_t> firstChild(rows.size(), 0);
    std::vector<size_t> childCount(rows.size(), 0);
    for (size_t i = 1; i < rows.size(); ++i) {
        const size_t nParent = rows[i].parentId - 1;
        if (childCount[nParent]++ == 0)
            firstChild[nParent] = i;
    }
    WalkDepthFirst(size_t(0), [&](size_t i, const auto &push) {
        displayOrder.push_back(i);
        for (size_t n = childCount[i]; n > 0; --n)
            push(firstChild[i] + n - 1);
    });
}

void CSolveReport::CollectChoicesAndSums()
{
    // A row's children follow in rows as one block, in their order: a
    // child's row is found by counting, not looked up per node.
    std::vector<size_t> firstChild(rows.size(), 0);
    for (size_t i = rows.size(); i-- > 1;)
        firstChild[rows[i].parentId - 1] = i;
    for (const Row &row : rows) {
        if (row.node->type == NodeType::Decision) {
            Choice choice;
            choice.decision = &row;
            size_t nChild = firstChild[size_t(&row - rows.data())];
            for (const CNode *pOption : row.node->children) {
                if (!pOption)
                    continue;
                if (pOption->type == NodeType::Option && pOption->active) {
                    choice.option = &rows[nChild];
                    break;
                }
                ++nChild;
            }
            choices.push_back(choice);
        } else if (row.node->type == NodeType::Situation) {
            // The same test as the tree's consistency check.
            double dSum = 0.0;
            for (const CNode *pOption : row.node->children)
                if (pOption)
                    dSum += pOption->probability;
            if (!(std::fabs(dSum - 1.0) <= 0.0001))
                imbalances.push_back({&row, dSum});
        }
    }
}
