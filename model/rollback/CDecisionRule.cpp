#include "CDecisionRule.h"

#include "CRiskAttitude.h"

#include <cmath>
#include <limits>

namespace {

const char *const RuleNames[] = {"expected-value-maximization",
                                 "expected-value-minimization",
                                 "maxi-min",
                                 "maxi-max",
                                 "mini-min",
                                 "mini-max"};

} // namespace

bool CDecisionRule::SetRiskTolerance(double dTolerance, QString *pError)
{
    QString strError;
    if (dTolerance != 0.0 && !(std::isfinite(dTolerance) && dTolerance > 0.0))
        strError = tr("The risk tolerance must be a number above 0.");
    else if (dTolerance != 0.0 && kind != ExpectedValueMaximization)
        strError = tr("A risk tolerance only applies under the rule %1, not under %2.")
                       .arg(Name(ExpectedValueMaximization), Name());
    if (!strError.isEmpty()) {
        if (pError)
            *pError = strError;
        return false;
    }
    riskTolerance = dTolerance;
    return true;
}

bool CDecisionRule::Minimizes() const
{
    return kind == ExpectedValueMinimization || kind == MiniMin || kind == MiniMax;
}

QString CDecisionRule::Name(Kind ruleKind)
{
    return QString::fromLatin1(RuleNames[int(ruleKind)]);
}

QStringList CDecisionRule::Names()
{
    QStringList names;
    for (const char *pName : RuleNames)
        names << QString::fromLatin1(pName);
    return names;
}

bool CDecisionRule::FromName(const QString &strName, Kind *pKind, QString *pError)
{
    const int nFound = Names().indexOf(strName);
    if (nFound < 0) {
        if (pError)
            *pError = tr("Unknown decision rule \"%1\"; the rules are %2.")
                          .arg(strName, Names().join(QStringLiteral(", ")));
        return false;
    }
    *pKind = Kind(nFound);
    return true;
}

double CDecisionRule::Unbeaten() const
{
    return Minimizes() ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
}

bool CDecisionRule::Counts(double dProbability)
{
    return std::fabs(dProbability) > ActivityThreshold;
}

double CDecisionRule::Decide(int nCount, const double *pOutcomes, int *pChosen) const
{
    double dBest = Unbeaten();
    int nBest = -1;
    for (int i = 0; i < nCount; ++i) {
        if (Better(pOutcomes[i], dBest)) {
            dBest = pOutcomes[i];
            nBest = i;
        }
    }
    if (pChosen)
        *pChosen = nBest;
    return dBest;
}

double CDecisionRule::Situation(int nCount, const double *pProbabilities,
                                const double *pOutcomes) const
{
    if (HasRiskTolerance())
        return CRiskAttitude::CertaintyEquivalent(riskTolerance, nCount, pProbabilities, pOutcomes);
    if (Expects()) {
        double dValue = 0.0;
        for (int i = 0; i < nCount; ++i)
            dValue += pProbabilities[i] * pOutcomes[i];
        return dValue;
    }
    // The worst or best of the options that count; when none does (all
    // probabilities about 0, which the tree flags anyway), of all of them.
    const bool bBest = TakesBest();
    bool bAny = false;
    for (int i = 0; i < nCount; ++i)
        bAny = bAny || Counts(pProbabilities[i]);
    double dValue = std::numeric_limits<double>::quiet_NaN();
    bool bStarted = false;
    for (int i = 0; i < nCount; ++i) {
        if (bAny && !Counts(pProbabilities[i]))
            continue;
        // A NaN outcome makes the whole Situation NaN, as it does an average.
        if (std::isnan(pOutcomes[i]))
            return pOutcomes[i];
        dValue = !bStarted ? pOutcomes[i]
                 : bBest   ? std::max(dValue, pOutcomes[i])
                           : std::min(dValue, pOutcomes[i]);
        bStarted = true;
    }
    return dValue;
}
