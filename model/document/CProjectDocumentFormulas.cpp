// The project document's variables and formulas.
#include "CProjectDocument.h"

#include "CNode.h"
#include "CProjectFileWriter.h"
#include "CTreeFormulas.h"
#include "SubtreeWalk.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

bool SameNames(const CVariables &a, const CVariables &b)
{
    if (a.Count() != b.Count())
        return false;
    for (int n = 0; n < a.Count(); ++n)
        if (a.At(n).name != b.At(n).name)
            return false;
    return true;
}

// Text as a project file keeps it: no control characters, whole UTF-8. What
// the file could not hold never enters, so that a project saved and read
// back holds the very formulas, and the very refusals, it held before.
std::string Keepable(const std::string &strText)
{
    const bool bPlain = std::all_of(strText.begin(), strText.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x80;
    });
    if (bPlain)
        return strText;
    return CProjectFileWriter::XmlSafe(QString::fromStdString(strText)).toStdString();
}

CVariables Keepable(const CVariables &variables)
{
    CVariables kept = variables;
    for (int n = 0; n < kept.Count(); ++n) {
        CVariables::Variable variable = kept.At(n);
        variable.name = Keepable(variable.name);
        variable.formula = Keepable(variable.formula);
        variable.comment = Keepable(variable.comment);
        variable.distribution = Keepable(variable.distribution);
        kept.Set(n, variable);
    }
    return kept;
}

bool SameNumber(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

void CProjectDocument::SetVariables(const CVariables &variables)
{
    SetVariablesAndFormulas(variables, {});
}

void CProjectDocument::SetVariablesAndFormulas(const CVariables &typed,
                                               const std::vector<NodeFormulas> &formulas)
{
    const CVariables variables = Keepable(typed);
    CChange change(*this);
    // Values typed change no formula, name or shape: what they reach is
    // known from who reads which variable, and nothing else is computed.
    const bool bValuesOnly = formulas.empty() && SameNames(tree.Variables(), variables) &&
                             usersRevision == formulasRevision;
    std::vector<double> before;
    for (int n = 0; bValuesOnly && n < tree.Variables().Count(); ++n)
        before.push_back(tree.Variables().At(n).value);
    tree.Variables() = variables;
    for (const NodeFormulas &entry : formulas)
        if (entry.node) {
            entry.node->payoffFormula = Keepable(entry.payoff);
            entry.node->probabilityFormula = Keepable(entry.probability);
            if (entry.withPayoff2)
                entry.node->payoff2Formula = Keepable(entry.payoff2);
        }
    if (!formulas.empty())
        ++formulasRevision;
    if (bValuesOnly)
        RecomputeReached(before);
    else
        RecomputeFormulas();
}

void CProjectDocument::SetFormulas(CNode *pNode, const std::string &strPayoff,
                                   const std::string &strProbability)
{
    if (!pNode || (pNode->payoffFormula == Keepable(strPayoff) &&
                   pNode->probabilityFormula == Keepable(strProbability)))
        return;
    SetVariablesAndFormulas(tree.Variables(),
                            {{pNode, strPayoff, strProbability, false, std::string()}});
}

void CProjectDocument::SetPayoff2(CNode *pNode, double dValue, const std::string &strFormula)
{
    if (!pNode)
        return;
    const std::string strKept = Keepable(strFormula);
    // No text of the node's shows the second payoff by itself: its option
    // is announced with the values it changes.
    CChange change(*this);
    if (strKept != pNode->payoff2Formula) {
        pNode->payoff2Formula = strKept;
        pNode->payoff2 = dValue;
        ++formulasRevision;
        PayoffEdited(pNode);
        RecomputeFormulas();
        emit sig_inputsChanged({pNode});
        return;
    }
    if (SameNumber(pNode->payoff2, dValue))
        return;
    pNode->payoff2 = dValue;
    PayoffEdited(pNode);
    emit sig_inputsChanged({pNode});
}

const std::unordered_map<std::string, int> &CProjectDocument::UseCounts() const
{
    if (useCountsRevision != formulasRevision) {
        useCounts = CTreeFormulas::UseCounts(tree.GetRoot());
        useCountsRevision = formulasRevision;
    }
    return useCounts;
}

void CProjectDocument::RecomputeFormulas()
{
    // Every formula is computed again: a variable reaches nodes anywhere, and
    // computing thousands of compiled formulas costs less than a rollback.
    // Only what changed is rolled back, through the same path as a typed value.
    CChange change(*this);
    std::vector<Inputs> before;
    WalkSubtree(tree.GetRoot(), [&before](CNode *pNode) {
        if (pNode->type == NodeType::Option)
            before.push_back({pNode, pNode->probability, pNode->payoff, pNode->payoff2});
    });
    formulaProblems = tree.ApplyFormulas();
    // Names may have come or gone, binding formulas to other variables.
    formulaUsers.Build(tree.GetRoot(), tree.Variables());
    usersRevision = formulasRevision;
    InputsRecomputed(before);
}

void CProjectDocument::RecomputeReached(const std::vector<double> &before)
{
    CChange change(*this);
    CVariables &variables = tree.Variables();
    // The variables are few and use each other: all are computed, and their
    // values tell which nodes' formulas must be.
    std::vector<CVariables::Problem> variableProblems = variables.Evaluate();
    std::vector<CNode *> reached = formulaUsers.Readers(variables, before);
    reached.insert(reached.end(), formulaNodesEdited.begin(), formulaNodesEdited.end());
    std::sort(reached.begin(), reached.end(), [this](const CNode *a, const CNode *b) {
        return formulaUsers.Order(a) < formulaUsers.Order(b);
    });
    reached.erase(std::unique(reached.begin(), reached.end()), reached.end());
    std::vector<Inputs> inputs;
    const std::unordered_set<const CNode *> computed(reached.begin(), reached.end());
    for (CNode *pNode : reached)
        inputs.push_back({pNode, pNode->probability, pNode->payoff, pNode->payoff2});
    for (CNode *pSituation : formulaUsers.RestSituations())
        for (CNode *pOption : pSituation->children)
            if (pOption && CTreeFormulas::IsRest(pOption->probabilityFormula) &&
                !computed.count(pOption))
                inputs.push_back(
                    {pOption, pOption->probability, pOption->payoff, pOption->payoff2});
    formulaProblems = CTreeFormulas::ApplyTo(reached, variables, formulaUsers,
                                             std::move(variableProblems), formulaProblems);
    InputsRecomputed(inputs);
}

void CProjectDocument::InputsRecomputed(const std::vector<Inputs> &before)
{
    std::vector<CNode *> changed;
    for (const Inputs &entry : before) {
        CNode *pOption = entry.node;
        const bool bProbability = pOption->probability != entry.probability;
        const bool bPayoff =
            pOption->payoff != entry.payoff || !SameNumber(pOption->payoff2, entry.payoff2);
        if (bProbability)
            ProbabilityEdited(pOption);
        if (bPayoff)
            PayoffEdited(pOption);
        if (bProbability || bPayoff)
            changed.push_back(pOption);
    }
    // Everything has just been computed from the formulas.
    formulaNodesEdited.clear();
    if (!changed.empty())
        emit sig_inputsChanged(changed);
    emit sig_variablesChanged();
}
