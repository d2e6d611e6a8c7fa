#include "CDistribution.h"

#include <boost/math/distributions/beta.hpp>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/gamma.hpp>
#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/poisson.hpp>
#include <boost/math/distributions/triangular.hpp>
#include <boost/math/distributions/weibull.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

namespace bp = boost::math::policies;
// Boost reports trouble as NaN or infinity rather than by exception, which the
// run turns into a failed iteration; a whole-number quantile is the smallest
// value whose cumulative weight reaches the uniform, as inverse sampling needs.
using Policy = bp::policy<bp::domain_error<bp::ignore_error>, bp::overflow_error<bp::ignore_error>,
                          bp::evaluation_error<bp::ignore_error>, bp::pole_error<bp::ignore_error>,
                          bp::rounding_error<bp::ignore_error>,
                          bp::indeterminate_result_error<bp::ignore_error>,
                          bp::discrete_quantile<bp::integer_round_up>>;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// How far a Discrete's probabilities may miss 1 before they are refused.
constexpr double SumTolerance = 1e-6;

struct Shape
{
    const char *name;
    CDistribution::Kind kind;
    int count; // of parameters; -1 for pairs
};

const Shape Shapes[] = {
    {"Normal", CDistribution::Normal, 2},
    {"LogNormal", CDistribution::LogNormal, 2},
    {"Uniform", CDistribution::Uniform, 2},
    {"Triangular", CDistribution::Triangular, 3},
    {"Trapezoidal", CDistribution::Trapezoidal, 4},
    {"Beta", CDistribution::Beta, 2},
    {"Gamma", CDistribution::Gamma, 2},
    {"Exponential", CDistribution::Exponential, 1},
    {"Weibull", CDistribution::Weibull, 2},
    {"Bernoulli", CDistribution::Bernoulli, 1},
    {"Binomial", CDistribution::Binomial, 2},
    {"Poisson", CDistribution::Poisson, 1},
    {"Discrete", CDistribution::Discrete, -1},
    {"Dirichlet", CDistribution::Dirichlet, 2},
};

// The CDF of a distribution that puts all its weight on dAt.
double Step(double dX, double dAt, bool bBelow)
{
    return bBelow ? (dX > dAt ? 1.0 : 0.0) : (dX >= dAt ? 1.0 : 0.0);
}

// Trapezoidal(a, b, c, d) as the peer writes it: from a to b, flat from c to d.
double TrapezoidCdf(const std::vector<double> &p, double dX)
{
    const double a = p[0], b = p[2], c = p[3], d = p[1];
    const double h = 2.0 / (d + c - a - b);
    if (dX <= a)
        return 0.0;
    if (dX < b)
        return h * (dX - a) * (dX - a) / (2.0 * (b - a));
    if (dX <= c)
        return h * (b - a) / 2.0 + h * (dX - b);
    if (dX < d)
        return 1.0 - h * (d - dX) * (d - dX) / (2.0 * (d - c));
    return 1.0;
}

double TrapezoidQuantile(const std::vector<double> &p, double dP)
{
    const double a = p[0], b = p[2], c = p[3], d = p[1];
    const double h = 2.0 / (d + c - a - b);
    const double dRise = h * (b - a) / 2.0;
    const double dTop = dRise + h * (c - b);
    if (dP < dRise)
        return a + std::sqrt(2.0 * dP * (b - a) / h);
    if (dP <= dTop)
        return b + (dP - dRise) / h;
    return d - std::sqrt(2.0 * (1.0 - dP) * (d - c) / h);
}

} // namespace

QStringList CDistribution::Names()
{
    QStringList names;
    for (const Shape &shape : Shapes)
        names << QString::fromLatin1(shape.name);
    return names;
}

bool CDistribution::Read(const std::string &strText, QString *pError)
{
    const QString strAll = QString::fromStdString(strText).trimmed();
    const int nOpen = strAll.indexOf(QLatin1Char('('));
    if (nOpen < 0 || !strAll.endsWith(QLatin1Char(')'))) {
        *pError = tr("\"%1\" is not a distribution; write it as Name(parameters), "
                     "such as Normal(0.3, 0.05).")
                      .arg(strAll);
        return false;
    }
    const QString strName = strAll.left(nOpen).trimmed();
    const Shape *pShape = nullptr;
    for (const Shape &shape : Shapes)
        if (strName.compare(QLatin1String(shape.name), Qt::CaseInsensitive) == 0)
            pShape = &shape;
    if (!pShape) {
        *pError = tr("\"%1\" is no distribution Ramify knows; it knows %2.")
                      .arg(strName, Names().join(QStringLiteral(", ")));
        return false;
    }
    kind = pShape->kind;
    QStringList arguments =
        strAll.mid(nOpen + 1, strAll.size() - nOpen - 2).split(QLatin1Char(','));
    if (kind == Dirichlet && !arguments.isEmpty())
        group = arguments.takeFirst().trimmed().toStdString();
    const int nWanted = kind == Dirichlet ? 1 : pShape->count;
    if ((nWanted > 0 && arguments.size() != nWanted) ||
        (nWanted < 0 && (arguments.size() < 2 || arguments.size() % 2 != 0))) {
        *pError = nWanted < 0 ? tr("%1 takes pairs of a value and its probability.").arg(strName)
                  : kind == Dirichlet
                      ? tr("Dirichlet takes the name of its group and a weight, such as "
                           "Dirichlet(weather, 2).")
                      : tr("%1 takes %2.")
                            .arg(strName, nWanted == 1 ? tr("one parameter")
                                                       : tr("%1 parameters").arg(nWanted));
        return false;
    }
    parameters.clear();
    for (const QString &strArgument : arguments) {
        bool bNumber = false;
        const double dValue = strArgument.trimmed().toDouble(&bNumber);
        if (!bNumber || !std::isfinite(dValue)) {
            *pError = tr("\"%1\" is not a number.").arg(strArgument.trimmed());
            return false;
        }
        parameters.push_back(dValue);
    }
    points.clear();
    if (kind == Bernoulli)
        points = {{0.0, 1.0 - parameters[0]}, {1.0, parameters[0]}};
    for (size_t i = 0; kind == Discrete && i + 1 < parameters.size(); i += 2)
        points.emplace_back(parameters[i], parameters[i + 1]);
    std::stable_sort(points.begin(), points.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    *pError = Check();
    return pError->isEmpty();
}

QString CDistribution::Check() const
{
    const std::vector<double> &p = parameters;
    switch (kind) {
    case Normal:
    case LogNormal:
        return p[1] < 0 ? tr("its standard deviation is below 0.") : QString();
    case Uniform:
        return p[0] > p[1] ? tr("its lower end lies above its upper end.") : QString();
    case Triangular:
        return p[0] <= p[2] && p[2] <= p[1]
                   ? QString()
                   : tr("its mode must lie within its lower and upper end, in that order.");
    case Trapezoidal:
        return p[0] <= p[2] && p[2] <= p[3] && p[3] <= p[1]
                   ? QString()
                   : tr("its flat top c..d must lie within its ends a..b.");
    case Beta:
    case Gamma:
    case Weibull:
        return p[0] > 0 && p[1] > 0 ? QString() : tr("both its parameters must lie above 0.");
    case Exponential:
    case Poisson:
    case Dirichlet:
        return p[0] > 0 ? QString() : tr("its parameter must lie above 0.");
    case Binomial:
        if (p[0] < 0 || p[0] != std::floor(p[0]) || p[0] > 1e9)
            return tr("its number of trials must be a whole number of at least 0.");
        return p[1] >= 0 && p[1] <= 1 ? QString() : tr("its probability must lie within 0 and 1.");
    case Bernoulli:
    case Discrete: {
        double dSum = 0.0;
        for (const auto &point : points) {
            if (point.second < 0 || point.second > 1)
                return tr("its probabilities must lie within 0 and 1.");
            dSum += point.second;
        }
        return std::fabs(dSum - 1.0) <= SumTolerance
                   ? QString()
                   : tr("its probabilities add up to %1, not 1.").arg(dSum);
    }
    }
    return QString();
}

QString CDistribution::Problem(const std::string &strVariable, const std::string &strText,
                               bool bBounded, double dLow, double dHigh)
{
    CDistribution distribution;
    QString strError;
    if (distribution.Read(strText, &strError) && bBounded && !distribution.Truncate(dLow, dHigh))
        strError = tr("it cannot fall within its Low..High of %1..%2.").arg(dLow).arg(dHigh);
    if (strError.isEmpty())
        return strError;
    return tr("Variable \"%1\": %2").arg(QString::fromStdString(strVariable), strError);
}

bool CDistribution::Truncate(double dLow, double dHigh)
{
    // A Dirichlet's members are normalised together; a range of one of them
    // has no meaning for the set.
    if (kind == Dirichlet)
        return true;
    below = CdfBelow(dLow);
    within = Cdf(dHigh) - below;
    bounded = true;
    low = dLow;
    high = dHigh;
    return dLow <= dHigh && within > 0.0;
}

double CDistribution::Draw(double dU) const
{
    const double dValue = Quantile(below + dU * within);
    // The quantile of a share within the range may miss its edge by the last
    // digit; that is rounding, not a draw outside.
    return bounded ? std::min(high, std::max(low, dValue)) : dValue;
}

double CDistribution::Cdf(double dX) const
{
    const std::vector<double> &p = parameters;
    switch (kind) {
    case Normal:
        return p[1] == 0 ? Step(dX, p[0], false)
                         : cdf(boost::math::normal_distribution<double, Policy>(p[0], p[1]), dX);
    case LogNormal:
        if (dX <= 0)
            return 0.0;
        return p[1] == 0 ? Step(dX, std::exp(p[0]), false)
                         : cdf(boost::math::lognormal_distribution<double, Policy>(p[0], p[1]), dX);
    case Uniform:
        return p[0] == p[1] ? Step(dX, p[0], false)
                            : std::min(1.0, std::max(0.0, (dX - p[0]) / (p[1] - p[0])));
    case Triangular:
        if (p[0] == p[1])
            return Step(dX, p[0], false);
        return cdf(boost::math::triangular_distribution<double, Policy>(p[0], p[2], p[1]),
                   std::min(p[1], std::max(p[0], dX)));
    case Trapezoidal:
        return p[0] == p[1] ? Step(dX, p[0], false) : TrapezoidCdf(p, dX);
    case Beta:
        return cdf(boost::math::beta_distribution<double, Policy>(p[0], p[1]),
                   std::min(1.0, std::max(0.0, dX)));
    case Gamma:
    case Dirichlet:
        return dX <= 0 ? 0.0
                       : cdf(boost::math::gamma_distribution<double, Policy>(
                                 p[0], kind == Gamma ? p[1] : 1.0),
                             dX);
    case Exponential:
        return dX <= 0 ? 0.0 : -std::expm1(-dX / p[0]);
    case Weibull:
        return dX <= 0 ? 0.0
                       : cdf(boost::math::weibull_distribution<double, Policy>(p[0], p[1]), dX);
    case Binomial:
        if (dX < 0)
            return 0.0;
        return cdf(boost::math::binomial_distribution<double, Policy>(p[0], p[1]),
                   std::min(p[0], std::floor(dX)));
    case Poisson:
        return dX < 0
                   ? 0.0
                   : cdf(boost::math::poisson_distribution<double, Policy>(p[0]), std::floor(dX));
    case Bernoulli:
    case Discrete: {
        double dSum = 0.0;
        for (const auto &point : points)
            dSum += point.first <= dX ? point.second : 0.0;
        return dSum;
    }
    }
    return NaN;
}

double CDistribution::CdfBelow(double dX) const
{
    switch (kind) {
    case Binomial:
    case Poisson:
        return std::ceil(dX) - 1 < 0 ? 0.0 : Cdf(std::ceil(dX) - 1);
    case Bernoulli:
    case Discrete: {
        double dSum = 0.0;
        for (const auto &point : points)
            dSum += point.first < dX ? point.second : 0.0;
        return dSum;
    }
    case Normal:
    case LogNormal:
    case Uniform:
    case Triangular:
    case Trapezoidal:
        // A distribution that degenerates to one value has its weight there.
        if ((kind == Normal || kind == LogNormal) && parameters[1] == 0)
            return Step(dX, kind == Normal ? parameters[0] : std::exp(parameters[0]), true);
        if ((kind == Uniform || kind == Triangular) && parameters[0] == parameters[1])
            return Step(dX, parameters[0], true);
        if (kind == Trapezoidal && parameters[0] == parameters[1])
            return Step(dX, parameters[0], true);
        return Cdf(dX);
    default:
        return Cdf(dX);
    }
}

double CDistribution::Quantile(double dP) const
{
    const std::vector<double> &p = parameters;
    switch (kind) {
    case Normal:
        return p[1] == 0
                   ? p[0]
                   : quantile(boost::math::normal_distribution<double, Policy>(p[0], p[1]), dP);
    case LogNormal:
        return p[1] == 0
                   ? std::exp(p[0])
                   : quantile(boost::math::lognormal_distribution<double, Policy>(p[0], p[1]), dP);
    case Uniform:
        return p[0] + dP * (p[1] - p[0]);
    case Triangular:
        return p[0] == p[1] ? p[0]
                            : quantile(boost::math::triangular_distribution<double, Policy>(
                                           p[0], p[2], p[1]),
                                       dP);
    case Trapezoidal:
        return p[0] == p[1] ? p[0] : TrapezoidQuantile(p, dP);
    case Beta:
        return quantile(boost::math::beta_distribution<double, Policy>(p[0], p[1]), dP);
    case Gamma:
    case Dirichlet:
        return quantile(
            boost::math::gamma_distribution<double, Policy>(p[0], kind == Gamma ? p[1] : 1.0), dP);
    case Exponential:
        return -p[0] * std::log1p(-dP);
    case Weibull:
        return quantile(boost::math::weibull_distribution<double, Policy>(p[0], p[1]), dP);
    case Binomial:
        return quantile(boost::math::binomial_distribution<double, Policy>(p[0], p[1]), dP);
    case Poisson:
        return quantile(boost::math::poisson_distribution<double, Policy>(p[0]), dP);
    case Bernoulli:
    case Discrete: {
        double dSum = 0.0;
        for (const auto &point : points) {
            dSum += point.second;
            if (dP <= dSum)
                return point.first;
        }
        return points.empty() ? NaN : points.back().first;
    }
    }
    return NaN;
}
