#pragma once

#include "CCriteria.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// How the rollback turns options into a value: what a Decision does with its
// options' values (take the largest or the smallest, a tie keeping the first
// option) and what a Situation does (average them by probability, or take the
// smallest or largest of those whose probability counts). Under the default
// rule a risk tolerance may replace the Situations' averages by certainty
// equivalents of an exponential utility.
//
// The analyses of a project of two criteria roll back its combined value:
// the rule then carries the criteria, and each option adds the combined
// value of its two payoffs to its paths (see CProjectSettings::AnalysisRule).
class CDecisionRule
{
    Q_DECLARE_TR_FUNCTIONS(CDecisionRule)

public:
    enum Kind
    {
        ExpectedValueMaximization,
        ExpectedValueMinimization,
        MaxiMin,
        MaxiMax,
        MiniMin,
        MiniMax,
    };
    // An option whose probability is this close to 0 is not taken into
    // account where a Situation takes a worst or best option, and is drawn as
    // inactive under every rule.
    static constexpr double ActivityThreshold = 0.0001;

    CDecisionRule() = default;
    explicit CDecisionRule(Kind ruleKind) : kind(ruleKind) {}

    Kind GetKind() const { return kind; }
    // 0 when risk-neutral.
    double RiskTolerance() const { return riskTolerance; }
    bool HasRiskTolerance() const { return riskTolerance > 0.0; }
    // False, with a message, for a tolerance that is not a number above 0 or
    // a rule other than expected-value-maximization; 0 clears it.
    bool SetRiskTolerance(double dTolerance, QString *pError = nullptr);
    // Today's rollback: expected values, maximised, risk-neutral.
    bool IsDefault() const { return kind == ExpectedValueMaximization && !HasRiskTolerance(); }
    bool operator==(const CDecisionRule &other) const
    {
        return kind == other.kind && riskTolerance == other.riskTolerance &&
               criteria == other.criteria;
    }
    bool operator!=(const CDecisionRule &other) const { return !(*this == other); }

    bool Minimizes() const;
    // Whether Situations weigh their options by probability (rather than
    // taking the worst or the best).
    bool Expects() const
    {
        return kind == ExpectedValueMaximization || kind == ExpectedValueMinimization;
    }

    // Whether a Situation that does not weigh its options takes the best.
    bool TakesBest() const { return kind == MaxiMax || kind == MiniMax; }

    // The names used in files and on the command line, e.g. "maxi-min".
    QString Name() const { return Name(kind); }
    static QString Name(Kind ruleKind);
    static QStringList Names();
    // False, with a message listing the known names, for any other text.
    static bool FromName(const QString &strName, Kind *pKind, QString *pError = nullptr);

    // True when dCandidate beats dBest for a Decision; strict, so a tie keeps
    // the earlier option, and NaN never wins.
    bool Better(double dCandidate, double dBest) const
    {
        return Minimizes() ? dCandidate < dBest : dBest < dCandidate;
    }
    // What a Decision holds before its first option is looked at.
    double Unbeaten() const;
    static bool Counts(double dProbability);

    // A Decision's value and the position of its choice (-1 when none wins).
    double Decide(int nCount, const double *pOutcomes, int *pChosen) const;
    // A Situation's value from its options' probabilities and outcomes.
    double Situation(int nCount, const double *pProbabilities, const double *pOutcomes) const;

    // The criteria whose combined value the analyses follow; one criterion
    // unless set.
    const CCriteria &Criteria() const { return criteria; }
    void SetCriteria(const CCriteria &projectCriteria) { criteria = projectCriteria; }
    // What an option with these payoffs adds to each path below it: its
    // payoff, or the combined value of its two payoffs. The combined value is
    // linear in the payoffs, so path sums of it are the combined values of the
    // paths' sums of each criterion.
    double Payoff(double dPayoff, double dPayoff2) const
    {
        return criteria.two ? criteria.Combine(dPayoff, dPayoff2) : dPayoff;
    }

private:
    Kind kind = ExpectedValueMaximization;
    CCriteria criteria;
    double riskTolerance = 0.0;
};
