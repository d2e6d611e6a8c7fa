#pragma once

#include "CNode.h"

#include <utility>
#include <vector>

// True when both trees have the same shape and the same stored fields, with
// every child pointing back at its parent. NaN equals NaN here: what matters
// is that nothing was lost or changed on the way through a file.
inline bool SameTrees(const CNode *pFirst, const CNode *pSecond)
{
    std::vector<std::pair<const CNode *, const CNode *>> pending{{pFirst, pSecond}};
    while (!pending.empty()) {
        const auto [pA, pB] = pending.back();
        pending.pop_back();
        if (!pA || !pB) {
            if (pA != pB)
                return false;
            continue;
        }
        const auto same = [](double a, double b) { return a == b || (a != a && b != b); };
        if (pA->type != pB->type || pA->name != pB->name ||
            !same(pA->probability, pB->probability) || !same(pA->payoff, pB->payoff) ||
            pA->payoffComment != pB->payoffComment || pA->x != pB->x || pA->y != pB->y ||
            pA->active != pB->active || pA->folded != pB->folded ||
            pA->children.size() != pB->children.size())
            return false;
        for (size_t i = 0; i < pA->children.size(); ++i) {
            if (pA->children[i]->parent != pA || pB->children[i]->parent != pB)
                return false;
            pending.emplace_back(pA->children[i], pB->children[i]);
        }
    }
    return true;
}
