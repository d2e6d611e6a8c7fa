#include "CRiskAttitude.h"

#include <cmath>
#include <limits>

double CRiskAttitude::Utility(double dValue, double dTolerance)
{
    return -std::expm1(-dValue / dTolerance);
}

double CRiskAttitude::CertaintyEquivalent(double dTolerance, int nCount,
                                          const double *pProbabilities, const double *pOutcomes)
{
    const double dNaN = std::numeric_limits<double>::quiet_NaN();
    double dLowest = std::numeric_limits<double>::infinity();
    bool bAny = false;
    for (int i = 0; i < nCount; ++i) {
        if (pProbabilities[i] == 0.0)
            continue;
        if (std::isnan(pOutcomes[i]) || std::isnan(pProbabilities[i]))
            return dNaN;
        bAny = true;
        dLowest = std::min(dLowest, pOutcomes[i]);
    }
    if (!bAny)
        return 0.0;
    // A path worth minus infinity outweighs everything else; plus infinity
    // everywhere stays so.
    if (std::isinf(dLowest))
        return dLowest;
    double dSum = 0.0;
    for (int i = 0; i < nCount; ++i)
        if (pProbabilities[i] != 0.0)
            dSum += pProbabilities[i] * std::exp(-(pOutcomes[i] - dLowest) / dTolerance);
    if (!(dSum > 0.0))
        return dNaN;
    return dLowest - dTolerance * std::log(dSum);
}
