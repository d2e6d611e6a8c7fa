#include "CCriteria.h"

#include "TextNumber.h"

bool CCriteria::operator==(const CCriteria &other) const
{
    if (two != other.two)
        return false;
    // A project of one criterion has nothing more to compare.
    if (!two)
        return true;
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return names[0] == other.names[0] && names[1] == other.names[1] && units[0] == other.units[0] &&
           units[1] == other.units[1] && maximise[0] == other.maximise[0] &&
           maximise[1] == other.maximise[1] && same(weight, other.weight) &&
           same(weightLower, other.weightLower) && same(weightUpper, other.weightUpper);
}

double CCriteria::CombineAt(double dWeight, double c1, double c2) const
{
    return std::isinf(dWeight) ? Sign(0) * c1 : Sign(0) * dWeight * c1 + Sign(1) * c2;
}

bool CCriteria::Better(double a1, double a2, double b1, double b2) const
{
    if (!WeightIsInfinite())
        return Combine(b1, b2) < Combine(a1, a2);
    if (Sign(0) * a1 != Sign(0) * b1)
        return Sign(0) * b1 < Sign(0) * a1;
    return Sign(1) * b2 < Sign(1) * a2;
}

QString CCriteria::ValueName() const
{
    if (!two)
        return QString();
    const QString strFirst = maximise[0] ? names[0] : QStringLiteral("−%1").arg(names[0]);
    if (WeightIsInfinite())
        return tr("%1 (at an infinite weight)").arg(strFirst);
    return tr("%1 × w %2 %3 at w = %4")
        .arg(strFirst, maximise[1] ? QStringLiteral("+") : QStringLiteral("−"), names[1],
             PlainNumber(weight));
}

QString CCriteria::AnalysisProblem() const
{
    if (!two || !WeightIsInfinite())
        return QString();
    return tr("At an infinite weight %1 comes first and %2 only breaks its ties, which no "
              "single value shows; give the weight a number in Project Settings to analyse "
              "the combined value.")
        .arg(names[0], names[1]);
}

QString CCriteria::Problem() const
{
    if (!two)
        return QString();
    if (names[0].trimmed().isEmpty() || names[1].trimmed().isEmpty())
        return tr("Each criterion needs a name.");
    if (names[0].trimmed() == names[1].trimmed())
        return tr("The two criteria need different names.");
    if (std::isnan(weight) || weight < 0.0)
        return tr("The weight of criterion 1 must be a number at or above 0 (or infinity).");
    if (std::isnan(weightLower) || std::isnan(weightUpper) || weightLower < 0.0 ||
        weightUpper < weightLower)
        return tr("The weight's range must run from a number at or above 0 to one at or "
                  "above it.");
    return QString();
}

QString CCriteria::PeerRule() const
{
    const auto word = [](bool bMax) {
        return bMax ? QStringLiteral("max") : QStringLiteral("min");
    };
    return word(maximise[0]) + QLatin1Char('-') + word(maximise[1]);
}

bool CCriteria::FromPeerRule(const QString &strRule, bool *pMaximise1, bool *pMaximise2)
{
    const QStringList words = strRule.split(QLatin1Char('-'));
    if (words.size() != 2)
        return false;
    for (int n = 0; n < 2; ++n)
        if (words[n] != QLatin1String("max") && words[n] != QLatin1String("min"))
            return false;
    *pMaximise1 = words[0] == QLatin1String("max");
    *pMaximise2 = words[1] == QLatin1String("max");
    return true;
}
