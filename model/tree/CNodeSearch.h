#pragma once

#include <QString>

#include <vector>

class CNode;

// Finding nodes by what the user reads on them.
namespace CNodeSearch {

// The nodes from pRoot down whose name or payoff comment holds strText,
// whatever the case, in the order the tree is read: a node, then each of its
// children's subtrees in turn. Nothing for an empty text. Hidden (folded)
// nodes are found too: they are part of the tree.
std::vector<CNode *> Matches(CNode *pRoot, const QString &strText);

} // namespace CNodeSearch
