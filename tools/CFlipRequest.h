#pragma once

#include <QCoreApplication>
#include <QString>

class CProjectDocument;

// --flip NODE: the Situation NODE names (by its name where no other node has
// it, or as "#ID") turned around with the one after it, in the document.
class CFlipRequest
{
    Q_DECLARE_TR_FUNCTIONS(CFlipRequest)

public:
    // False with *pError naming the node and why, when NODE names no
    // Situation or its shape cannot be flipped. Branches that keep their
    // priors are told on standard error.
    static bool Apply(CProjectDocument &document, const QString &strNode, QString *pError);
};
