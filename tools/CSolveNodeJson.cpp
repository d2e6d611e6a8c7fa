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
    // Qt keeps an integral value that a double counts exactly as an integer;
    // any other it words in the shortest digits that read back as the value,
    // without an exponent from 1e-4 on, with one (of two digits at least)
    // below. Minus zero, values from 1e15 on and those not finite are left
    // to Qt's own wording.
    const double dMagnitude = std::fabs(dValue);
    char digits[64];
    char *pEnd = nullptr;
    if (dValue == std::trunc(dValue)) {
        if (dMagnitude < 9007199254740992.0 && !(dValue == 0.0 && std::signbit(dValue)))
            pEnd = std::to_chars(digits, digits + sizeof digits, qint64(dValue)).ptr;
    } else if (dMagnitude >= 1e-4 && dMagnitude < 1e15) {
        pEnd = std::to_chars(digits, digits + sizeof digits, dValue, std::chars_format::fixed).ptr;
    } else if (dMagnitude < 1e-4) {
        pEnd = std::to_chars(digits, digits + sizeof digits, dValue, std::chars_format::scientific)
                   .ptr;
    }
    if (pEnd) {
        pOut->append(digits, int(pEnd - digits));
        return;
    }
    const QByteArray bracketed = QJsonDocument(QJsonArray{dValue}).toJson(QJsonDocument::Compact);
    pOut->append(bracketed.constData() + 1, bracketed.size() - 2);
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
