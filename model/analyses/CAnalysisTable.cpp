#include "CAnalysisTable.h"

#include "CNode.h"
#include "CTreeIndex.h"
#include "TextNumber.h"

QString CAnalysisTable::NodeName(const CTreeIndex &index, int n)
{
    return n < 0 ? QString() : QString::fromStdString(index.Node(n)->name);
}

QString CAnalysisTable::NodeLabel(const CTreeIndex &index, int n)
{
    return QStringLiteral("%1 (#%2)").arg(NodeName(index, n)).arg(CTreeIndex::IdOf(n));
}

QStringList CAnalysisTable::Ids(const std::vector<int> &nodes)
{
    QStringList ids;
    for (int n : nodes)
        ids << QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
    return ids;
}

QString CAnalysisTable::TabSeparated(bool bShownHeader) const
{
    const QStringList &names = bShownHeader && !shownHeader.isEmpty() ? shownHeader : header;
    QString strText = names.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const QStringList &row : rows)
        strText += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return strText;
}
