#include "OptionRows.h"

#include "CNode.h"

QVector<CNode *> MakeOptions(CNode *pOwner, const QVector<OptionRow> &rows)
{
    QVector<CNode *> made;
    made.reserve(rows.size());
    for (const OptionRow &row : rows) {
        CNode *pOption = CNode::CreateOption(pOwner, row.name.toStdString());
        pOption->probability = row.probability;
        pOption->payoff = row.payoff;
        pOption->payoffComment = row.payoffComment.toStdString();
        CNode::CreateTerminal(pOption, "");
        made.append(pOption);
    }
    return made;
}

void EndWithTerminal(CNode *pNode)
{
    if (pNode && !pNode->HasChildren())
        CNode::CreateTerminal(pNode, "");
}
