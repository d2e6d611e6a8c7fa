#pragma once

#include <QCoreApplication>
#include <QString>

#include <vector>

class CTreeEvaluation;

// Situations that share a name but whose probabilities differ from branch to
// branch, because a test stands above them, are one uncertainty seen through
// the test's results: the oil after "open" and after "closed". The test is
// the lowest Situation above all of them; below each of its results they
// agree. Bayes' rule then gives the joint distribution of result and state,
// which puts the state in front, as a flip of the two would.
class CBayesReading
{
    Q_DECLARE_TR_FUNCTIONS(CBayesReading)

public:
    // False, with *pError naming the Situations and why, where the tree
    // gives no such reading of them.
    bool Read(const CTreeEvaluation &evaluation, const std::vector<int> &situations,
              QString *pError);

    // The test's node in the evaluation's index.
    int test = -1;
    // P(s) of each state (option of the Situations read).
    std::vector<double> priors;
    // P(s and t), by state, then by result (option of the test).
    std::vector<std::vector<double>> joint;
    // P(t | s): what the test's probabilities become once the state is known;
    // empty for a state that has probability 0.
    std::vector<double> ResultsGiven(size_t nState) const;

private:
    bool Try(const CTreeEvaluation &evaluation, const std::vector<int> &situations, int nTest,
             QString *pError);
};
