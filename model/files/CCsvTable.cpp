#include "CCsvTable.h"

#include "TextNumber.h"

namespace {

QString Cell(const QString &strCell)
{
    if (!strCell.contains(QLatin1Char(',')) && !strCell.contains(QLatin1Char('"')) &&
        !strCell.contains(QLatin1Char('\n')) && !strCell.contains(QLatin1Char('\r')))
        return strCell;
    QString strQuoted = strCell;
    strQuoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + strQuoted + QLatin1Char('"');
}

QString Line(const QStringList &cells)
{
    QStringList quoted;
    for (const QString &strCell : cells)
        quoted << Cell(strCell);
    return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
}

} // namespace

QByteArray CCsvTable::Write(const QStringList &header, const std::vector<QStringList> &rows)
{
    QString strOut = Line(header);
    for (const QStringList &row : rows)
        strOut += Line(row);
    return strOut.toUtf8();
}

QByteArray CCsvTable::FromTabSeparated(const QString &strTable)
{
    QStringList lines = strTable.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return QByteArray();
    std::vector<QStringList> rows;
    for (int n = 1; n < lines.size(); ++n)
        rows.push_back(lines[n].split(QLatin1Char('\t')));
    return Write(lines.front().split(QLatin1Char('\t')), rows);
}
