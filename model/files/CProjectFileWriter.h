#pragma once

#include "CProjectSettings.h"

#include <QString>

class CNode;
class CVariables;
class QIODevice;

// Writes the XML of a project file. Stateless.
class CProjectFileWriter
{
public:
    // Writes the document for the tree below pRoot (not null) and its
    // variables to the device. A project without variables and formulas is
    // written as version 1, byte for byte as before they existed, so older
    // readers keep reading it. Returns false when the XML writer reports a
    // failed write.
    static bool Write(QIODevice &device, const CNode *pRoot, const QString &strProjectName,
                      const CProjectSettings &settings = CProjectSettings(),
                      const CVariables *pVariables = nullptr);

    // The general format with 6 significant digits, or with more, up to 17,
    // when 6 would not read back as exactly the same double.
    static QString FormatNumber(double dValue);

    // The text without the characters that XML 1.0 cannot carry: control
    // characters other than tab, line feed and carriage return, U+FFFE, U+FFFF
    // and unpaired surrogates.
    static QString XmlSafe(const QString &strText);
};
