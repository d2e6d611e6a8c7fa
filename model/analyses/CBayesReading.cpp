#include "CBayesReading.h"

#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"

#include <algorithm>
#include <cmath>

namespace {
bool SameProbabilities(const std::vector<double> &a, const std::vector<double> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (std::fabs(a[k] - b[k]) > 1e-9)
            return false;
    return true;
}
} // namespace

bool CBayesReading::Read(const CTreeEvaluation &evaluation, const std::vector<int> &situations,
                         QString *pError)
{
    const CTreeIndex &index = evaluation.Index();
    // Every Situation above one of them may be the test, the lowest first.
    std::vector<int> candidates;
    for (int n : situations)
        for (int m = index.Parent(n); m >= 0; m = index.Parent(m))
            if (index.Type(m) == NodeType::Situation && evaluation.HasOptions(m) &&
                std::find(candidates.begin(), candidates.end(), m) == candidates.end())
                candidates.push_back(m);
    *pError = tr("The Situations named \"%1\" (#%2 and #%3) differ in their probabilities, "
                 "and no Situation above them (a test whose results they follow) explains why.")
                  .arg(QString::fromStdString(index.Node(situations.front())->name))
                  .arg(CTreeIndex::IdOf(situations[0]))
                  .arg(CTreeIndex::IdOf(situations[1]));
    for (int nTest : candidates)
        if (Try(evaluation, situations, nTest, pError))
            return true;
    test = -1;
    return false;
}

bool CBayesReading::Try(const CTreeEvaluation &evaluation, const std::vector<int> &situations,
                        int nTest, QString *pError)
{
    const CTreeIndex &index = evaluation.Index();
    const QString strName = QString::fromStdString(index.Node(situations.front())->name);
    // Below each result of the test, the Situations read must agree.
    const int nResults = index.ChildCount(nTest);
    std::vector<std::vector<double>> posteriors(static_cast<size_t>(nResults));
    std::vector<int> outside;
    for (int n : situations) {
        int nResult = n;
        while (nResult >= 0 && index.Parent(nResult) != nTest)
            nResult = index.Parent(nResult);
        if (nResult < 0) {
            outside.push_back(n);
            continue;
        }
        std::vector<double> &posterior = posteriors[size_t(index.ChildPosition(nResult))];
        const std::vector<double> here = evaluation.Probabilities(n);
        if (posterior.empty()) {
            posterior = here;
        } else if (!SameProbabilities(posterior, here)) {
            *pError = tr("The Situations named \"%1\" after %2 differ in their probabilities, so "
                         "they are not one uncertainty seen through that test.")
                          .arg(strName, index.Describe(nResult));
            return false;
        }
    }
    const std::vector<double> results = evaluation.Probabilities(nTest);
    const size_t nStates = size_t(index.ChildCount(situations.front()));
    priors.assign(nStates, 0.0);
    joint.assign(nStates, std::vector<double>(size_t(nResults), 0.0));
    for (int j = 0; j < nResults; ++j) {
        if (results[size_t(j)] == 0.0)
            continue;
        if (posteriors[size_t(j)].empty()) {
            *pError = tr("%1 of Situation \"%2\" is followed by no Situation \"%3\", so the tree "
                         "gives no joint distribution of the two.")
                          .arg(index.Describe(index.FirstChild(nTest) + j),
                               QString::fromStdString(index.Node(nTest)->name), strName);
            return false;
        }
        for (size_t i = 0; i < nStates; ++i) {
            joint[i][size_t(j)] = results[size_t(j)] * posteriors[size_t(j)][i];
            priors[i] += joint[i][size_t(j)];
        }
    }
    // Where the test is not taken, the state has its prior.
    for (int n : outside)
        if (!SameProbabilities(priors, evaluation.Probabilities(n))) {
            *pError = tr("%1 is not below the test %2, and its probabilities are not the ones the "
                         "test's results give the state before it.")
                          .arg(index.Describe(n), index.Describe(nTest));
            return false;
        }
    test = nTest;
    return true;
}

std::vector<double> CBayesReading::ResultsGiven(size_t nState) const
{
    if (priors[nState] <= 0.0)
        return {};
    std::vector<double> given;
    for (const double dJoint : joint[nState])
        given.push_back(dJoint / priors[nState]);
    return given;
}
