#include "CSimulationWorker.h"

#include "CFormula.h"
#include "CNode.h"
#include "CSimulationPlan.h"
#include "CTreeEvaluation.h"

#include <QCoreApplication>

#include <cmath>
#include <string>
#include <unordered_map>

CSimulationWorker::CSimulationWorker(const CSimulationPlan &simulationPlan)
    : plan(simulationPlan), variables(simulationPlan.variableValues),
      payoffs(simulationPlan.payoffs), payoffs2(simulationPlan.payoffs2),
      probabilities(simulationPlan.probabilities), pathSums(size_t(simulationPlan.Size())),
      values(size_t(simulationPlan.Size())), fixedValues(size_t(simulationPlan.Size())),
      groupSums(simulationPlan.groups.size())
{
    std::unordered_map<std::string, int> byName;
    for (size_t v = 0; v < plan.variableNames.size(); ++v)
        byName.emplace(plan.variableNames[v], int(v));
    const CFormula::Finder find = [&](const std::string &strName) -> double * {
        const auto found = byName.find(strName);
        return found == byName.end() ? nullptr : &variables[size_t(found->second)];
    };
    formulas.reserve(plan.formulas.size());
    for (const CSimulationPlan::Formula &formula : plan.formulas)
        formulas.push_back(std::make_unique<CFormula>(formula.text, find));
}

CSimulationWorker::~CSimulationWorker() = default;

bool CSimulationWorker::Iterate(const double *pUniforms, double *pDraws, double *pRoot,
                                double *pStrategies, double *pCriteria, QString *pReason)
{
    if (!Draw(pUniforms, pDraws, pReason) || !Compute(pReason) || !Check(pReason))
        return false;
    plan.PathSums(payoffs.data(), payoffs2.data(), pathSums.data());
    plan.Rollback(probabilities.data(), pathSums.data(), values.data(), nullptr, nullptr);
    *pRoot = values[0];
    bool bFirstDone = false;
    for (size_t s = 0; s < plan.strategies.size(); ++s) {
        const CSimulationPlan::Strategy &strategy = plan.strategies[s];
        if (strategy.family == 1) {
            plan.Rollback(probabilities.data(), pathSums.data(), fixedValues.data(),
                          strategy.choices.data(), nullptr);
            pStrategies[s] = fixedValues[0];
            continue;
        }
        // The first Decision's options share one rollback under the base
        // case's choices; each then climbs from that Decision alone.
        if (!bFirstDone)
            plan.Rollback(probabilities.data(), pathSums.data(), fixedValues.data(),
                          plan.baseChoices.data(), nullptr);
        bFirstDone = true;
        pStrategies[s] = plan.WithFirstOption(strategy.option, probabilities.data(),
                                              fixedValues.data(), &scratch);
    }
    for (size_t s = 0; s < plan.strategies.size(); ++s)
        if (!std::isfinite(pStrategies[s])) {
            *pReason = QCoreApplication::translate("CSimulationWorker",
                                                   "The value of \"%1\" is not a number.")
                           .arg(plan.strategies[s].name);
            return false;
        }
    if (pCriteria)
        Criteria(pCriteria);
    return true;
}

void CSimulationWorker::Criteria(double *pCriteria)
{
    // Each criterion alone, rolled back under each strategy's choices: the
    // expectations add up as the combined value's do.
    for (int k = 0; k < 2; ++k) {
        plan.CriterionSums(k == 0 ? payoffs.data() : payoffs2.data(), pathSums.data());
        for (size_t s = 0; s < plan.strategies.size(); ++s) {
            plan.Rollback(probabilities.data(), pathSums.data(), fixedValues.data(),
                          plan.strategyChoices[s].data(), nullptr);
            pCriteria[2 * s + size_t(k)] = fixedValues[0];
        }
    }
}

bool CSimulationWorker::Draw(const double *pUniforms, double *pDraws, QString *pReason)
{
    std::fill(groupSums.begin(), groupSums.end(), 0.0);
    const size_t nCount = plan.uncertain.size();
    for (size_t u = 0; u < nCount; ++u) {
        const CSimulationPlan::Uncertain &entry = plan.uncertain[u];
        const double dDraw = entry.distribution.Draw(pUniforms[u]);
        if (!std::isfinite(dDraw)) {
            *pReason = QCoreApplication::translate("CSimulationWorker",
                                                   "Variable \"%1\": a draw is not a number.")
                           .arg(QString::fromStdString(plan.variableNames[size_t(entry.variable)]));
            return false;
        }
        pDraws[u] = dDraw;
        if (entry.group >= 0)
            groupSums[size_t(entry.group)] += dDraw;
    }
    // A Dirichlet set is drawn as Gamma variates normalised by their sum.
    for (size_t u = 0; u < nCount; ++u) {
        const CSimulationPlan::Uncertain &entry = plan.uncertain[u];
        if (entry.group >= 0)
            pDraws[u] /= groupSums[size_t(entry.group)];
        variables[size_t(entry.variable)] = pDraws[u];
    }
    return true;
}

bool CSimulationWorker::Compute(QString *pReason)
{
    for (size_t f = 0; f < formulas.size(); ++f) {
        const CSimulationPlan::Formula &formula = plan.formulas[f];
        double dValue = 0.0;
        if (!formulas[f]->Evaluate(&dValue, pReason)) {
            *pReason = formula.where + *pReason;
            return false;
        }
        if (formula.node < 0)
            variables[size_t(formula.variable)] = dValue;
        else if (formula.probability)
            probabilities[size_t(formula.node)] = dValue;
        else if (formula.second)
            payoffs2[size_t(formula.node)] = dValue;
        else
            payoffs[size_t(formula.node)] = dValue;
    }
    // Each "#" gets its share of what the others leave, as CTreeFormulas
    // shares it.
    for (int n : plan.checkedSituations) {
        const int nFirst = plan.firstChild[size_t(n)];
        const int nEnd = nFirst + plan.childCount[size_t(n)];
        double dOthers = 0.0;
        int nRests = 0;
        for (int c = nFirst; c < nEnd; ++c) {
            nRests += plan.isRest[size_t(c)];
            dOthers += plan.isRest[size_t(c)] ? 0.0 : probabilities[size_t(c)];
        }
        for (int c = nFirst; nRests > 0 && c < nEnd; ++c)
            if (plan.isRest[size_t(c)])
                probabilities[size_t(c)] = std::max(0.0, 1.0 - dOthers) / nRests;
    }
    return true;
}

bool CSimulationWorker::Check(QString *pReason)
{
    for (size_t k = 0; k < plan.checkedSituations.size(); ++k) {
        const int n = plan.checkedSituations[k];
        const int nFirst = plan.firstChild[size_t(n)];
        scratch.assign(probabilities.begin() + nFirst,
                       probabilities.begin() + nFirst + plan.childCount[size_t(n)]);
        if (!CTreeEvaluation::IsDistribution(scratch)) {
            *pReason = QCoreApplication::translate(
                           "CSimulationWorker",
                           "A draw leaves the probabilities of %1 outside 0..1 or not "
                           "adding up to 1.")
                           .arg(plan.situationNames[k]);
            return false;
        }
    }
    return true;
}
