#pragma once

#include <QString>

#include <cmath>

// Reads a number typed into a canvas text. Text that is not a finite number
// ("abc", "nan", "inf", "1e999") reads as 0, so no NaN or infinity ever reaches
// the model and the rollback sums stay finite.
inline double TextToNumber(const QString &text)
{
    const double dValue = text.toDouble();
    return std::isfinite(dValue) ? dValue : 0.0;
}
