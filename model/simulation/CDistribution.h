#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// How an uncertain variable may fall, as typed: "Normal(0.3, 0.05)",
// "Beta(2, 8)", "Dirichlet(weather, 2)" and so on. Every draw goes through
// the distribution's quantile at a uniform number, from Boost.Math, so that
// the same uniform gives the same value on every platform, Latin hypercube
// sampling needs nothing of its own, and a range Low..High is honoured by
// drawing only within it: the same as drawing again until a value falls
// inside, never a value clamped to the edge. This is the only class that
// knows Boost.Math.
class CDistribution
{
    Q_DECLARE_TR_FUNCTIONS(CDistribution)

public:
    enum Kind
    {
        Normal,
        LogNormal,
        Uniform,
        Triangular,
        Trapezoidal,
        Beta,
        Gamma,
        Exponential,
        Weibull,
        Bernoulli,
        Binomial,
        Poisson,
        Discrete,
        // Draws a set of variables of one group that add up to 1; each
        // member carries its own weight, the draw is normalised by the run.
        Dirichlet,
    };

    // False, with the reason in *pError, for a text that is no distribution
    // or whose parameters are invalid (sd < 0, a > b, alpha <= 0,
    // probabilities not adding up to 1).
    bool Read(const std::string &strText, QString *pError);
    // Empty when the variable's distribution may be drawn within its range
    // (bounds given as hasLow..high); otherwise "Variable "p": ..." naming
    // it and the reason.
    static QString Problem(const std::string &strVariable, const std::string &strText,
                           bool bBounded, double dLow, double dHigh);

    Kind GetKind() const { return kind; }
    // The Dirichlet group a variable belongs to.
    const std::string &Group() const { return group; }
    // Restricts the draws to dLow..dHigh; false when the distribution puts
    // no weight there.
    bool Truncate(double dLow, double dHigh);
    // The value at the uniform dU within 0 and 1 (exclusive), inside the
    // range given to Truncate; NaN when Boost cannot compute it.
    double Draw(double dU) const;

    // The names of the distributions, for messages and the guide.
    static QStringList Names();

private:
    double Cdf(double dX) const;
    // P(X < x): differs from Cdf for a distribution of whole numbers.
    double CdfBelow(double dX) const;
    double Quantile(double dP) const;
    QString Check() const;

    Kind kind = Normal;
    std::vector<double> parameters;
    // Bernoulli's and Discrete's values with their probabilities, by value.
    std::vector<std::pair<double, double>> points;
    bool bounded = false;
    double low = 0.0;
    double high = 0.0;
    std::string group;
    double below = 0.0;  // the weight under the range
    double within = 1.0; // the weight of the range
};
