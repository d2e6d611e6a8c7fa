#include "TextNumber.h"

#include "NumberPrecision.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

QString PlainText(double dValue)
{
    if (!std::isfinite(dValue))
        return QString::number(dValue, 'g', 6);
    const double dSize = std::fabs(dValue);
    // Whole numbers, most of what a tree shows, come out of 'g' below as
    // their digits (a negative zero as "0"); written as integers they are
    // several times cheaper.
    if (dSize < 1e15 && dValue == std::trunc(dValue))
        return QString::number(static_cast<qint64>(dValue));
    int nDigits = dSize >= 1 ? int(std::floor(std::log10(dSize))) + 1 : 1;
    for (nDigits = std::clamp(nDigits, 6, 15);; ++nDigits) {
        const QString strText = QString::number(dValue, 'g', nDigits);
        // Rounding can carry into one more digit (999999.7 at six digits).
        if (nDigits < 15 && strText.contains(QLatin1Char('e')) && dSize >= 1)
            continue;
        // Near the largest double, fifteen digits round up past it and the
        // text would read back as no number at all: such a value is written
        // whole, which reads back as itself.
        bool bRead = false;
        if (!std::isfinite(strText.toDouble(&bRead)) || !bRead)
            return NumberAtPrecision(dValue, QLocale::FloatingPointShortest);
        return strText;
    }
}

// Commas between groups of three digits before the point; a number written
// with an exponent is left as it is.
QString Grouped(const QString &strDigits)
{
    if (strDigits.contains(QLatin1Char('e')))
        return strDigits;
    int nEnd = strDigits.indexOf(QLatin1Char('.'));
    if (nEnd < 0)
        nEnd = strDigits.size();
    QString strText = strDigits;
    for (int n = nEnd - 3; n > 0; n -= 3)
        strText.insert(n, QLatin1Char(','));
    return strText;
}

} // namespace

QString NumberToText(double dValue, const NumberFormat &format)
{
    if (format.IsDefault() || !std::isfinite(dValue))
        return format.prefix + PlainText(dValue) + format.suffix;
    const int nDecimals = std::min(format.decimals, int(NumberFormat::MaxDecimals));
    // Huge values keep the plain display: 'f' would print digits a double
    // does not hold.
    QString strDigits = nDecimals < 0 || std::fabs(dValue) >= 1e15
                            ? PlainText(std::fabs(dValue))
                            : QString::number(std::fabs(dValue), 'f', nDecimals);
    if (format.grouping)
        strDigits = Grouped(strDigits);
    // The sign goes before a currency ("-$5.00"); what rounds to nothing has none.
    const bool bNegative =
        dValue < 0 && std::any_of(strDigits.begin(), strDigits.end(), [](QChar c) {
            return c >= QLatin1Char('1') && c <= QLatin1Char('9');
        });
    return (bNegative ? QStringLiteral("-") : QString()) + format.prefix + strDigits +
           format.suffix;
}

QString PlainNumber(double dValue)
{
    if (std::isnan(dValue))
        return QString();
    return NumberAtPrecision(dValue, QLocale::FloatingPointShortest);
}
