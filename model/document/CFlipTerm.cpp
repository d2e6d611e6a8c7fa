#include "CFlipTerm.h"

#include "CNode.h"
#include "CTreeFormulas.h"

#include <QLocale>
#include <QString>

#include <cctype>

namespace {
std::string Parenthesised(const std::string &strText)
{
    return "(" + strText + ")";
}
} // namespace

std::string CFlipTerm::Text() const
{
    if (!formula.empty())
        return formula;
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toStdString();
}

bool CFlipTerm::IsAtom(const std::string &strText)
{
    bool bNumber = false;
    QString::fromStdString(strText).toDouble(&bNumber);
    if (bNumber)
        return !strText.empty() && strText[0] != '-';
    if (strText.empty())
        return false;
    for (char c : strText)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.')
            return false;
    return true;
}

bool CFlipTerm::IsProduct(const std::string &strText)
{
    size_t nStart = 0;
    while (true) {
        const size_t nStar = strText.find('*', nStart);
        if (!IsAtom(strText.substr(nStart, nStar - nStart)))
            return false;
        if (nStar == std::string::npos)
            return true;
        nStart = nStar + 1;
    }
}

CFlipTerm CFlipTerm::Probability(const CNode *pOption)
{
    const std::string &strFormula = pOption->probabilityFormula;
    if (strFormula.empty())
        return CFlipTerm(pOption->probability);
    if (!CTreeFormulas::IsRest(strFormula) || !pOption->parent)
        return CFlipTerm(pOption->probability, strFormula);
    // The rest is written out in full only where a sibling is a formula:
    // beside plain numbers it is a plain number too.
    std::vector<CFlipTerm> others;
    int nRests = 0;
    bool bAllNumbers = true;
    for (const CNode *pSibling : pOption->parent->children) {
        if (CTreeFormulas::IsRest(pSibling->probabilityFormula)) {
            ++nRests;
            continue;
        }
        others.push_back(Probability(pSibling));
        bAllNumbers = bAllNumbers && others.back().IsNumber();
    }
    if (bAllNumbers)
        return CFlipTerm(pOption->probability);
    std::string strText = "1";
    for (const CFlipTerm &other : others) {
        if (other.IsNumber() && other.value == 0.0)
            continue;
        const std::string strOther = other.Text();
        strText += " - " + (IsProduct(strOther) ? strOther : Parenthesised(strOther));
    }
    if (nRests > 1)
        strText = Parenthesised(strText) + " / " + std::to_string(nRests);
    return CFlipTerm(pOption->probability, strText);
}

CFlipTerm CFlipTerm::Payoff(const CNode *pOption)
{
    if (pOption->payoffFormula.empty())
        return CFlipTerm(pOption->payoff);
    return CFlipTerm(pOption->payoff, pOption->payoffFormula);
}

CFlipTerm CFlipTerm::Payoff2(const CNode *pOption)
{
    if (pOption->payoff2Formula.empty())
        return CFlipTerm(pOption->payoff2);
    return CFlipTerm(pOption->payoff2, pOption->payoff2Formula);
}

CFlipTerm CFlipTerm::Product(const CFlipTerm &a, const CFlipTerm &b)
{
    const double dValue = a.value * b.value;
    if (a.IsNumber() && b.IsNumber())
        return CFlipTerm(dValue);
    if (a.IsNumber() && a.value == 1.0)
        return CFlipTerm(dValue, b.formula);
    if (b.IsNumber() && b.value == 1.0)
        return CFlipTerm(dValue, a.formula);
    const auto factor = [](const CFlipTerm &term) {
        const std::string strText = term.Text();
        return IsProduct(strText) ? strText : Parenthesised(strText);
    };
    return CFlipTerm(dValue, factor(a) + "*" + factor(b));
}

CFlipTerm CFlipTerm::Sum(const std::vector<CFlipTerm> &terms)
{
    double dValue = 0.0;
    bool bAllNumbers = true;
    std::string strText;
    for (const CFlipTerm &term : terms) {
        dValue += term.value;
        bAllNumbers = bAllNumbers && term.IsNumber();
        if (term.IsNumber() && term.value == 0.0)
            continue;
        std::string strTerm = term.Text();
        if (strText.empty()) {
            strText = strTerm;
            continue;
        }
        // "a - cDrill" rather than "a + (-cDrill)".
        if (strTerm[0] == '-' && IsProduct(strTerm.substr(1)))
            strText += " - " + strTerm.substr(1);
        else
            strText +=
                " + " + (strTerm[0] != '-' && strTerm.find_first_of("?:<>=&|") == std::string::npos
                             ? strTerm
                             : Parenthesised(strTerm));
    }
    if (bAllNumbers)
        return CFlipTerm(dValue);
    return CFlipTerm(dValue, strText.empty() ? "0" : strText);
}

CFlipTerm CFlipTerm::Quotient(const CFlipTerm &a, const CFlipTerm &b)
{
    const double dValue = a.value / b.value;
    if (a.IsNumber() && b.IsNumber())
        return CFlipTerm(dValue);
    const std::string strA = a.Text();
    const std::string strB = b.Text();
    return CFlipTerm(dValue, (IsProduct(strA) ? strA : Parenthesised(strA)) + " / " +
                                 (IsAtom(strB) ? strB : Parenthesised(strB)));
}
