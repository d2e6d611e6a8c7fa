#pragma once

#include <QString>

#include <algorithm>
#include <cmath>

// Shows a payoff or value. Six significant digits turn 1164567 into
// "1.16457e+06", which reads as 1164570: every digit before the point stays,
// and no exponent appears below 1e15.
inline QString NumberToText(double dValue)
{
    if (!std::isfinite(dValue))
        return QString::number(dValue, 'g', 6);
    const double dSize = std::fabs(dValue);
    int nDigits = dSize >= 1 ? int(std::floor(std::log10(dSize))) + 1 : 1;
    for (nDigits = std::clamp(nDigits, 6, 15);; ++nDigits) {
        const QString strText = QString::number(dValue, 'g', nDigits);
        // Rounding can carry into one more digit (999999.7 at six digits).
        if (nDigits >= 15 || !strText.contains(QLatin1Char('e')) || dSize < 1)
            return strText;
    }
}
