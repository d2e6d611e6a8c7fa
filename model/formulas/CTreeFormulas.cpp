#include "CTreeFormulas.h"

#include "CFormula.h"
#include "CFormulaUsers.h"
#include "CNode.h"
#include "SubtreeWalk.h"

#include <QStringList>

#include <algorithm>
#include <unordered_set>

const char *const CTreeFormulas::Rest = "#";

namespace {

// Digits, points, commas, spaces, an exponent and signs: someone typing a
// number ("1e-999" is too small to hold, not a formula that gives 0).
bool LooksLikeNumber(const QString &strText)
{
    for (int i = 0; i < strText.size(); ++i) {
        const QChar c = strText[i];
        const bool bSign = (c == QLatin1Char('-') || c == QLatin1Char('+')) &&
                           (i == 0 || strText[i - 1].toLower() == QLatin1Char('e'));
        if (!bSign && !c.isDigit() && !c.isSpace() && !QStringLiteral(".,'%eE").contains(c))
            return false;
    }
    return true;
}

QString RestWithoutSituation()
{
    return CTreeFormulas::tr("\"#\" is the rest of a Situation's probabilities; this "
                             "option belongs to no Situation.");
}

QString RestAsPayoff()
{
    return CTreeFormulas::tr("\"#\" stands for the rest of a probability, not a payoff.");
}

QString NotAnOption()
{
    return CTreeFormulas::tr("Only an option's payoff and probability are computed from a "
                             "formula; this one is kept as it was written.");
}

// Computes pNode's own formulas, adding what keeps them from it to problems:
// the payoff's first, then the probability's. Elsewhere (a crafted file may
// put a formula on any node) the rollback writes the numbers: a formula
// computed there would show until the next rollback, and a file read back
// would show the rollback's instead. An end among options is read as the
// option it stands for, and shown as one.
void ComputeNode(CNode *pNode, CVariables &variables, std::vector<CVariables::Problem> &problems)
{
    if (!pNode->IsOptionInPlace()) {
        if (!pNode->payoffFormula.empty())
            problems.push_back({std::string(), pNode, false, NotAnOption()});
        if (!pNode->probabilityFormula.empty())
            problems.push_back({std::string(), pNode, true, NotAnOption()});
        if (!pNode->payoff2Formula.empty())
            problems.push_back({std::string(), pNode, false, NotAnOption(), true});
        return;
    }
    const auto compute = [&](const std::string &strFormula, double *pValue, bool bProbability) {
        QString strError;
        if (!variables.Compiled(strFormula).Evaluate(pValue, &strError))
            problems.push_back({std::string(), pNode, bProbability, strError});
    };
    if (!pNode->payoffFormula.empty()) {
        if (CTreeFormulas::IsRest(pNode->payoffFormula))
            problems.push_back({std::string(), pNode, false, RestAsPayoff()});
        else
            compute(pNode->payoffFormula, &pNode->payoff, false);
    }
    if (!pNode->payoff2Formula.empty()) {
        QString strError = RestAsPayoff();
        if (CTreeFormulas::IsRest(pNode->payoff2Formula) ||
            !variables.Compiled(pNode->payoff2Formula).Evaluate(&pNode->payoff2, &strError))
            problems.push_back({std::string(), pNode, false, strError, true});
    }
    if (pNode->probabilityFormula.empty())
        return;
    if (!CTreeFormulas::IsRest(pNode->probabilityFormula))
        compute(pNode->probabilityFormula, &pNode->probability, true);
    else if (!pNode->parent || pNode->parent->type != NodeType::Situation)
        problems.push_back({std::string(), pNode, true, RestWithoutSituation()});
}

// Gives each "#" option of the Situation its share of the rest, once every
// other option has its number.
void ShareRest(CNode *pSituation)
{
    if (pSituation->type != NodeType::Situation)
        return;
    double dOthers = 0.0;
    int nRests = 0;
    const auto rest = [](const CNode *pOption) {
        return pOption && pOption->IsOptionInPlace() &&
               CTreeFormulas::IsRest(pOption->probabilityFormula);
    };
    for (const CNode *pOption : pSituation->children)
        if (rest(pOption))
            ++nRests;
        else if (pOption)
            dOthers += pOption->probability;
    if (nRests == 0)
        return;
    const double dShare = std::max(0.0, 1.0 - dOthers) / nRests;
    for (CNode *pOption : pSituation->children)
        if (rest(pOption))
            pOption->probability = dShare;
}

} // namespace

bool CTreeFormulas::IsRest(const std::string &strFormula)
{
    const size_t nStart = strFormula.find_first_not_of(" \t");
    return nStart != std::string::npos && strFormula[nStart] == '#' &&
           strFormula.find_first_not_of(" \t", nStart + 1) == std::string::npos;
}

CTreeFormulas::Typed CTreeFormulas::Read(const QString &strText, CTypedNumber::Kind kind,
                                         const CNode *pOption, const CVariables &variables)
{
    Typed typed;
    const CTypedNumber number = CTypedNumber::Read(strText, kind);
    const QString strTrimmed = strText.trimmed();
    if (number.IsNumber() || LooksLikeNumber(strTrimmed)) {
        typed.value = number.ValueOr(0.0);
        typed.refusal = number.Refusal();
        return typed;
    }
    typed.formula = strTrimmed.toStdString();
    const bool bProbability = kind == CTypedNumber::Kind::Probability;
    if (IsRest(typed.formula)) {
        if (!bProbability)
            typed.refusal = RestAsPayoff();
        else if (!pOption || !pOption->parent || pOption->parent->type != NodeType::Situation)
            typed.refusal = RestWithoutSituation();
        // Its share is known once it stands among the other options.
        typed.value = pOption ? pOption->probability : 0.0;
        return typed;
    }
    // Tried on a copy, whose values are computed: the project's stay as they are.
    CVariables trial(variables);
    trial.Evaluate();
    trial.Compiled(typed.formula).Evaluate(&typed.value, &typed.refusal);
    return typed;
}

std::vector<CVariables::Problem> CTreeFormulas::Apply(CNode *pRoot, CVariables &variables)
{
    std::vector<CVariables::Problem> problems = variables.Evaluate();
    WalkSubtree(pRoot, [&](CNode *pNode) { ComputeNode(pNode, variables, problems); });
    WalkSubtree(pRoot, ShareRest);
    return problems;
}

std::vector<CVariables::Problem> CTreeFormulas::ApplyTo(
    const std::vector<CNode *> &nodes, CVariables &variables, const CFormulaUsers &users,
    std::vector<CVariables::Problem> variableProblems, const std::vector<CVariables::Problem> &last)
{
    std::vector<CVariables::Problem> problems = std::move(variableProblems);
    const size_t nOfVariables = problems.size();
    const std::unordered_set<const CNode *> again(nodes.begin(), nodes.end());
    for (const CVariables::Problem &problem : last)
        if (problem.node && !again.count(problem.node))
            problems.push_back(problem);
    for (CNode *pNode : nodes)
        ComputeNode(pNode, variables, problems);
    for (CNode *pSituation : users.RestSituations())
        ShareRest(pSituation);
    // Listed as the walk of the whole tree lists them: node by node, the
    // payoff before the probability.
    std::stable_sort(problems.begin() + std::ptrdiff_t(nOfVariables), problems.end(),
                     [&users](const CVariables::Problem &a, const CVariables::Problem &b) {
                         const int nA = users.Order(a.node);
                         const int nB = users.Order(b.node);
                         return nA != nB ? nA < nB : !a.probability && b.probability;
                     });
    return problems;
}

bool CTreeFormulas::UsesFormulas(const CNode *pRoot)
{
    bool bUses = false;
    WalkSubtree(pRoot, [&bUses](const CNode *pNode) {
        bUses = bUses || !pNode->payoffFormula.empty() || !pNode->probabilityFormula.empty() ||
                !pNode->payoff2Formula.empty();
    });
    return bUses;
}

std::unordered_map<std::string, int> CTreeFormulas::UseCounts(const CNode *pRoot)
{
    std::unordered_map<std::string, int> counts;
    WalkSubtree(pRoot, [&counts](const CNode *pNode) {
        if (pNode->payoffFormula.empty() && pNode->probabilityFormula.empty() &&
            pNode->payoff2Formula.empty())
            return;
        std::vector<std::string> names = CFormula::NamesIn(pNode->payoffFormula);
        for (std::string &strName : CFormula::NamesIn(pNode->probabilityFormula))
            names.push_back(std::move(strName));
        for (std::string &strName : CFormula::NamesIn(pNode->payoff2Formula))
            names.push_back(std::move(strName));
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
        for (const std::string &strName : names)
            ++counts[strName];
    });
    return counts;
}

std::vector<const CNode *> CTreeFormulas::Users(const CNode *pRoot, const std::string &strName)
{
    const auto uses = [&](const std::string &strFormula) {
        if (strFormula.find(strName) == std::string::npos)
            return false;
        const std::vector<std::string> names = CFormula::NamesIn(strFormula);
        return std::find(names.begin(), names.end(), strName) != names.end();
    };
    std::vector<const CNode *> result;
    WalkSubtree(pRoot, [&](const CNode *pNode) {
        if (uses(pNode->payoffFormula) || uses(pNode->probabilityFormula) ||
            uses(pNode->payoff2Formula))
            result.push_back(pNode);
    });
    return result;
}

std::vector<CTreeFormulas::NodeFormulas> CTreeFormulas::Rename(CNode *pRoot, CVariables &variables,
                                                               int n, const std::string &strNew)
{
    const std::string strOld = variables.At(n).name;
    for (int i = 0; i < variables.Count(); ++i) {
        CVariables::Variable variable = variables.At(i);
        variable.formula = CFormula::Rename(variable.formula, strOld, strNew);
        if (i == n)
            variable.name = strNew;
        variables.Set(i, variable);
    }
    std::vector<NodeFormulas> renamed;
    WalkSubtree(pRoot, [&](CNode *pNode) {
        NodeFormulas formulas{pNode, CFormula::Rename(pNode->payoffFormula, strOld, strNew),
                              CFormula::Rename(pNode->probabilityFormula, strOld, strNew), true,
                              CFormula::Rename(pNode->payoff2Formula, strOld, strNew)};
        if (formulas.payoff != pNode->payoffFormula ||
            formulas.probability != pNode->probabilityFormula ||
            formulas.payoff2 != pNode->payoff2Formula)
            renamed.push_back(formulas);
    });
    return renamed;
}

QString CTreeFormulas::Describe(const CVariables::Problem &problem)
{
    if (!problem.node)
        return tr("Variable \"%1\": %2")
            .arg(QString::fromStdString(problem.variable), problem.text);
    const QString strName = QString::fromStdString(problem.node->name);
    if (problem.second)
        return tr("Second payoff of \"%1\": %2").arg(strName, problem.text);
    return problem.probability ? tr("Probability of \"%1\": %2").arg(strName, problem.text)
                               : tr("Payoff of \"%1\": %2").arg(strName, problem.text);
}

QString CTreeFormulas::Message(const std::vector<CVariables::Problem> &problems)
{
    // A message box cannot show thousands of lines, and the first ones tell
    // what to mend first.
    constexpr size_t Shown = 20;
    QStringList lines;
    for (size_t i = 0; i < problems.size() && i < Shown; ++i)
        lines << Describe(problems[i]);
    if (problems.size() > Shown)
        lines << tr("... and %1 more.").arg(problems.size() - Shown);
    return lines.join(QLatin1Char('\n'));
}
