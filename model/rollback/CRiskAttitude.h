#pragma once

// An exponential utility u(x) = 1 - e^(-x/R) with risk tolerance R > 0, on
// the total payoff of a path. Its certainty equivalents compose: the CE of a
// Situation over its options' CEs is the CE of all paths below it, so the
// rollback can work with them as it does with expected values.
class CRiskAttitude
{
public:
    static double Utility(double dValue, double dTolerance);
    // -R * ln(sum of p * e^(-v/R)), computed shifted by the smallest v with a
    // probability other than 0, so that no exponent overflows however large
    // the payoffs are against R. NaN where the weighted sum is not above 0
    // (negative probabilities), or any such v is NaN; 0 when every
    // probability is 0, as the expected value would be.
    static double CertaintyEquivalent(double dTolerance, int nCount, const double *pProbabilities,
                                      const double *pOutcomes);
};
