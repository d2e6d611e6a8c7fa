#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// Tables as comma-separated values for spreadsheets: one header row, then
// the rows, each cell quoted where it holds a comma, a quote or a line
// break. Every table this program hands to a spreadsheet is written here.
class CCsvTable
{
public:
    static QByteArray Write(const QStringList &header, const std::vector<QStringList> &rows);
    // A tab-separated table (a header line, then rows) as CSV.
    static QByteArray FromTabSeparated(const QString &strTable);
};
