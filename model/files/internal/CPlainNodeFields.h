#pragma once

#include "CPlainXmlScanner.h"
#include "NodeField.h"

#include <QString>
#include <QtGlobal>

#include <string>
#include <string_view>
#include <vector>

// A node's attributes as the plain scan gives them: UTF-8 that holds only
// characters XML allows, so a text is kept byte for byte. Numbers in the
// forms Ramify writes are read here; every other form goes to Qt, whose
// reading of it (or not) stands.
class CPlainNodeFields
{
public:
    explicit CPlainNodeFields(const std::vector<CPlainXmlScanner::Attribute> &attributes);
    bool Has(NodeField field) const { return present[size_t(field)]; }
    bool IsEmpty(NodeField field) const { return Value(field).empty(); }
    bool IsOne(NodeField field) const { return Value(field) == "1"; }
    int Integer(NodeField field) const;
    quint32 Unsigned(NodeField field) const;
    double Number(NodeField field) const;
    std::string Text(NodeField field) const { return std::string(Value(field)); }

private:
    std::string_view Value(NodeField field) const { return values[size_t(field)]; }
    QString Qt(NodeField field) const;
    // One to nine decimal digits, which no conversion reads otherwise.
    static bool Digits(std::string_view text, quint32 *pValue);
    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]{1,3})?, as the writer puts
    // numbers.
    static bool IsDecimal(std::string_view text);

    std::string_view values[size_t(NodeField::Count)];
    bool present[size_t(NodeField::Count)] = {};
};
