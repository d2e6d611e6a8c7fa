#include "CProjectSettings.h"

bool CProjectSettings::operator==(const CProjectSettings &other) const
{
    return rule == other.rule && criteria == other.criteria && numbers == other.numbers;
}

CDecisionRule CProjectSettings::AnalysisRule() const
{
    if (!criteria.two)
        return rule;
    CDecisionRule combined;
    combined.SetCriteria(criteria);
    return combined;
}
