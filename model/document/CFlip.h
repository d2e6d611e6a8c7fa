#pragma once

#include "CVariables.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class CNode;
class CProjectDocument;

// Turns two uncertainties around by Bayes' rule. A Situation S whose every
// option leads straight to a Situation with the same options (T) becomes a
// Situation T' with T's options, each leading to a Situation S' with S's
// options; what stood below (s, t) stands below (t, s). P(t) is the sum of
// P(s)·P(t|s), P(s|t) is P(s)·P(t|s) / P(t), and every path pays what it paid.
//
// Where a probability involved is a formula, the new ones are formulas of the
// same variables, so they follow every later change of them; each P(t) then
// gets a variable of its own ("pOpen") that the posteriors divide by.
class CFlip
{
    Q_DECLARE_TR_FUNCTIONS(CFlip)

public:
    struct Result
    {
        // T' with everything below it: fresh nodes in no tree, the caller's
        // to free. Null when refused.
        CNode *flipped = nullptr;
        // The project's variables with those for each P(t) added.
        CVariables variables;
        // Why S cannot be flipped, naming the node and what differs.
        QString refusal;
        // Branches that can never be seen (P(t) is 0) and so keep the priors.
        QStringList notes;
    };

    // Empty when pSituation can be flipped; otherwise why not.
    static QString Refusal(const CNode *pSituation);
    // The flipped subtree of pSituation, with the values the nodes hold now.
    static Result Build(const CNode *pSituation, const CVariables &variables);
    // Flips pSituation inside the document as one change; false with
    // *pError set when it cannot be flipped. Notes, when asked for, receive
    // the branches that kept their priors.
    static bool Apply(CProjectDocument &document, CNode *pSituation, QString *pError,
                      QStringList *pNotes = nullptr);
};
