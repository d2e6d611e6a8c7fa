#pragma once

#include "CProjectSettings.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

class CDecisionTree;

// Writes a project as a SilverDecisions file, for colleagues who use that web
// tool: the tree below the Root with its names, payoffs, probabilities and
// positions, the variables as the file's code (their low and high bounds as
// that tool's sensitivity ranges) and the rule. Formulas are written in that
// tool's language, so that reading the file back gives the same project.
class CPeerJsonWriter
{
    Q_DECLARE_TR_FUNCTIONS(CPeerJsonWriter)

public:
    // The file's bytes; empty, with a reason for the user, when the tree
    // cannot be written in that format.
    static QByteArray Write(const CDecisionTree &tree, const QString &strTitle,
                            const CProjectSettings &settings, QString *pError);
};
