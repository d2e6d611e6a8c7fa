#include "CFormulaUsers.h"

#include "CFormula.h"
#include "CNode.h"
#include "CTreeFormulas.h"
#include "CVariables.h"
#include "SubtreeWalk.h"

#include <algorithm>

void CFormulaUsers::Build(CNode *pRoot, CVariables &variables)
{
    readers.clear();
    withFormulas.clear();
    order.clear();
    rests.clear();
    const auto read = [&](const std::string &strFormula, int nOrder) {
        if (strFormula.empty() || CTreeFormulas::IsRest(strFormula))
            return;
        for (const std::string &strName : variables.Compiled(strFormula).Names()) {
            std::vector<int> &nodes = readers[strName];
            if (nodes.empty() || nodes.back() != nOrder)
                nodes.push_back(nOrder);
        }
    };
    // Parents first, children in order: the walk Apply makes.
    WalkSubtree(pRoot, [&](CNode *pNode) {
        const bool bRest =
            std::any_of(pNode->children.begin(), pNode->children.end(), [](const CNode *pChild) {
                return pChild && CTreeFormulas::IsRest(pChild->probabilityFormula);
            });
        if (bRest && pNode->type == NodeType::Situation)
            rests.push_back(pNode);
        if (pNode->payoffFormula.empty() && pNode->probabilityFormula.empty() &&
            pNode->payoff2Formula.empty())
            return;
        const int nOrder = int(withFormulas.size());
        withFormulas.push_back(pNode);
        order.emplace(pNode, nOrder);
        read(pNode->payoffFormula, nOrder);
        read(pNode->probabilityFormula, nOrder);
        read(pNode->payoff2Formula, nOrder);
    });
}

std::vector<CNode *> CFormulaUsers::Readers(const CVariables &variables,
                                            const std::vector<double> &before) const
{
    std::vector<int> reached;
    for (int n = 0; n < variables.Count(); ++n) {
        const CVariables::Variable &variable = variables.At(n);
        // NaN is never equal to itself: read again, which does no harm.
        if (size_t(n) < before.size() && variable.value == before[size_t(n)])
            continue;
        const auto found = readers.find(variable.name);
        if (found != readers.end())
            reached.insert(reached.end(), found->second.begin(), found->second.end());
    }
    std::sort(reached.begin(), reached.end());
    reached.erase(std::unique(reached.begin(), reached.end()), reached.end());
    std::vector<CNode *> nodes;
    nodes.reserve(reached.size());
    for (int nOrder : reached)
        nodes.push_back(withFormulas[size_t(nOrder)]);
    return nodes;
}

int CFormulaUsers::Order(const CNode *pNode) const
{
    const auto found = order.find(pNode);
    return found == order.end() ? -1 : found->second;
}
