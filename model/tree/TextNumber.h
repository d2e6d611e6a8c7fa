#pragma once

#include <QString>

// How a project shows its payoffs and values: digit grouping, a fixed number
// of decimals or as many as needed, and a prefix and suffix such as "$" or
// " €". The default is the plain display every project had before it could
// choose.
struct NumberFormat
{
    // Fixed decimals are kept to what a double holds.
    static constexpr int AsNeeded = -1;
    static constexpr int MaxDecimals = 9;

    bool grouping = false;
    int decimals = AsNeeded;
    QString prefix;
    QString suffix;

    bool IsDefault() const { return *this == NumberFormat(); }
    bool operator==(const NumberFormat &other) const
    {
        return grouping == other.grouping && decimals == other.decimals && prefix == other.prefix &&
               suffix == other.suffix;
    }
    bool operator!=(const NumberFormat &other) const { return !(*this == other); }
};

// Shows a payoff or value; every display of one goes through here. As
// needed, six significant digits would turn 1164567 into "1.16457e+06", which
// reads as 1164570: every digit before the point stays, and no exponent
// appears below 1e15. Probabilities are not shown this way.
QString NumberToText(double dValue, const NumberFormat &format = NumberFormat());

// A number for other programs: the shortest text that reads back as the same
// double, with a "." whatever the locale, no grouping and no currency; empty
// for a number that is not there (NaN).
QString PlainNumber(double dValue);
