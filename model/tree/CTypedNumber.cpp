#include "CTypedNumber.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// Spaces that people and locales put between groups of thousands: the plain,
// the no-break, the thin and the narrow no-break space.
const QString kSpaceGroups = QStringLiteral(" \u00a0\u2009\u202f");

// A pasted page of text would make a message nobody can read.
QString Quoted(const QString &strText)
{
    constexpr int nLongest = 40;
    if (strText.size() <= nLongest)
        return strText;
    return strText.left(nLongest) + QChar(0x2026);
}

// The text in the form QString::toDouble reads, or an empty string.
QString InCForm(const QString &strText, const QLocale &locale)
{
    static const QRegularExpression plain(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (plain.match(strText).hasMatch())
        return strText;

    const QChar cPoint = locale.decimalPoint();
    const QString strPoint = QRegularExpression::escape(QString(cPoint));
    if (cPoint != QLatin1Char('.')) {
        const QRegularExpression comma(QStringLiteral("^([+-]?)([0-9]*)%1([0-9]*)$").arg(strPoint));
        const QRegularExpressionMatch match = comma.match(strText);
        if (match.hasMatch() && match.capturedLength(2) + match.capturedLength(3) > 0)
            return match.captured(1) + match.captured(2) + QLatin1Char('.') + match.captured(3);
    }

    QString strGroups = kSpaceGroups + locale.groupSeparator();
    if (cPoint != QLatin1Char(','))
        strGroups += QLatin1Char(',');
    for (const QChar cGroup : strGroups) {
        QString strPoints = QStringLiteral(".") + cPoint;
        strPoints.remove(cGroup);
        const QString strGroup = QRegularExpression::escape(QString(cGroup));
        const QRegularExpression grouped(
            QStringLiteral("^([+-]?)([1-9][0-9]{0,2}(?:%1[0-9]{3})+)(?:[%2]([0-9]*))?$")
                .arg(strGroup, QRegularExpression::escape(strPoints)));
        const QRegularExpressionMatch match = grouped.match(strText);
        if (match.hasMatch())
            return match.captured(1) + match.captured(2).remove(cGroup) + QLatin1Char('.') +
                   match.captured(3);
    }
    return QString();
}

} // namespace

CTypedNumber CTypedNumber::Refused(const QString &strWhy)
{
    CTypedNumber number(0.0);
    number.refusal = strWhy;
    return number;
}

CTypedNumber CTypedNumber::Read(const QString &strText, Kind kind, const QLocale &locale)
{
    QString strNumber = strText.trimmed();
    if (strNumber.isEmpty())
        return Refused(tr("An empty text is not a number"));
    const QString strShown = Quoted(strNumber);

    double dScale = 1.0;
    if (strNumber.endsWith(QLatin1Char('%')) || strNumber.endsWith(locale.percent())) {
        if (kind != Kind::Probability)
            return Refused(
                tr("'%1': only a probability can be typed as a percentage").arg(strShown));
        strNumber.chop(1);
        strNumber = strNumber.trimmed();
        dScale = 0.01;
    }
    // Some locales write the minus sign as U+2212.
    if (strNumber.startsWith(locale.negativeSign()))
        strNumber.replace(0, 1, QLatin1Char('-'));

    if (locale.groupSeparator() == QLatin1Char('.')) {
        static const QRegularExpression twoWays(
            QStringLiteral("^[+-]?[1-9][0-9]{0,2}\\.[0-9]{3}$"));
        if (twoWays.match(strNumber).hasMatch()) {
            const QString strGrouped = QString(strNumber).remove(QLatin1Char('.'));
            return Refused(
                tr("'%1' could mean %2 or %3: type it without the thousands separator")
                    .arg(strShown, QString::number(strNumber.toDouble(), 'g', 10), strGrouped));
        }
    }

    const QString strC = InCForm(strNumber, locale);
    if (strC.isEmpty())
        return Refused(tr("'%1' is not a number").arg(strShown));
    bool bRead = false;
    const double dValue = strC.toDouble(&bRead) * dScale;
    if (!bRead || !std::isfinite(dValue))
        return Refused(std::isinf(strC.toDouble())
                           ? tr("'%1' is too large a number").arg(strShown)
                           : tr("'%1' is too close to 0 to hold: type 0").arg(strShown));
    return CTypedNumber(dValue);
}
