#pragma once

#include <QCoreApplication>
#include <QString>

class CCriteria;
class CDecisionRule;
class CNode;
struct NumberFormat;

// A node in words, for the status bar and tool tips: what it is and what it
// is worth, and what is wrong when its probabilities do not add up.
class CNodeSummary
{
    Q_DECLARE_TR_FUNCTIONS(CNodeSummary)

public:
    // Kind, name and the numbers the node has: the probability of an option
    // of a Situation or of reaching an end, an option's payoff, and the value
    // that the node stands for after the rollback.
    // Payoffs and values in the project's format (null: the plain display).
    static QString Describe(const CNode *pNode, const NumberFormat *pFormat = nullptr);

    // Why the options of pSituation are flagged; empty when nothing is wrong.
    static QString ProbabilityProblem(const CNode *pSituation);

    // A line for a node's tool tip under a risk tolerance: its certainty
    // equivalent, expected value and risk premium; empty otherwise.
    static QString RiskNote(const CNode *pNode, const CDecisionRule &rule,
                            const NumberFormat &numbers);
    // A line for a node's tool tip in a project of two criteria: an
    // option's second payoff and each node's two expected criteria; empty
    // otherwise.
    static QString CriteriaNote(const CNode *pNode, const CCriteria &criteria);
};
