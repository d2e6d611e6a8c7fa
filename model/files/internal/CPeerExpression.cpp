#include "CPeerExpression.h"

#include "CFormula.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

bool IsNamePart(char c)
{
    return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

std::string Trimmed(const std::string &strText)
{
    return QString::fromStdString(strText).trimmed().toStdString();
}

// How a function call of the file is written here: what stands for its
// opening, for each comma between its arguments and for its closing.
struct Call
{
    std::string open;
    std::string comma;
    std::string close;
    // Where the call starts in the output, and what goes there once a
    // comma shows it has more than one argument.
    size_t at = 0;
    std::string before;
    bool several = false;
};

bool Translated(const std::string &strName, Call *pCall)
{
    // log(x) is the natural logarithm there and log(x, base) a logarithm to
    // any base; both are written with ln, which means the same in either,
    // the second as (ln(x)/ln(base)).
    if (strName == "log")
        *pCall = {"ln(", ")/ln(", ")", 0, "(", false};
    else if (strName == "pow")
        *pCall = {"((", ")^(", "))", 0, "", false};
    else if (strName == "square")
        *pCall = {"((", ",", ")^2)", 0, "", false};
    else if (strName == "cube")
        *pCall = {"((", ",", ")^3)", 0, "", false};
    else if (strName == "mean")
        *pCall = {"avg(", ",", ")", 0, "", false};
    else
        return false;
    return true;
}

// The draws of the file format's library; their stored value stands for them.
bool IsRandom(const std::string &strName)
{
    static const char *const draws[] = {
        "random", "randomInt", "uniform", "normal", "logNormal", "triangular", "exponential",
        "poisson", "binomial", "beta", "gamma", "weibull", "pickRandom", "bernoulli", "lognormal",
        "pert", "geometric", "hypergeometric",
        // The tool's own distribution functions, as its files spell them.
        "Uniform", "Normal", "LogNormal", "Exponential", "Gamma", "Weibull", "Triangular",
        "Trapezoidal", "Pareto", "Loglogistic", "Erlang", "Bernoulli", "Binomial", "Geometric",
        "Poisson"};
    return std::any_of(std::begin(draws), std::end(draws),
                       [&strName](const char *pDraw) { return strName == pDraw; });
}

bool IsKnownFunction(const std::string &strName)
{
    static const std::vector<std::string> known = CFormula::FunctionNames();
    return std::find(known.begin(), known.end(), strName) != known.end();
}

// Whether a call of the file's function strName becomes a call here: a draw,
// a function translated or one both languages share. The formula language
// allows no blank between a function and its parenthesis, so such a call
// loses the blanks the file has there; any other keeps them, being no call
// that can be made either way, and so reads back as it was written.
bool BecomesCall(const std::string &strName)
{
    Call translated;
    return IsRandom(strName) || Translated(strName, &translated) || IsKnownFunction(strName);
}

std::string Constant(const std::string &strName)
{
    if (strName == "pi" || strName == "PI")
        return "_pi";
    if (strName == "e" || strName == "E")
        return "_e";
    if (strName == "true")
        return "1";
    if (strName == "false")
        return "0";
    if (strName == "and")
        return "&&";
    if (strName == "or")
        return "||";
    return strName;
}

size_t NumberEnd(const std::string &strText, size_t i)
{
    while (i < strText.size() &&
           (std::isdigit(static_cast<unsigned char>(strText[i])) || strText[i] == '.'))
        ++i;
    if (i < strText.size() && (strText[i] == 'e' || strText[i] == 'E')) {
        size_t j = i + 1;
        if (j < strText.size() && (strText[j] == '+' || strText[j] == '-'))
            ++j;
        if (j < strText.size() && std::isdigit(static_cast<unsigned char>(strText[j]))) {
            i = j;
            while (i < strText.size() && std::isdigit(static_cast<unsigned char>(strText[i])))
                ++i;
        }
    }
    return i;
}

void Bounds(const std::string &strText, CPeerExpression::Formula *pFormula)
{
    static const QRegularExpression unit(QStringLiteral(R"(^\s*random\s*\(\s*\)\s*$)"));
    static const QRegularExpression range(QStringLiteral(
        R"(^\s*(?:random|randomInt|uniform|Uniform)\s*\(\s*([-+]?[0-9.eE+-]+)\s*,\s*([-+]?[0-9.eE+-]+)\s*\)\s*$)"));
    const QString strExpression = QString::fromStdString(strText);
    if (unit.match(strExpression).hasMatch()) {
        pFormula->hasBounds = true;
        pFormula->low = 0.0;
        pFormula->high = 1.0;
        return;
    }
    const QRegularExpressionMatch match = range.match(strExpression);
    bool bLow = false;
    bool bHigh = false;
    const double dLow = match.captured(1).toDouble(&bLow);
    const double dHigh = match.captured(2).toDouble(&bHigh);
    if (match.hasMatch() && bLow && bHigh && std::isfinite(dLow) && std::isfinite(dHigh)) {
        pFormula->hasBounds = true;
        pFormula->low = std::min(dLow, dHigh);
        pFormula->high = std::max(dLow, dHigh);
    }
}

} // namespace

bool CPeerExpression::Distribution(const std::string &strText, std::string *pDistribution)
{
    // Those the analysis draws from as the tool does; Pareto, Loglogistic,
    // Erlang and Geometric stay draws frozen at their stored value.
    static const QRegularExpression call(QStringLiteral(
        R"(^\s*(random|Uniform|Normal|LogNormal|Exponential|Gamma|Weibull|Triangular|)"
        R"(Trapezoidal|Bernoulli|Binomial|Poisson)\s*\(([-+0-9.eE,\s]*)\)\s*$)"));
    const QRegularExpressionMatch match = call.match(QString::fromStdString(strText));
    if (!match.hasMatch())
        return false;
    const QStringList parameters = match.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &strParameter : parameters) {
        bool bNumber = false;
        if (!std::isfinite(strParameter.trimmed().toDouble(&bNumber)) || !bNumber)
            return false;
    }
    if (match.captured(1) != QLatin1String("random")) {
        if (parameters.isEmpty())
            return false;
        *pDistribution = Trimmed(strText);
        return true;
    }
    if (!parameters.isEmpty() && parameters.size() != 2)
        return false;
    *pDistribution = parameters.isEmpty()
                         ? std::string("Uniform(0, 1)")
                         : QStringLiteral("Uniform(%1, %2)")
                               .arg(parameters[0].trimmed(), parameters[1].trimmed())
                               .toStdString();
    return true;
}

std::string CPeerExpression::WithoutComment(const std::string &strText)
{
    return Trimmed(strText.substr(0, strText.find('#')));
}

bool CPeerExpression::IsNumber(const std::string &strText, double *pValue)
{
    bool bOk = false;
    const double dValue = QString::fromStdString(strText).trimmed().toDouble(&bOk);
    if (!bOk || !std::isfinite(dValue))
        return false;
    *pValue = dValue;
    return true;
}

CPeerExpression::Formula CPeerExpression::ToFormula(const std::string &strText,
                                                    const Rename &rename)
{
    Formula result;
    const std::string strSource = WithoutComment(strText);
    // Open parentheses, each with how its commas and its end are written;
    // a stack rather than a recursion, so any nesting is safe.
    std::vector<Call> open;
    std::string &out = result.text;
    size_t i = 0;
    while (i < strSource.size()) {
        const char c = strSource[i];
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && i + 1 < strSource.size() &&
             std::isdigit(static_cast<unsigned char>(strSource[i + 1])))) {
            const size_t nEnd = NumberEnd(strSource, i);
            out += strSource.substr(i, nEnd - i);
            i = nEnd;
            continue;
        }
        if (IsNameStart(c)) {
            size_t nEnd = i;
            while (nEnd < strSource.size() && IsNamePart(strSource[nEnd]))
                ++nEnd;
            const std::string strName = strSource.substr(i, nEnd - i);
            size_t nAfter = nEnd;
            while (nAfter < strSource.size() && strSource[nAfter] == ' ')
                ++nAfter;
            i = nEnd;
            // "and" and "or" are operators, never calls, whatever follows them.
            const bool bOperator = strName == "and" || strName == "or";
            if (!bOperator && nAfter < strSource.size() && strSource[nAfter] == '(') {
                Call call{strName + "(", ",", ")", 0, "", false};
                if (IsRandom(strName)) {
                    result.random = true;
                } else if (!BecomesCall(strName)) {
                    call.open = strName + strSource.substr(nEnd, nAfter + 1 - nEnd);
                    if (std::find(result.unknownFunctions.begin(), result.unknownFunctions.end(),
                                  strName) == result.unknownFunctions.end())
                        result.unknownFunctions.push_back(strName);
                } else {
                    Translated(strName, &call);
                }
                call.at = out.size();
                out += call.open;
                open.push_back(call);
                i = nAfter + 1;
                continue;
            }
            const std::string strVariable = rename(strName);
            out += strVariable.empty() ? Constant(strName) : strVariable;
            continue;
        }
        if (c == '(') {
            out += c;
            open.push_back({"(", ",", ")", 0, "", false});
        } else if (c == ',' && !open.empty()) {
            out += open.back().comma;
            open.back().several = true;
        } else if (c == ')' && !open.empty()) {
            const Call &call = open.back();
            // Calls inside this one are closed, and those around it start
            // before it: nothing recorded moves.
            if (call.several && !call.before.empty()) {
                out.insert(call.at, call.before);
                out += ')';
            }
            out += call.close;
            open.pop_back();
        } else {
            out += c;
        }
        ++i;
    }
    if (result.random)
        Bounds(strSource, &result);
    return result;
}

std::string CPeerExpression::FromFormula(const std::string &strFormula)
{
    std::string out;
    size_t i = 0;
    while (i < strFormula.size()) {
        const char c = strFormula[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            const size_t nEnd = NumberEnd(strFormula, i);
            out += strFormula.substr(i, nEnd - i);
            i = nEnd;
        } else if (IsNameStart(c)) {
            size_t nEnd = i;
            while (nEnd < strFormula.size() && IsNamePart(strFormula[nEnd]))
                ++nEnd;
            const std::string strName = strFormula.substr(i, nEnd - i);
            const std::string strWritten = strName == "ln"    ? std::string("log")
                                           : strName == "_pi" ? std::string("pi")
                                           : strName == "_e"  ? std::string("e")
                                           : strName == "avg" ? std::string("mean")
                                                              : strName;
            out += strWritten;
            i = nEnd;
            // Blanks before the parenthesis of a call are lost in reading
            // (BecomesCall): written without them, it reads back the same.
            size_t nAfter = nEnd;
            while (nAfter < strFormula.size() && strFormula[nAfter] == ' ')
                ++nAfter;
            if (nAfter > nEnd && nAfter < strFormula.size() && strFormula[nAfter] == '(' &&
                strWritten != "and" && strWritten != "or" && BecomesCall(strWritten))
                i = nAfter;
        } else if (strFormula.compare(i, 2, "&&") == 0 || strFormula.compare(i, 2, "||") == 0) {
            // Spaced as words must be, but no space is added beside one that
            // is there: what reads back as "||" must write the same text again.
            if (!out.empty() && !std::isspace(static_cast<unsigned char>(out.back())))
                out += ' ';
            out += c == '&' ? "and" : "or";
            i += 2;
            if (i < strFormula.size() && !std::isspace(static_cast<unsigned char>(strFormula[i])))
                out += ' ';
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::vector<CPeerExpression::Statement> CPeerExpression::Statements(const std::string &strCode,
                                                                    std::vector<std::string> *pBad)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_$][A-Za-z0-9_$]*$"));
    std::vector<Statement> statements;
    // A comment runs to the end of its line, across any ";" in it.
    const QStringList lines = QString::fromStdString(strCode).split(QLatin1Char('\n'));
    for (const QString &strLine : lines) {
        const QString strCodeOnly = QString::fromStdString(WithoutComment(strLine.toStdString()));
        const int nComment = strLine.indexOf(QLatin1Char('#'));
        const std::string strComment =
            nComment < 0 ? std::string() : strLine.mid(nComment + 1).trimmed().toStdString();
        for (const QString &strPart : strCodeOnly.split(QLatin1Char(';'))) {
            const QString strStatement = strPart.trimmed();
            if (strStatement.isEmpty())
                continue;
            // The first "=" that is no comparison.
            int nAt = -1;
            for (int n = 0; n < strStatement.size() && nAt < 0; ++n)
                if (strStatement[n] == QLatin1Char('=') &&
                    (n + 1 >= strStatement.size() || strStatement[n + 1] != QLatin1Char('=')) &&
                    (n == 0 || !QStringLiteral("<>!=").contains(strStatement[n - 1])))
                    nAt = n;
            const QString strName = nAt < 0 ? QString() : strStatement.left(nAt).trimmed();
            if (!name.match(strName).hasMatch()) {
                if (pBad)
                    pBad->push_back(strStatement.toStdString());
                continue;
            }
            statements.push_back(
                {strName.toStdString(), strStatement.mid(nAt + 1).trimmed().toStdString(), {}});
        }
        if (!statements.empty() && !strComment.empty())
            statements.back().comment = strComment;
    }
    return statements;
}
