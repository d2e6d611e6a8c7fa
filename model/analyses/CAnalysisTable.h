#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class CTreeIndex;

// An analysis's result as a table: one header row, then a row per step,
// input, point, uncertainty or outcome, with numbers in full precision. Each
// analysis builds its own table, once; its panel copies and saves it and
// ramify-solve prints it.
struct CAnalysisTable
{
    // The names files and scripts read, the same in every language.
    QStringList header;
    std::vector<QStringList> rows;
    // The same columns as a window heads them, in the user's language: what
    // a table copied into a spreadsheet from the window shows. Empty where
    // the names above are what the window shows.
    QStringList shownHeader;

    // A node by its name, empty for none (-1); with its ID, "sell (#3)".
    static QString NodeName(const CTreeIndex &index, int n);
    static QString NodeLabel(const CTreeIndex &index, int n);
    // Nodes of an index by their IDs, "#3".
    static QStringList Ids(const std::vector<int> &nodes);
    // Tab-separated lines, as the clipboard takes a table, headed as the
    // window heads it or, bShownHeader off, by the names files read.
    QString TabSeparated(bool bShownHeader = true) const;
};
