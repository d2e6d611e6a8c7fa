#include "CProjectSettings.h"

bool CProjectSettings::operator==(const CProjectSettings &other) const
{
    return rule == other.rule && criteria == other.criteria && numbers == other.numbers;
}
