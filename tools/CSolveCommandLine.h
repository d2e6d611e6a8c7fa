#pragma once

#include "CDecisionRule.h"
#include "CSolveAnalysis.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The command line of ramify-solve: its options, the table of analyses it
// can ask for, and every check that needs no file, so that a wrong command
// line is a usage error whatever the file holds.
class CSolveCommandLine
{
public:
    CSolveCommandLine();

    // Reads arguments; a usage error when they are wrong. Help is printed
    // here, and help is then true.
    CSolveAnalysis::Outcome Parse(const QStringList &arguments);
    // The project's rule, replaced by the one on the command line; a risk
    // tolerance from the file does not carry over to a rule that has none.
    bool Rule(const CDecisionRule &fileRule, CDecisionRule *pRule, QString *pError) const;

    bool help = false;
    QString file;
    int tree = 1;
    CSolveAnalysis::Form form = CSolveAnalysis::Form::Text;
    // The analysis asked for, or the report.
    std::unique_ptr<CSolveAnalysis> analysis;
    // --set, in the order given.
    std::vector<std::pair<std::string, double>> settings;
    // The Situation --flip names; null when none.
    QString flip;
    bool write = false;
    QString out;
    // Standard output carries either the project or the result, never both.
    bool ToStandardOutput() const { return write && out == QLatin1String("-"); }

private:
    // An analysis the command line asks for by its option.
    struct Entry
    {
        QCommandLineOption option;
        bool stepped; // takes --steps
        bool pair;    // takes a second range, standing before the file
        std::unique_ptr<CSolveAnalysis> (*make)();
    };
    CSolveAnalysis::Outcome Check(const Entry *pChosen, const QString &strSecond);

    QCommandLineParser parser;
    const std::vector<Entry> table;
    QString rule;
    QString tolerance;
};
