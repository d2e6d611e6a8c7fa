#include "CSolveNodeJson.h"

#include "CNode.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Printable ASCII without a quote or backslash is written as it stands.
bool IsPlain(const std::string &strText)
{
    for (const char c : strText)
        if (c < 0x20 || c > 0x7e || c == '"' || c == '\\')
            return false;
    return true;
}

// A value that Qt's own wording is needed for: integral beyond what a double
// counts exactly, very small or large, or not finite.
bool IsPlainNumber(double dValue)
{
    const double dMagnitude = std::fabs(dValue);
    if (dValue == std::trunc(dValue))
        return dMagnitude < 9007199254740992.0 && !std::signbit(dValue);
    return dMagnitude >= 1e-4 && dMagnitude < 1e15;
}

void AppendMember(const char *pKey, QByteArray *pOut)
{
    *pOut += "            \"";
    *pOut += pKey;
    *pOut += "\": ";
}

void AppendText(const char *pKey, const std::string &strText, QByteArray *pOut)
{
    AppendMember(pKey, pOut);
    *pOut += '"';
    pOut->append(strText.data(), int(strText.size()));
    *pOut += "\",\n";
}

void AppendNumberMember(const char *pKey, double dValue, QByteArray *pOut)
{
    AppendMember(pKey, pOut);
    CSolveNodeJson::AppendNumber(dValue, pOut);
    *pOut += ",\n";
}

void AppendFlag(const char *pKey, bool bValue, QByteArray *pOut)
{
    AppendMember(pKey, pOut);
    *pOut += bValue ? "true,\n" : "false,\n";
}

} // namespace

void CSolveNodeJson::AppendNumber(double dValue, QByteArray *pOut)
{
    if (!IsPlainNumber(dValue)) {
        const QByteArray bracketed =
            QJsonDocument(QJsonArray{dValue}).toJson(QJsonDocument::Compact);
        pOut->append(bracketed.constData() + 1, bracketed.size() - 2);
    } else if (dValue == std::trunc(dValue)) {
        *pOut += QByteArray::number(qint64(dValue));
    } else {
        // The shortest digits that read back as the value, as Qt finds them;
        // in this range Qt writes them without an exponent.
        char digits[64];
        const std::to_chars_result written =
            std::to_chars(digits, digits + sizeof digits, dValue, std::chars_format::fixed);
        pOut->append(digits, int(written.ptr - digits));
    }
}

void CSolveNodeJson::AppendAsQtWordsIt(const QJsonObject &object, QByteArray *pOut)
{
    const QByteArray alone = QJsonDocument(object).toJson(QJsonDocument::Indented);
    for (const QByteArray &line : alone.left(alone.size() - 1).split('\n'))
        *pOut += "        " + line + '\n';
    pOut->chop(1);
}

void CSolveNodeJson::Append(const CSolveReport::Row &row, Object pObject, QByteArray *pOut)
{
    const CNode &node = *row.node;
    if (!IsPlain(node.name) || !IsPlain(node.payoffComment) || !IsPlain(node.payoffFormula) ||
        !IsPlain(node.probabilityFormula)) {
        AppendAsQtWordsIt(pObject(row), pOut);
        return;
    }
    // The keys in Qt's order, which is sorted.
    *pOut += "        {\n";
    AppendFlag("active", node.active, pOut);
    AppendFlag("chosenPath", row.chosenPath, pOut);
    AppendNumberMember("id", row.id, pOut);
    AppendText("name", node.name, pOut);
    AppendNumberMember("parentId", row.parentId, pOut);
    AppendNumberMember("payoff", node.payoff, pOut);
    AppendText("payoffComment", node.payoffComment, pOut);
    if (!node.payoffFormula.empty())
        AppendText("payoffFormula", node.payoffFormula, pOut);
    AppendNumberMember("probability", node.probability, pOut);
    if (!node.probabilityFormula.empty())
        AppendText("probabilityFormula", node.probabilityFormula, pOut);
    AppendMember("type", pOut);
    *pOut += '"';
    *pOut += CSolveReport::KindName(node.type);
    *pOut += "\",\n";
    AppendMember("value", pOut);
    AppendNumber(row.value, pOut);
    *pOut += "\n        }";
}
