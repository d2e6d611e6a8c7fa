#pragma once

#include <type_traits>
#include <vector>

// Visits pTop and every node below it, parents before their children and
// children in their order, the order a recursive walk would take; a stack of
// its own keeps a tree of any depth off the call stack. Null children are
// passed over. A visit that returns false leaves the node's children out.
// Node is CNode or const CNode.
template <typename Node, typename Visit> void WalkSubtree(Node *pTop, Visit visit)
{
    std::vector<Node *> pending;
    if (pTop)
        pending.push_back(pTop);
    while (!pending.empty()) {
        Node *pNode = pending.back();
        pending.pop_back();
        if constexpr (std::is_same_v<std::invoke_result_t<Visit &, Node *>, bool>) {
            if (!visit(pNode))
                continue;
        } else {
            visit(pNode);
        }
        for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
            if (*it)
                pending.push_back(*it);
    }
}
