#include "OptionRows.h"

#include "CNode.h"

QVector<CNode *> MakeOptions(CNode *pOwner, const QVector<OptionRow> &rows)
{
    QVector<CNode *> made;
    made.reserve(rows.size());
    // A Decision's options are chosen, not drawn, and show no probability to
    // edit; a share typed into the dialog's option table would only shrink
    // the probabilities of the paths below them.
    const bool bCertain = pOwner->type == NodeType::Decision;
    for (const OptionRow &row : rows) {
        CNode *pOption = CNode::CreateOption(pOwner, row.name.toStdString());
        pOption->probability = bCertain ? 1.0 : row.probability;
        pOption->payoff = row.payoff;
        if (!bCertain)
            pOption->probabilityFormula = row.probabilityFormula.toStdString();
        pOption->payoffFormula = row.payoffFormula.toStdString();
        pOption->payoffComment = row.payoffComment.toStdString();
        CNode::CreateTerminal(pOption, "");
        made.append(pOption);
    }
    return made;
}
