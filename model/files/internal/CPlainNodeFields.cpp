#include "CPlainNodeFields.h"

#include <cfloat>
#include <charconv>
#include <cmath>

CPlainNodeFields::CPlainNodeFields(const std::vector<CPlainXmlScanner::Attribute> &attributes)
{
    for (const CPlainXmlScanner::Attribute &attribute : attributes) {
        for (size_t n = 0; n < size_t(NodeField::Count); ++n) {
            if (attribute.name == NodeFieldNames[n]) {
                values[n] = attribute.value;
                present[n] = true;
                break;
            }
        }
    }
}

int CPlainNodeFields::Integer(NodeField field) const
{
    quint32 nValue = 0;
    return Digits(Value(field), &nValue) ? int(nValue) : Qt(field).toInt();
}

quint32 CPlainNodeFields::Unsigned(NodeField field) const
{
    quint32 nValue = 0;
    return Digits(Value(field), &nValue) ? nValue : Qt(field).toUInt();
}

double CPlainNodeFields::Number(NodeField field) const
{
    const std::string_view text = Value(field);
    if (text == "0")
        return 0.0;
    double dValue = 0.0;
    if (IsDecimal(text)) {
        const auto [pEnd, error] = std::from_chars(text.data(), text.data() + text.size(), dValue);
        // Both conversions round correctly; where the range ends, Qt decides.
        if (error == std::errc() && pEnd == text.data() + text.size() && std::isfinite(dValue) &&
            std::fabs(dValue) >= DBL_MIN)
            return dValue;
    }
    return Qt(field).toDouble();
}

QString CPlainNodeFields::Qt(NodeField field) const
{
    const std::string_view text = Value(field);
    return QString::fromUtf8(text.data(), int(text.size()));
}

bool CPlainNodeFields::Digits(std::string_view text, quint32 *pValue)
{
    if (text.empty() || text.size() > 9)
        return false;
    quint32 nValue = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        nValue = nValue * 10 + quint32(c - '0');
    }
    *pValue = nValue;
    return true;
}

bool CPlainNodeFields::IsDecimal(std::string_view text)
{
    if (text.size() > 40)
        return false;
    size_t i = 0;
    const auto digits = [&text, &i] {
        const size_t nFrom = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - nFrom;
    };
    if (i < text.size() && text[i] == '-')
        ++i;
    const size_t nFirst = i;
    const size_t nWhole = digits();
    if (nWhole == 0 || (nWhole > 1 && text[nFirst] == '0'))
        return false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digits() == 0)
            return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const size_t nExponent = digits();
        if (nExponent == 0 || nExponent > 3)
            return false;
    }
    return i == text.size();
}
