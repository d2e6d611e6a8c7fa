#pragma once

#include <QString>

// A number in the general format with at most nDigits significant digits, as
// tables, reports and exports print it where no project number format
// applies (QLocale::FloatingPointShortest: as few as read back exactly).
// Payoffs and values shown in a project's own format go through NumberToText.
inline QString NumberAtPrecision(double dValue, int nDigits)
{
    return QString::number(dValue, 'g', nDigits);
}
