#pragma once

#include "CNode.h"
#include "CVariables.h"

#include <utility>
#include <vector>

// NaN equals NaN here: what matters is that nothing was lost or changed on
// the way through a file.
inline bool SameNumber(double a, double b)
{
    return a == b || (a != a && b != b);
}

// True when both trees have the same shape and the same stored fields,
// formulas included, with every child pointing back at its parent.
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
        if (pA->type != pB->type || pA->name != pB->name ||
            !SameNumber(pA->probability, pB->probability) || !SameNumber(pA->payoff, pB->payoff) ||
            pA->payoffFormula != pB->payoffFormula ||
            pA->probabilityFormula != pB->probabilityFormula ||
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

// The same variables in the same order, each with everything it stores.
inline bool SameVariables(const CVariables &first, const CVariables &second)
{
    if (first.Count() != second.Count())
        return false;
    for (int n = 0; n < first.Count(); ++n) {
        const CVariables::Variable &a = first.At(n);
        const CVariables::Variable &b = second.At(n);
        if (a.name != b.name || !SameNumber(a.value, b.value) || a.formula != b.formula ||
            a.comment != b.comment || a.distribution != b.distribution || a.hasLow != b.hasLow ||
            a.hasHigh != b.hasHigh || (a.hasLow && !SameNumber(a.low, b.low)) ||
            (a.hasHigh && !SameNumber(a.high, b.high)))
            return false;
    }
    return true;
}
