#pragma once

#include <string>
#include <vector>

class CNode;

// A probability or payoff as a flip writes it: its value now and, unless it
// is a plain number, the formula text it stands for. Products, sums and
// quotients of terms are written as a person would write them, with
// parentheses only where the order of operations needs them.
class CFlipTerm
{
public:
    CFlipTerm() = default;
    explicit CFlipTerm(double dValue) : value(dValue) {}
    CFlipTerm(double dValue, std::string strFormula) : value(dValue), formula(std::move(strFormula))
    {
    }

    // What an option's probability stands for; "#" is written out as the
    // rest of its Situation, and is a plain number where its siblings are.
    static CFlipTerm Probability(const CNode *pOption);
    static CFlipTerm Payoff(const CNode *pOption);
    // The second payoff, in a project of two criteria.
    static CFlipTerm Payoff2(const CNode *pOption);

    static CFlipTerm Product(const CFlipTerm &a, const CFlipTerm &b);
    // Terms that are a plain 0 are left out.
    static CFlipTerm Sum(const std::vector<CFlipTerm> &terms);
    static CFlipTerm Quotient(const CFlipTerm &a, const CFlipTerm &b);

    bool IsNumber() const { return formula.empty(); }
    // The formula, or the shortest text that reads back as the value.
    std::string Text() const;

    // A name or a number: never needs parentheses.
    static bool IsAtom(const std::string &strText);

    double value = 0.0;
    std::string formula;

private:
    // Atoms joined by "*" alone.
    static bool IsProduct(const std::string &strText);
};
