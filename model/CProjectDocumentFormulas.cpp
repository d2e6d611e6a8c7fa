// The project document's variables and formulas.
#include "CProjectDocument.h"

#include "CNode.h"
#include "CTreeFormulas.h"

#include <tuple>
#include <vector>

namespace {

template <typename Visit> void ForEachOption(CNode *pTop, Visit visit)
{
    std::vector<CNode *> pending;
    if (pTop)
        pending.push_back(pTop);
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->type == NodeType::Option)
            visit(pNode);
        for (CNode *pChild : pNode->children)
            if (pChild)
                pending.push_back(pChild);
    }
}

} // namespace

void CProjectDocument::SetVariables(const CVariables &variables)
{
    SetVariablesAndFormulas(variables, {});
}

void CProjectDocument::SetVariablesAndFormulas(const CVariables &variables,
                                               const std::vector<NodeFormulas> &formulas)
{
    CChange change(*this);
    tree.Variables() = variables;
    for (const NodeFormulas &entry : formulas)
        if (entry.node) {
            entry.node->payoffFormula = entry.payoff;
            entry.node->probabilityFormula = entry.probability;
        }
    RecomputeFormulas();
}

void CProjectDocument::SetFormulas(CNode *pNode, const std::string &strPayoff,
                                   const std::string &strProbability)
{
    if (!pNode ||
        (pNode->payoffFormula == strPayoff && pNode->probabilityFormula == strProbability))
        return;
    SetVariablesAndFormulas(tree.Variables(), {{pNode, strPayoff, strProbability}});
}

void CProjectDocument::RecomputeFormulas()
{
    // Every formula is computed again: a variable reaches nodes anywhere, and
    // computing thousands of compiled formulas costs less than a rollback.
    // Only what changed is rolled back, through the same path as a typed value.
    CChange change(*this);
    std::vector<std::tuple<CNode *, double, double>> before;
    ForEachOption(tree.GetRoot(), [&before](CNode *pOption) {
        before.emplace_back(pOption, pOption->probability, pOption->payoff);
    });
    formulaProblems = tree.ApplyFormulas();
    std::vector<CNode *> changed;
    for (const auto &[pOption, dProbability, dPayoff] : before) {
        const bool bProbability = pOption->probability != dProbability;
        const bool bPayoff = pOption->payoff != dPayoff;
        if (bProbability)
            ProbabilityEdited(pOption);
        if (bPayoff)
            PayoffEdited(pOption);
        if (bProbability || bPayoff)
            changed.push_back(pOption);
    }
    if (!changed.empty())
        emit sig_inputsChanged(changed);
    emit sig_variablesChanged();
}
