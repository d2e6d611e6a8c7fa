#pragma once

#include <functional>
#include <string>
#include <vector>

// Expressions of the SilverDecisions file format (the math.js language) as
// formulas of this program, and back. Only the surface differs for what both
// languages know: comments, a few function names and constants. What cannot
// be carried over is left in the text, so that computing the formula names it
// instead of giving some number.
class CPeerExpression
{
public:
    struct Formula
    {
        std::string text;
        // Functions neither language shares under any name, each once.
        std::vector<std::string> unknownFunctions;
        // A random draw: the file's stored value stands for it.
        bool random = false;
        // Bounds of a uniform draw with plain numbers for bounds.
        bool hasBounds = false;
        double low = 0.0;
        double high = 0.0;
    };
    // Maps a variable name of the file to the project's (for a node's code
    // that overrides a name); the name itself when it is not renamed.
    using Rename = std::function<std::string(const std::string &)>;

    // The text before a "#" comment, trimmed. A probability that is "#"
    // alone is the rest, not a comment: callers look for it first.
    static std::string WithoutComment(const std::string &strText);
    // Whether the (comment-free) text is a plain number, and which.
    static bool IsNumber(const std::string &strText, double *pValue);
    static Formula ToFormula(const std::string &strText, const Rename &rename);
    // Whether the (comment-free) text is a single draw of a distribution both
    // programs know, with plain numbers for parameters; *pDistribution gets
    // it as a variable's distribution: the call as written, random() and
    // random(a, b) as Uniform.
    static bool Distribution(const std::string &strText, std::string *pDistribution);
    static std::string FromFormula(const std::string &strFormula);

    struct Statement
    {
        std::string name;
        std::string expression;
        // The comment closing its line, without the "#".
        std::string comment;
    };
    // The statements of a "code" text, one per line or separated by ";";
    // lines that are no assignment land in pBad, as written.
    static std::vector<Statement> Statements(const std::string &strCode,
                                             std::vector<std::string> *pBad);
};
