#pragma once

struct CProjectSettings;
class QString;
class QXmlStreamAttributes;
class QXmlStreamWriter;

// A project's settings as attributes of the file's project element. Every
// field has a default that a file without the attribute reads as, and a
// default is not written, so that files of projects that never changed a
// setting stay as they were.
class CSettingsAttributes
{
public:
    // Takes the attributes of the number format; others are left to their readers.
    static void Read(const QXmlStreamAttributes &attributes, CProjectSettings *pSettings);
    static void Write(QXmlStreamWriter &writer, const CProjectSettings &settings);
    // "Rule" and "RiskTolerance"; false, with the reason, for a value this
    // program does not know: reading on under another rule would show other
    // choices, and saving would drop the one the file asked for.
    static bool ReadRule(const QXmlStreamAttributes &attributes, CProjectSettings *pSettings,
                         QString *pError);
    // "Criteria" and what goes with it; false, with the reason, for a weight
    // or a range that cannot be used.
    static bool ReadCriteria(const QXmlStreamAttributes &attributes, CProjectSettings *pSettings,
                             QString *pError);
};
