#include "CAnalysisTable.h"

#include "CNode.h"
#include "CTreeIndex.h"
#include "TextNumber.h"

QString CAnalysisTable::Number(double dValue)
{
    return PlainNumber(dValue);
}

QString CAnalysisTable::NodeName(const CTreeIndex &index, int n)
{
    return n < 0 ? QString() : QString::fromStdString(index.Node(n)->name);
}

QString CAnalysisTable::NodeLabel(const CTreeIndex &index, int n)
{
    return QStringLiteral("%1 (#%2)").arg(NodeName(index, n)).arg(CTreeIndex::IdOf(n));
}

QString CAnalysisTable::TabSeparated() const
{
    QString strText = header.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const QStringList &row : rows)
        strText += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return strText;
}
