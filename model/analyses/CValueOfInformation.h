#pragma once

#include "CRiskProfile.h"

#include <QCoreApplication>
#include <QString>

#include <vector>

class CTreeEvaluation;

// The expected value of perfect information. An uncertainty is the set of
// Situations that share a name (an unnamed Situation, or one whose name no
// other has, is one of its own); knowing its outcome k before deciding means
// every one of its Situations leads to option k. Its value with information
// is the tree's value for each k, weighed by k's probability; its EVPI what
// that gains over the tree's value (with a risk tolerance, certainty
// equivalents take the place of both averages).
//
// Knowing everything at once is computed from distributions of outcomes: a
// Decision that knows everything picks the best option in every case, and
// options that share no uncertainty are independent, so the distribution of
// the best is the product of theirs. Uncertainties that several options of
// one Decision share are enumerated case by case instead.
class CValueOfInformation
{
    Q_DECLARE_TR_FUNCTIONS(CValueOfInformation)

public:
    struct Uncertainty
    {
        QString name;
        // Nodes of the evaluation's CTreeIndex, in ID order.
        std::vector<int> situations;
        double valueWithInformation = 0.0;
        double evpi = 0.0;
    };
    // Beyond this many evaluations of the tree, knowing everything is refused
    // rather than left to run for minutes.
    static constexpr double MaxWork = 5e7;

    explicit CValueOfInformation(const CTreeEvaluation &evaluation);

    // False, with Error() telling why, under a rule that takes worst or best
    // options, for a tree whose probabilities are not a distribution, or for
    // Situations of one name whose options differ.
    bool Run();
    QString Error() const { return error; }
    // Whether the error lies with the tree rather than with the rule asked.
    bool TreeAtFault() const { return treeAtFault; }

    double Value() const;
    // Widest first; ties in the order of the file.
    const std::vector<Uncertainty> &Uncertainties() const { return uncertainties; }
    // Everything known at once; AllError() says why when it was not computed.
    bool HasAll() const { return allError.isEmpty(); }
    QString AllError() const { return allError; }
    double AllValueWithInformation() const { return allValue; }
    double AllEvpi() const { return Gain(allValue); }

private:
    using Outcome = CRiskProfile::Outcome;
    using Distribution = std::vector<Outcome>;

    bool Group();
    // The Root's value with the Situations in forced resolved; affected
    // holds them and every node above them, children first.
    double RollBack(const std::vector<int> &affected, const std::vector<int> &forced);
    std::vector<int> Above(const std::vector<int> &situations) const;
    double Gain(double dWithInformation) const;
    std::vector<bool> Linked() const;
    void KnowEverything();
    Distribution Distributions(const std::vector<int> &forced) const;
    static void Merge(Distribution *pDistribution);
    static Distribution Mixture(const std::vector<std::pair<double, const Distribution *>> &parts);
    Distribution Extreme(const std::vector<const Distribution *> &options) const;

    const CTreeEvaluation &evaluation;
    QString error;
    bool treeAtFault = false;
    std::vector<Uncertainty> uncertainties;
    // The option probabilities every Situation of an uncertainty shares.
    std::vector<std::vector<double>> outcomeProbabilities;
    std::vector<double> pathSums;
    // The evaluation's values, changed only for the length of one RollBack.
    std::vector<double> scratch;
    QString allError;
    double allValue = 0.0;
};
