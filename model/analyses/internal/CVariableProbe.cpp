#include "CVariableProbe.h"

#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeFormulas.h"
#include "CTreeIndex.h"

CVariableProbe::CVariableProbe(const CNode *pRoot, const CVariables &treeVariables, int nVariable,
                               const CDecisionRule &decisionRule)
    : root(pRoot->Clone()), variables(treeVariables), variable(nVariable), rule(decisionRule),
      index(std::make_unique<CTreeIndex>(root))
{
    CVariables::Variable moved = variables.At(variable);
    moved.formula.clear();
    variables.Set(variable, moved);
}

CVariableProbe::~CVariableProbe()
{
    evaluation.reset();
    index.reset();
    CNode::FreeSubtree(root);
}

QString CVariableProbe::ShapeProblem() const
{
    return index->ShapeProblem();
}

bool CVariableProbe::At(double dValue, QString *pError)
{
    variables.SetValue(variable, dValue);
    const std::vector<CVariables::Problem> problems = CTreeFormulas::Apply(root, variables);
    if (!problems.empty()) {
        *pError = CTreeFormulas::Message(problems);
        return false;
    }
    evaluation = std::make_unique<CTreeEvaluation>(*index, rule);
    return true;
}
