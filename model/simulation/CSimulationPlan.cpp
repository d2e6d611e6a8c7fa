#include "CSimulationPlan.h"

#include "CDecisionTree.h"
#include "CFormula.h"
#include "CNode.h"
#include "CStrategies.h"
#include "CTreeFormulas.h"
#include "CTreeIndex.h"

#include <algorithm>
#include <deque>
#include <utility>

namespace {

using NodeType::IsOwner;

bool Mentions(const std::string &strText, const CVariables &variables,
              const std::vector<char> &reached)
{
    for (const std::string &strName : CFormula::NamesIn(strText)) {
        const int v = variables.Find(strName);
        if (v >= 0 && reached[size_t(v)])
            return true;
    }
    return false;
}

} // namespace

QString CSimulationPlan::Prepare(const CDecisionTree &tree, const CDecisionRule &decisionRule)
{
    rule = decisionRule;
    if (!tree.GetRoot())
        return tr("The project has no tree.");
    const CTreeIndex index(tree.GetRoot());
    const QString strShape = index.ShapeProblem();
    if (!strShape.isEmpty())
        return strShape;
    const int nSize = index.Size();
    for (int n = 0; n < nSize; ++n) {
        type.push_back(index.Type(n));
        parent.push_back(index.Parent(n));
        firstChild.push_back(index.FirstChild(n));
        childCount.push_back(index.ChildCount(n));
        hasOptions.push_back(IsOwner(index.Type(n)) && index.ChildCount(n) > 0 &&
                             index.Type(index.FirstChild(n)) == NodeType::Option);
        payoffs.push_back(index.Node(n)->payoff);
        if (rule.Criteria().two)
            payoffs2.push_back(index.Node(n)->payoff2);
        probabilities.push_back(index.Node(n)->probability);
        if (firstDecision < 0 && hasOptions.back() && type.back() == NodeType::Decision)
            firstDecision = n;
    }
    QString strProblem = ReadUncertain(tree);
    if (strProblem.isEmpty())
        strProblem = OrderFormulas(tree, index);
    if (!strProblem.isEmpty())
        return strProblem;
    std::vector<double> pathSums(static_cast<size_t>(nSize));
    std::vector<double> values(static_cast<size_t>(nSize));
    baseChoices.assign(size_t(nSize), -1);
    PathSums(payoffs.data(), payoffs2.data(), pathSums.data());
    Rollback(probabilities.data(), pathSums.data(), values.data(), nullptr, baseChoices.data());
    FindStrategies(index);
    return QString();
}

QString CSimulationPlan::ReadUncertain(const CDecisionTree &tree)
{
    const CVariables &variables = tree.Variables();
    std::vector<int> members;
    for (int v = 0; v < variables.Count(); ++v) {
        const CVariables::Variable &variable = variables.At(v);
        variableNames.push_back(variable.name);
        variableValues.push_back(variable.value);
        if (variable.distribution.empty())
            continue;
        const QString strProblem = CDistribution::Problem(variable.name, variable.distribution,
                                                          variable.hasLow && variable.hasHigh,
                                                          variable.low, variable.high);
        if (!strProblem.isEmpty())
            return strProblem;
        Uncertain entry{v, CDistribution(), -1};
        QString strUnused;
        entry.distribution.Read(variable.distribution, &strUnused);
        if (variable.hasLow && variable.hasHigh)
            entry.distribution.Truncate(variable.low, variable.high);
        if (entry.distribution.GetKind() == CDistribution::Dirichlet) {
            const auto found = std::find(groups.begin(), groups.end(), entry.distribution.Group());
            entry.group = int(found - groups.begin());
            if (found == groups.end()) {
                groups.push_back(entry.distribution.Group());
                members.push_back(0);
            }
            ++members[size_t(entry.group)];
        }
        uncertain.push_back(entry);
    }
    if (uncertain.empty())
        return tr("No variable has a distribution; give the uncertain ones a distribution "
                  "such as Normal(0.3, 0.05) in the Variables panel.");
    for (size_t g = 0; g < groups.size(); ++g)
        if (members[g] < 2)
            return tr("The Dirichlet group \"%1\" has only one variable; a group draws several "
                      "that add up to 1.")
                .arg(QString::fromStdString(groups[g]));
    return QString();
}

QString CSimulationPlan::OrderFormulas(const CDecisionTree &tree, const CTreeIndex &index)
{
    const CVariables &variables = tree.Variables();
    const int nCount = variables.Count();
    std::vector<char> reached(size_t(nCount), 0);
    for (const Uncertain &entry : uncertain)
        reached[size_t(entry.variable)] = 1;
    // The variables' formulas after those they use, as CVariables computes
    // them; a drawn variable's formula gives way to its draw.
    std::vector<int> pending(size_t(nCount), 0);
    std::vector<std::vector<int>> users(static_cast<size_t>(nCount));
    std::deque<int> ready;
    auto computed = [&](int v) { return !variables.At(v).formula.empty() && !reached[size_t(v)]; };
    for (int v = 0; v < nCount; ++v) {
        if (!computed(v))
            continue;
        for (const std::string &strName : CFormula::NamesIn(variables.At(v).formula)) {
            const int nUsed = variables.Find(strName);
            if (nUsed >= 0 && computed(nUsed)) {
                users[size_t(nUsed)].push_back(v);
                ++pending[size_t(v)];
            }
        }
        if (pending[size_t(v)] == 0)
            ready.push_back(v);
    }
    std::vector<char> done(size_t(nCount), 0);
    while (!ready.empty()) {
        const int v = ready.front();
        ready.pop_front();
        done[size_t(v)] = 1;
        if (Mentions(variables.At(v).formula, variables, reached)) {
            reached[size_t(v)] = 1;
            formulas.push_back(
                {v, -1, false, variables.At(v).formula,
                 CTreeFormulas::Describe({variables.At(v).name, nullptr, false, {}})});
        }
        for (int nUser : users[size_t(v)])
            if (--pending[size_t(nUser)] == 0)
                ready.push_back(nUser);
    }
    for (int v = 0; v < nCount; ++v)
        if (computed(v) && !done[size_t(v)])
            return CTreeFormulas::Describe(
                {variables.At(v).name, nullptr, false,
                 tr("its formula uses itself, through other variables or directly.")});

    isRest.assign(type.size(), 0);
    std::vector<char> checked(type.size(), 0);
    for (int n = 0; n < index.Size(); ++n) {
        const CNode *pNode = index.Node(n);
        if (type[size_t(n)] != NodeType::Option)
            continue;
        if (!pNode->payoffFormula.empty() && Mentions(pNode->payoffFormula, variables, reached))
            formulas.push_back({-1, n, false, pNode->payoffFormula,
                                CTreeFormulas::Describe({{}, pNode, false, {}})});
        if (rule.Criteria().two && !pNode->payoff2Formula.empty() &&
            Mentions(pNode->payoff2Formula, variables, reached)) {
            formulas.push_back({-1, n, false, pNode->payoff2Formula,
                                CTreeFormulas::Describe({{}, pNode, false, {}, true}), true});
        }
        if (CTreeFormulas::IsRest(pNode->probabilityFormula)) {
            isRest[size_t(n)] = 1;
        } else if (!pNode->probabilityFormula.empty() &&
                   Mentions(pNode->probabilityFormula, variables, reached)) {
            formulas.push_back({-1, n, true, pNode->probabilityFormula,
                                CTreeFormulas::Describe({{}, pNode, true, {}})});
            checked[size_t(parent[size_t(n)])] = 1;
        }
    }
    for (int n = 0; n < index.Size(); ++n)
        if (checked[size_t(n)] && type[size_t(n)] == NodeType::Situation) {
            checkedSituations.push_back(n);
            situationNames.push_back(index.Describe(n));
        }
    return QString();
}

void CSimulationPlan::PathSums(const double *pPayoffs, const double *pPayoffs2,
                               double *pPathSums) const
{
    const int nSize = Size();
    const bool bTwo = rule.Criteria().two;
    for (int n = 0; n < nSize; ++n) {
        const double dAbove = n == 0 ? 0.0 : pPathSums[parent[size_t(n)]];
        const double dPayoff = bTwo ? rule.Payoff(pPayoffs[n], pPayoffs2[n]) : pPayoffs[n];
        pPathSums[n] = IsOwner(type[size_t(n)]) ? dAbove : dAbove + dPayoff;
    }
}

void CSimulationPlan::CriterionSums(const double *pPayoffs, double *pPathSums) const
{
    const int nSize = Size();
    for (int n = 0; n < nSize; ++n) {
        const double dAbove = n == 0 ? 0.0 : pPathSums[parent[size_t(n)]];
        pPathSums[n] = IsOwner(type[size_t(n)]) ? dAbove : dAbove + pPayoffs[n];
    }
}

void CSimulationPlan::Rollback(const double *pProbabilities, const double *pPathSums,
                               double *pValues, const int *pForced, int *pChosen) const
{
    // Children come after their parent, so backwards every child is done first.
    for (int n = Size() - 1; n >= 0; --n) {
        const size_t i = size_t(n);
        const int nFirst = firstChild[i];
        const int nCount = childCount[i];
        if (!hasOptions[i]) {
            pValues[n] = nCount == 1 ? pValues[nFirst] : n == 0 ? 0.0 : pPathSums[parent[i]];
        } else if (type[i] == NodeType::Situation) {
            pValues[n] = rule.Situation(nCount, pProbabilities + nFirst, pValues + nFirst);
        } else if (pForced && pForced[n] >= 0) {
            pValues[n] = pValues[nFirst + pForced[n]];
        } else {
            int nChosen = -1;
            pValues[n] = rule.Decide(nCount, pValues + nFirst, &nChosen);
            if (pChosen)
                pChosen[n] = nChosen;
        }
    }
}

double CSimulationPlan::WithFirstOption(int nOption, const double *pProbabilities,
                                        const double *pValues, std::vector<double> *pScratch) const
{
    double dValue = pValues[firstChild[size_t(firstDecision)] + nOption];
    // Only the Decisions and Situations above the first Decision change.
    for (int n = firstDecision; n != 0;) {
        const int nUp = parent[size_t(n)];
        const size_t up = size_t(nUp);
        if (hasOptions[up]) {
            const int nFirst = firstChild[up];
            if (type[up] == NodeType::Decision && baseChoices[up] >= 0) {
                if (baseChoices[up] != n - nFirst)
                    return pValues[0];
            } else {
                pScratch->assign(pValues + nFirst, pValues + nFirst + childCount[up]);
                (*pScratch)[size_t(n - nFirst)] = dValue;
                dValue =
                    type[up] == NodeType::Situation
                        ? rule.Situation(childCount[up], pProbabilities + nFirst, pScratch->data())
                        : rule.Decide(childCount[up], pScratch->data(), nullptr);
            }
        }
        n = nUp;
    }
    return dValue;
}

void CSimulationPlan::FindStrategies(const CTreeIndex &index)
{
    if (firstDecision < 0)
        return;
    // Each option of the first Decision with the base case's choices below
    // is one of the complete strategies, when those are listed at all.
    AddCompleteStrategies(index);
    if (strategies.empty()) {
        const int nFirst = firstChild[size_t(firstDecision)];
        for (int c = 0; c < childCount[size_t(firstDecision)]; ++c)
            strategies.push_back({QString::fromStdString(index.Node(nFirst + c)->name), 0, c, {}});
    }
    if (!TwoCriteria())
        return;
    // The first Decision's options keep the base case's choices below, as
    // WithFirstOption takes them.
    for (const Strategy &strategy : strategies) {
        std::vector<int> choices = strategy.family == 1 ? strategy.choices : baseChoices;
        if (strategy.family == 0)
            choices[size_t(firstDecision)] = strategy.option;
        strategyChoices.push_back(std::move(choices));
    }
}

void CSimulationPlan::AddCompleteStrategies(const CTreeIndex &index)
{
    const int nSize = Size();
    const CStrategies complete(index, MaxCompleteStrategies + 1);
    // With one Decision the complete strategies are its options again. Each
    // is a rollback of its own in every iteration: on a large tree with
    // many of them the first Decision's options stand for them.
    if (complete.Decisions() < 2 || complete.Count() > MaxCompleteStrategies ||
        complete.Count() * nSize > MaxStrategyNodes)
        return;
    for (long long nStrategy = 0; nStrategy < complete.Count(); ++nStrategy) {
        std::vector<int> choices = complete.Choices(nStrategy);
        QString strName = complete.Name(choices);
        strategies.push_back({std::move(strName), 1, 0, std::move(choices)});
    }
}
