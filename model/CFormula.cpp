#include "CFormula.h"

#include <muParser.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// The library's functions and constants, read once from a parser of its own.
const mu::Parser &Reference()
{
    static const mu::Parser reference;
    return reference;
}

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IsNamePart(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

CFormula::CFormula(const std::string &strText) : text(strText), parser(new mu::Parser)
{
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        error = tr("The formula is empty.");
        return;
    }
    try {
        parser->SetExpr(text);
        // Reading for the names used also checks the syntax; the names are not
        // bound yet, so their values do not matter here.
        for (const auto &used : parser->GetUsedVar())
            names.push_back(used.first);
    } catch (const mu::ParserError &failure) {
        error = tr("\"%1\" cannot be read: %2")
                    .arg(QString::fromStdString(text), QString::fromStdString(failure.GetMsg()));
    }
}

CFormula::~CFormula() = default;

bool CFormula::Bind(const std::function<double *(const std::string &)> &fnFind)
{
    if (!IsValid())
        return false;
    try {
        parser->ClearVar();
        for (const std::string &strName : names) {
            double *pPlace = fnFind(strName);
            if (!pPlace) {
                error = tr("\"%1\" is not a variable of the project.")
                            .arg(QString::fromStdString(strName));
                return false;
            }
            parser->DefineVar(strName, pPlace);
        }
        // The first evaluation compiles the formula; later ones only run it.
        parser->Eval();
        if (parser->GetNumResults() != 1)
            error = tr("\"%1\" gives more than one value.").arg(QString::fromStdString(text));
    } catch (const mu::ParserError &failure) {
        error = tr("\"%1\" cannot be read: %2")
                    .arg(QString::fromStdString(text), QString::fromStdString(failure.GetMsg()));
    }
    return IsValid();
}

bool CFormula::Evaluate(double *pValue, QString *pError) const
{
    if (!IsValid()) {
        *pError = error;
        return false;
    }
    double dValue = 0.0;
    try {
        dValue = parser->Eval();
    } catch (const mu::ParserError &failure) {
        *pError = tr("\"%1\" cannot be computed: %2")
                      .arg(QString::fromStdString(text), QString::fromStdString(failure.GetMsg()));
        return false;
    }
    // A result that is not a number would spread through every sum above it.
    if (!std::isfinite(dValue)) {
        *pError = tr("\"%1\" gives %2, not a finite number.")
                      .arg(QString::fromStdString(text), QString::number(dValue));
        return false;
    }
    *pValue = dValue;
    return true;
}

bool CFormula::IsReservedName(const std::string &strName)
{
    const mu::Parser &reference = Reference();
    return reference.GetFunDef().count(strName) != 0 || reference.GetConst().count(strName) != 0;
}

QString CFormula::NameProblem(const std::string &strName)
{
    const QString strShown = QString::fromStdString(strName);
    if (strName.empty())
        return tr("A variable needs a name.");
    if (!IsNameStart(strName.front()) || !std::all_of(strName.begin(), strName.end(), IsNamePart))
        return tr("\"%1\" is not a name: use letters, digits and _, starting with a letter or _.")
            .arg(strShown);
    if (IsReservedName(strName))
        return tr("\"%1\" is the name of a function.").arg(strShown);
    return QString();
}

std::string CFormula::Rename(const std::string &strText, const std::string &strOld,
                             const std::string &strNew)
{
    std::string strResult;
    strResult.reserve(strText.size());
    size_t i = 0;
    while (i < strText.size()) {
        const char c = strText[i];
        if (!IsNameStart(c)) {
            strResult += c;
            ++i;
            continue;
        }
        size_t nEnd = i;
        while (nEnd < strText.size() && IsNamePart(strText[nEnd]))
            ++nEnd;
        const std::string strWord = strText.substr(i, nEnd - i);
        // A word right after a digit or point is part of a number ("1e5").
        const bool bInNumber = i > 0 && (std::isdigit(static_cast<unsigned char>(strText[i - 1])) ||
                                         strText[i - 1] == '.');
        strResult += !bInNumber && strWord == strOld ? strNew : strWord;
        i = nEnd;
    }
    return strResult;
}

std::vector<std::string> CFormula::FunctionNames()
{
    std::vector<std::string> result;
    for (const auto &function : Reference().GetFunDef())
        result.push_back(function.first);
    return result;
}
