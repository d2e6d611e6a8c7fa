#pragma once

#include <QString>

#include <memory>
#include <vector>

class CFormula;
class CSimulationPlan;

// One thread's share of a simulation: its own copy of the variables' values
// and of the tree's numbers, with the formulas a draw reaches compiled once,
// bound to that copy, so that an iteration touches nothing shared and
// allocates nothing.
class CSimulationWorker
{
public:
    explicit CSimulationWorker(const CSimulationPlan &simulationPlan);
    CSimulationWorker(const CSimulationWorker &) = delete;
    CSimulationWorker &operator=(const CSimulationWorker &) = delete;
    ~CSimulationWorker();

    // One iteration from the uniforms, one per uncertain variable: writes
    // the draws, the Root's value and each strategy's value, and with two
    // criteria each strategy's two criteria in turn into pCriteria. False,
    // with the reason, when a draw keeps the tree from being rolled back.
    bool Iterate(const double *pUniforms, double *pDraws, double *pRoot, double *pStrategies,
                 double *pCriteria, QString *pReason);

private:
    bool Draw(const double *pUniforms, double *pDraws, QString *pReason);
    bool Compute(QString *pReason);
    bool Check(QString *pReason);
    void Criteria(double *pCriteria);

    const CSimulationPlan &plan;
    std::vector<double> variables;
    std::vector<double> payoffs;
    std::vector<double> payoffs2;
    std::vector<double> probabilities;
    std::vector<double> pathSums;
    std::vector<double> values;
    std::vector<double> fixedValues;
    std::vector<double> scratch;
    std::vector<double> groupSums;
    std::vector<std::unique_ptr<CFormula>> formulas;
};
