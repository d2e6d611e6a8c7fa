#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>

// A number as someone types it into a canvas text, a dialog cell or a range
// field; the one rule for all of them, so that a text reads the same wherever
// it is typed.
//
// A text reads, in this order:
// - as Ramify itself writes numbers: "1500", "-0.25", "1e+06". The point is
//   always a decimal point here, since that is how every number is shown;
// - with the locale's decimal comma, where the locale has one ("1,5" is 1.5 in
//   German or French);
// - with thousands grouped by the locale's separator, by a comma (unless the
//   locale's decimal point is a comma) or by a space: "1,500", "1 500",
//   "1.500,25" in German. Groups have three digits after a first one of one
//   to three that does not start with 0.
// Where the locale groups thousands with a point, "1.500" reads both ways
// (1.5 as shown, 1500 as the locale groups); it is refused, not guessed.
// A probability may end in a percent sign, with or without a space: "50%".
// Anything else is refused with a sentence saying why, and nothing that is
// not a finite number (NaN, infinity, "1e999") is ever a value.
class CTypedNumber
{
    Q_DECLARE_TR_FUNCTIONS(CTypedNumber)

public:
    enum class Kind
    {
        Amount,
        Probability,
    };

    // A value known without reading any text.
    explicit CTypedNumber(double dValue) : value(dValue) {}

    static CTypedNumber Read(const QString &strText, Kind kind, const QLocale &locale = QLocale());

    bool IsNumber() const { return refusal.isEmpty(); }
    // The value read, or dFallback for a refused text: callers keep what they had.
    double ValueOr(double dFallback) const { return IsNumber() ? value : dFallback; }
    // Why the text was refused, in a sentence for the user; empty when it was not.
    const QString &Refusal() const { return refusal; }

private:
    static CTypedNumber Refused(const QString &strWhy);

    double value = 0.0;
    QString refusal;
};
