#pragma once

#include <type_traits>
#include <utility>
#include <vector>

// A depth-first walk over anything shaped like a tree, each item carrying
// what its parent handed down with it: a node and its copy, a node and its
// depth, an index and the probability of reaching it. visit(item, push)
// handles one item and hands push what is to be walked after it. A stack of
// the walk's own holds those, so a tree of any depth stays off the call
// stack; what was pushed last comes next, so a walk that wants children in
// their order pushes them last first. A visit that returns false stops the
// walk, which then returns false.
template <typename Item, typename Visit> bool WalkDepthFirst(Item top, Visit visit)
{
    std::vector<Item> pending;
    pending.push_back(std::move(top));
    const auto push = [&pending](Item item) { pending.push_back(std::move(item)); };
    while (!pending.empty()) {
        Item item = std::move(pending.back());
        pending.pop_back();
        if constexpr (std::is_same_v<std::invoke_result_t<Visit &, Item &, decltype(push) &>,
                                     bool>) {
            if (!visit(item, push))
                return false;
        } else {
            visit(item, push);
        }
    }
    return true;
}

// Visits pTop and every node below it, parents before their children and
// children in their order, the order a recursive walk would take. Null
// children are passed over. A visit that returns false leaves the node's
// children out. Node is CNode or const CNode.
template <typename Node, typename Visit> void WalkSubtree(Node *pTop, Visit visit)
{
    if (!pTop)
        return;
    WalkDepthFirst(pTop, [&visit](Node *pNode, const auto &push) {
        if constexpr (std::is_same_v<std::invoke_result_t<Visit &, Node *>, bool>) {
            if (!visit(pNode))
                return;
        } else {
            visit(pNode);
        }
        for (auto it = pNode->children.rbegin(); it != pNode->children.rend(); ++it)
            if (*it)
                push(*it);
    });
}
