#pragma once

// Typed numbers in every number format, shared by their fuzz target and the
// tests: any text typed into a payoff or a probability is read or refused as
// the one reading rule says, in locales that write numbers differently; and
// for every number format a project offers, a value written by the format
// reads back to the number the text shows, which lies as near the value as
// the format's decimals allow.
#include "CTypedNumber.h"
#include "TextNumber.h"

#include <QByteArray>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace NumberChecks {

inline QString Fail(const char *pWhy, const QString &strText)
{
    return QString::fromLatin1(pWhy) + QStringLiteral(": ") + strText;
}

inline const QLocale &LocaleOf(uint8_t nByte)
{
    static const QLocale locales[] = {QLocale::c(),
                                      QLocale(QStringLiteral("en_US")),
                                      QLocale(QStringLiteral("de_DE")),
                                      QLocale(QStringLiteral("fr_FR")),
                                      QLocale(QStringLiteral("de_CH")),
                                      QLocale(QStringLiteral("ar_EG"))};
    return locales[nByte % (sizeof(locales) / sizeof(locales[0]))];
}

inline QString CheckTyped(const QString &strText, CTypedNumber::Kind kind, const QLocale &locale)
{
    const CTypedNumber typed = CTypedNumber::Read(strText, kind, locale);
    if (typed.IsNumber() == !typed.Refusal().isEmpty())
        return Fail("a number with a refusal, or a refusal without a reason", strText);
    if (typed.IsNumber() && !std::isfinite(typed.ValueOr(0)))
        return Fail("a number that is not finite", strText);
    // Ramify's own way of writing a number reads in every locale, as C reads it.
    static const QRegularExpression plain(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const QString strTrimmed = strText.trimmed();
    const bool bTwoWays = locale.groupSeparator() == QLatin1Char('.') &&
                          QRegularExpression(QStringLiteral("^[+-]?[1-9][0-9]{0,2}\\.[0-9]{3}$"))
                              .match(strTrimmed)
                              .hasMatch();
    bool bRead = false;
    const double dC = strTrimmed.toDouble(&bRead);
    if (plain.match(strTrimmed).hasMatch() && !bTwoWays && bRead && std::isfinite(dC) &&
        (dC != 0 || !strTrimmed.contains(QRegularExpression(QStringLiteral("[1-9]")))) &&
        (!typed.IsNumber() || typed.ValueOr(0) != dC))
        return Fail("a plain number read otherwise", strText);
    return QString();
}

inline QString CheckFormat(double dValue, const uint8_t *pFormat, const QLocale &locale)
{
    static const char *const decorations[] = {"", "$", " €", " kr", "£"};
    NumberFormat format;
    format.grouping = pFormat[0] & 1;
    format.decimals = int((pFormat[0] >> 1) % 11) - 1;
    format.prefix = QString::fromUtf8(decorations[pFormat[1] % 5]);
    format.suffix = QString::fromUtf8(decorations[(pFormat[1] / 5) % 5]);
    const QString strShown = NumberToText(dValue, format);
    QString strDigits = strShown;
    const bool bNegative = strDigits.startsWith(QLatin1Char('-'));
    if (bNegative)
        strDigits.remove(0, 1);
    if (!strDigits.startsWith(format.prefix) || !strDigits.endsWith(format.suffix))
        return Fail("a format that loses its prefix or suffix", strShown);
    strDigits = strDigits.mid(format.prefix.size(),
                              strDigits.size() - format.prefix.size() - format.suffix.size());
    const QString strTyped = (bNegative ? QStringLiteral("-") : QString()) + strDigits;
    // Where the comma is the decimal point, commas between groups and
    // "1.500" (1.5 as shown, 1500 as grouped) are refused rather than guessed.
    const bool bCommaPoint = locale.decimalPoint() == QLatin1Char(',');
    const bool bTwoWays = locale.groupSeparator() == QLatin1Char('.') &&
                          QRegularExpression(QStringLiteral("^[+-]?[1-9][0-9]{0,2}\\.[0-9]{3}$"))
                              .match(strTyped)
                              .hasMatch();
    if ((bCommaPoint && strTyped.contains(QLatin1Char(','))) || bTwoWays)
        return QString();
    const CTypedNumber typed = CTypedNumber::Read(strTyped, CTypedNumber::Kind::Amount, locale);
    const double dShown = QString(strTyped).remove(QLatin1Char(',')).toDouble();
    if (!typed.IsNumber() || typed.ValueOr(0) != dShown)
        return Fail("a number as a format writes it reads otherwise", strShown);
    const double dMagnitude = std::fabs(dValue);
    const double dAllowed =
        format.decimals >= 0 && dMagnitude < 1e15
            ? 0.5 * std::pow(10.0, -format.decimals) * (1 + 1e-9) + dMagnitude * 1e-15
            : dMagnitude * 5e-6;
    if (std::fabs(dShown - dValue) > dAllowed)
        return Fail("a format that shows another number", strShown);
    return QString();
}

// Why the bytes break the rule; empty when it holds. The first byte picks
// the locale, the second the kind, the rest is the text; from twelve bytes on,
// the eight after the first two are a value, the two after those its format.
inline QString Fault(const QByteArray &bytes)
{
    if (bytes.size() < 2)
        return QString();
    const auto *pData = reinterpret_cast<const uint8_t *>(bytes.constData());
    const size_t nSize = size_t(bytes.size());
    const QLocale &locale = LocaleOf(pData[0]);
    const auto kind = pData[1] & 1 ? CTypedNumber::Kind::Probability : CTypedNumber::Kind::Amount;
    const QString strText = QString::fromUtf8(reinterpret_cast<const char *>(pData + 2),
                                              int(std::min<size_t>(nSize - 2, 256)));
    QString strFault = CheckTyped(strText, kind, locale);
    if (strFault.isEmpty() && nSize >= 12) {
        double dValue = 0;
        std::memcpy(&dValue, pData + 2, sizeof dValue);
        if (std::isfinite(dValue))
            strFault = CheckFormat(dValue, pData + 10, locale);
    }
    return strFault;
}

} // namespace NumberChecks
