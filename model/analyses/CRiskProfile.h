#pragma once

#include <QCoreApplication>
#include <QString>

#include <utility>
#include <vector>

class CTreeEvaluation;

// Risk profiles: for each option of the first Decision (the Root's child
// when that is a Decision, else the first Decision in the file), the
// distribution of the total payoffs its paths reach when every Decision
// further down makes the rule's choice. A tree without a Decision has one
// profile, of the whole tree.
class CRiskProfile
{
    Q_DECLARE_TR_FUNCTIONS(CRiskProfile)

public:
    struct Outcome
    {
        double value = 0.0;
        double probability = 0.0;
    };
    struct Profile
    {
        int option = -1; // node of the evaluation's CTreeIndex; the Root for a whole tree
        QString name;
        bool chosen = false;
        // In increasing order of value, equal totals merged.
        std::vector<Outcome> outcomes;
        double mean = 0.0;
        double standardDeviation = 0.0;
        double minimum = 0.0;
        double maximum = 0.0;
        double probabilityOfLoss = 0.0;
    };

    explicit CRiskProfile(const CTreeEvaluation &evaluation);

    // Sorts outcomes by value and adds up the probabilities of equal values.
    static void MergeEqualValues(std::vector<Outcome> *pOutcomes);

    // The Decision whose options are profiled: the Root's child when that is
    // a Decision with options, else the first such in the file; -1 for none.
    static int FirstDecision(const CTreeEvaluation &evaluation);

    // False, with Error() telling why, for a tree of the wrong shape or whose
    // probabilities are not a distribution.
    bool Run();
    QString Error() const { return error; }
    // The Decision whose options are profiled, or -1.
    int Decision() const { return decision; }
    const std::vector<Profile> &Profiles() const { return profiles; }
    // Pairs of positions in Profiles(): the first dominates the second by
    // first-order stochastic dominance (for a rule that minimises, lower
    // totals are the better ones).
    std::vector<std::pair<size_t, size_t>> Dominance() const;
    // "Drill dominates Sell", or "no option dominates another".
    QString DominanceText() const;

private:
    Profile ProfileFrom(int nStart) const;
    bool Dominates(const Profile &a, const Profile &b) const;

    const CTreeEvaluation &evaluation;
    QString error;
    int decision = -1;
    std::vector<Profile> profiles;
};
