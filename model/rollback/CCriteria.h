#pragma once

#include <QCoreApplication>
#include <QString>

#include <cmath>
#include <limits>

// The two criteria of a project that weighs two things at once (an effect
// and a cost, say), or none for a project of one payoff. Options then carry
// a payoff for each, and the rollback chooses by the combined value
// s1 × w × c1 + s2 × c2, where s is +1 for a criterion maximised and -1 for
// one minimised, and maximises it: with c1 an effect in QALY and c2 a cost,
// that is the net monetary benefit at w per QALY. A weight of infinity puts
// criterion 1 first, criterion 2 deciding only between options that tie on
// it; the combined value is then s1 × c1.
class CCriteria
{
    Q_DECLARE_TR_FUNCTIONS(CCriteria)

public:
    static constexpr double Infinite = std::numeric_limits<double>::infinity();

    bool two = false;
    QString names[2] = {QStringLiteral("Effect"), QStringLiteral("Cost")};
    QString units[2];
    bool maximise[2] = {true, false};
    double weight = 1.0;
    // The range of w the league table marks as of interest.
    double weightLower = 0.0;
    double weightUpper = Infinite;

    bool operator==(const CCriteria &other) const;
    bool operator!=(const CCriteria &other) const { return !(*this == other); }

    double Sign(int n) const { return maximise[n] ? 1.0 : -1.0; }
    bool WeightIsInfinite() const { return std::isinf(weight); }
    // The combined value of two criteria at this weight.
    double Combine(double c1, double c2) const
    {
        return WeightIsInfinite() ? Sign(0) * c1 : Sign(0) * weight * c1 + Sign(1) * c2;
    }
    // The same at another weight (any w >= 0, infinity included).
    double CombineAt(double dWeight, double c1, double c2) const;
    // True when (a1, a2) beats (b1, b2) at this weight: strictly, so a tie
    // keeps the earlier option; at an infinite weight criterion 2 decides
    // between options equal on criterion 1.
    bool Better(double a1, double a2, double b1, double b2) const;

    // The combined value in words, as the analyses of one value name what
    // they show: "Effect × w − Cost at w = 50000".
    QString ValueName() const;

    // Why the analyses of one value cannot follow these criteria; empty when
    // they can. At an infinite weight criterion 2 breaks the ties of
    // criterion 1, which no single value carries.
    QString AnalysisProblem() const;

    // Empty when the settings can be used; else a sentence for the user:
    // a weight that is not a number at or above 0, bounds out of order, an
    // empty name.
    QString Problem() const;

    // The peer's rule names: "max-min" says criterion 1 is maximised and
    // criterion 2 minimised.
    QString PeerRule() const;
    // False for a text that is none of the four.
    static bool FromPeerRule(const QString &strRule, bool *pMaximise1, bool *pMaximise2);
};
