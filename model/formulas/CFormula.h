#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mu {
class Parser;
}

// One formula of the formula language: the operators and functions of the
// muparser library (+ - * / ^, comparisons, "?:", min, max, abs, sqrt, exp,
// ln, sin and so on) over named variables. This is the only place that knows
// the library, so nothing else includes its headers and no exception of it
// gets past this class: every failure comes back as a sentence.
class CFormula
{
    Q_DECLARE_TR_FUNCTIONS(CFormula)

public:
    // Where a variable's value is kept; null for a name that is no variable.
    using Finder = std::function<double *(const std::string &)>;

    // Reads the text at once and ties each name it uses to the place fnFind
    // gives for it; those places must stay where they are for as long as the
    // formula is evaluated. Error() tells whether that worked: a syntax error
    // or a name fnFind knows nothing of makes the formula unusable.
    CFormula(const std::string &strText, const Finder &fnFind);
    CFormula(const CFormula &) = delete;
    CFormula &operator=(const CFormula &) = delete;
    ~CFormula();

    const std::string &Text() const { return text; }
    // Empty while the formula is usable; otherwise why not.
    const QString &Error() const { return error; }
    bool IsValid() const { return error.isEmpty(); }
    // The variable names the formula uses, sorted, each once.
    const std::vector<std::string> &Names() const { return names; }

    // The value with the values kept now; false, with *pError telling why,
    // for a formula that cannot be read or bound and for a result that is not
    // a finite number (a division by 0, the root of a negative number).
    bool Evaluate(double *pValue, QString *pError) const;

    // True for the names the language keeps for itself (functions, constants).
    static bool IsReservedName(const std::string &strName);
    // Empty when strName may name a variable; otherwise a sentence why not.
    static QString NameProblem(const std::string &strName);
    // The text with every use of the variable strOld renamed to strNew;
    // numbers such as 1e5 and longer names that begin alike stay as they are.
    // pWords, when given, collects every name met on the way.
    static std::string Rename(const std::string &strText, const std::string &strOld,
                              const std::string &strNew,
                              std::vector<std::string> *pWords = nullptr);
    // The names a text mentions, found without reading it as a formula:
    // quick enough to count uses over a whole tree.
    static std::vector<std::string> NamesIn(const std::string &strText);
    // The names of the language's functions, for the guide and messages.
    static std::vector<std::string> FunctionNames();

private:
    static double *Place(const char *pName, void *pFormula);

    std::string text;
    const Finder *finder = nullptr; // only while reading
    std::vector<std::string> unknown;
    // Where an unknown name points, so that reading can go on to the end.
    double nowhere = 0.0;
    QString error;
    std::vector<std::string> names;
    std::unique_ptr<mu::Parser> parser;
};
