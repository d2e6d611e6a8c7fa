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

// The library reads a lone "=" as setting the variable on its left, which
// would let one formula change a value every other formula reads, and give
// another number each time it is computed. Comparisons ("==", "<=", ">=",
// "!=") are read first, as the library's own reader takes the longest
// operator.
bool SetsAVariable(const std::string &strText)
{
    for (size_t i = 0; i < strText.size(); ++i) {
        const char c = strText[i];
        const bool bComparison = (c == '<' || c == '>' || c == '!' || c == '=') &&
                                 i + 1 < strText.size() && strText[i + 1] == '=';
        if (bComparison)
            ++i;
        else if (c == '=')
            return true;
    }
    return false;
}

} // namespace

CFormula::CFormula(const std::string &strText, const Finder &fnFind)
    : text(strText), finder(&fnFind), parser(std::make_unique<mu::Parser>(Reference()))
{
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        error = tr("The formula is empty.");
        return;
    }
    if (SetsAVariable(text)) {
        error = tr("\"%1\" cannot be read: a formula cannot set a variable (to compare, "
                   "write ==).")
                    .arg(QString::fromStdString(text));
        return;
    }
    try {
        // One reading checks the syntax, meets each name (through Place) and
        // compiles; later evaluations only run what was compiled. Copying a
        // parser that knows its functions is cheaper than a new one.
        parser->SetVarFactory(&CFormula::Place, this);
        parser->SetExpr(text);
        parser->Eval();
        if (parser->GetNumResults() != 1)
            error = tr("\"%1\" gives more than one value.").arg(QString::fromStdString(text));
    } catch (const mu::ParserError &failure) {
        error = tr("\"%1\" cannot be read: %2")
                    .arg(QString::fromStdString(text), QString::fromStdString(failure.GetMsg()));
    }
    finder = nullptr;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (error.isEmpty() && !unknown.empty())
        error = tr("\"%1\" is not a variable of the project.")
                    .arg(QString::fromStdString(unknown.front()));
}

CFormula::~CFormula() = default;

double *CFormula::Place(const char *pName, void *pFormula)
{
    auto *pThis = static_cast<CFormula *>(pFormula);
    const std::string strName(pName);
    pThis->names.push_back(strName);
    double *pPlace = pThis->finder ? (*pThis->finder)(strName) : nullptr;
    if (pPlace)
        return pPlace;
    pThis->unknown.push_back(strName);
    return &pThis->nowhere;
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
                             const std::string &strNew, std::vector<std::string> *pWords)
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
        if (!bInNumber && pWords)
            pWords->push_back(strWord);
        strResult += !bInNumber && strWord == strOld ? strNew : strWord;
        i = nEnd;
    }
    return strResult;
}

std::vector<std::string> CFormula::NamesIn(const std::string &strText)
{
    std::vector<std::string> found;
    // Rename walks the words the same way; renaming each to itself collects them.
    Rename(strText, std::string(1, '\0'), std::string(), &found);
    return found;
}

std::vector<std::string> CFormula::FunctionNames()
{
    std::vector<std::string> result;
    for (const auto &function : Reference().GetFunDef())
        result.push_back(function.first);
    return result;
}
