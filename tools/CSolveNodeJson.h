#pragma once

#include "CSolveReport.h"

#include <QByteArray>
#include <QJsonObject>

// One node of the JSON report, worded byte for byte as QJsonDocument words
// it inside the document's "nodes" list, without building it as a
// QJsonObject: a million of those take most of a solve's time and memory.
// What Qt would word in its own way (a string to escape, a number not
// plainly integral or fractional) is left to Qt.
class CSolveNodeJson
{
public:
    using Object = QJsonObject (*)(const CSolveReport::Row &row);

    // Appends the node of row at the list's indentation; pObject gives the
    // node as Qt builds it, for a node that is not plain.
    static void Append(const CSolveReport::Row &row, Object pObject, QByteArray *pOut);
    // A node built as a QJsonObject, worded by Qt and indented into the list.
    static void AppendAsQtWordsIt(const QJsonObject &object, QByteArray *pOut);
    // A number as QJsonDocument writes it.
    static void AppendNumber(double dValue, QByteArray *pOut);
};
