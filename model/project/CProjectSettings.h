#pragma once

#include "CDecisionRule.h"
#include "TextNumber.h"

class QXmlStreamAttributes;
class QXmlStreamWriter;

// What a project decides for itself beyond its tree, kept as attributes of
// the file's project element. Every field has a default that a file without
// the attribute reads as, and a default is not written, so that files of
// projects that never changed a setting stay as they were.
//
// "Arrange Automatically" is not here: it is the user's way of working, the
// same for every project open, not something a project file should carry.
struct CProjectSettings
{
    bool operator==(const CProjectSettings &other) const;
    bool operator!=(const CProjectSettings &other) const { return !(*this == other); }

    // Takes the attributes this struct knows; others are left to their readers.
    void ReadAttributes(const QXmlStreamAttributes &attributes);
    void WriteAttributes(QXmlStreamWriter &writer) const;
    // "Rule" and "RiskTolerance"; false, with the reason, for a value this
    // program does not know: reading on under another rule would show other
    // choices, and saving would drop the one the file asked for.
    bool ReadRule(const QXmlStreamAttributes &attributes, QString *pError);

    // How the tree is rolled back.
    CDecisionRule rule;
    // How payoffs and values are shown.
    NumberFormat numbers;
};
