#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class CTreeIndex;

// An analysis's result as a table: one header row, then a row per step,
// input, point, uncertainty or outcome, with numbers in full precision. Each
// analysis builds its own table, once; its panel copies it and ramify-solve
// prints it, both as CSV.
struct CAnalysisTable
{
    QStringList header;
    std::vector<QStringList> rows;

    // The shortest text that reads back as the same double, with a "."
    // whatever the locale; empty for a number that is not there (NaN).
    static QString Number(double dValue);
    // A node by its name, empty for none (-1); with its ID, "sell (#3)".
    static QString NodeName(const CTreeIndex &index, int n);
    static QString NodeLabel(const CTreeIndex &index, int n);
    // Tab-separated lines, as the clipboard takes a table.
    QString TabSeparated() const;
};
