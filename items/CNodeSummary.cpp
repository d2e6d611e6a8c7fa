#include "CNodeSummary.h"

#include "CCriteria.h"
#include "CDecisionRule.h"
#include "CNode.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "NumberPrecision.h"
#include "TextNumber.h"

#include <QStringList>

namespace {

// What a node stands for: an option and the Root are worth what they lead to;
// every other node holds its rolled-back value itself.
double ValueOf(const CNode *pNode)
{
    const bool bLeadsOn = pNode->type == NodeType::Option || pNode->type == NodeType::Root;
    if (bLeadsOn && !pNode->children.empty() && pNode->children.front())
        return pNode->children.front()->payoff;
    return pNode->payoff;
}

} // namespace

QString CNodeSummary::Describe(const CNode *pNode, const NumberFormat *pFormat)
{
    if (!pNode)
        return QString();
    QString strKind;
    switch (pNode->type) {
    case NodeType::Root:
        strKind = tr("Root");
        break;
    case NodeType::Decision:
        strKind = tr("Decision");
        break;
    case NodeType::Situation:
        strKind = tr("Situation");
        break;
    case NodeType::Option:
        strKind = tr("Option");
        break;
    case NodeType::Terminal:
        strKind = tr("End node");
        break;
    default:
        strKind = tr("Node");
        break;
    }
    const NumberFormat format = pFormat ? *pFormat : NumberFormat();
    QStringList numbers;
    const bool bChance =
        pNode->type == NodeType::Terminal || (pNode->type == NodeType::Option && pNode->parent &&
                                              pNode->parent->type != NodeType::Decision);
    if (bChance)
        numbers << tr("probability %1%").arg(NumberAtPrecision(pNode->probability * 100, 4));
    if (pNode->type == NodeType::Option)
        numbers << tr("payoff %1").arg(NumberToText(pNode->payoff, format));
    numbers << tr("value %1").arg(NumberToText(ValueOf(pNode), format));
    if (pNode->name.empty())
        return tr("%1: %2").arg(strKind, numbers.join(QStringLiteral(", ")));
    return tr("%1 \"%2\": %3")
        .arg(strKind, QString::fromStdString(pNode->name), numbers.join(QStringLiteral(", ")));
}

QString CNodeSummary::ProbabilityProblem(const CNode *pSituation)
{
    if (!pSituation || pSituation->type != NodeType::Situation)
        return QString();
    // The same test that raises the warning on the canvas.
    if (pSituation->ChildProbabilitiesAddUp())
        return QString();
    const double dSum = pSituation->ChildProbabilitySum();
    // A sum just off 1 must not read "100 %, not 100 %": as many digits as
    // it takes to show the difference.
    QString strSum;
    for (int nDigits = 4; nDigits <= 17; ++nDigits) {
        strSum = NumberAtPrecision(dSum * 100, nDigits);
        if (strSum != QLatin1String("100"))
            break;
    }
    return tr("The probabilities under '%1' add up to %2 %, not 100 %")
        .arg(QString::fromStdString(pSituation->name), strSum);
}

QString CNodeSummary::RiskNote(const CNode *pNode, const CDecisionRule &rule,
                               const NumberFormat &numbers)
{
    // Under a risk tolerance the values shown are certainty equivalents;
    // what the strategy is worth on average is told on request only, as it
    // takes a walk over the whole tree.
    if (!rule.HasRiskTolerance() || !pNode || pNode->type == NodeType::Root ||
        pNode->type == NodeType::Terminal)
        return QString();
    const CNode *pRoot = pNode;
    while (pRoot->parent)
        pRoot = pRoot->parent;
    const CTreeIndex index(pRoot);
    const int n = index.IndexOf(pNode);
    if (n < 0 || !index.ShapeProblem().isEmpty())
        return QString();
    const CTreeEvaluation evaluation(index, rule);
    const double dExpected = evaluation.ExpectedValues()[size_t(n)];
    return tr("\nCertainty equivalent %1, expected value %2, risk premium %3")
        .arg(NumberToText(evaluation.Value(n), numbers), NumberToText(dExpected, numbers),
             NumberToText(dExpected - evaluation.Value(n), numbers));
}

QString CNodeSummary::CriteriaNote(const CNode *pNode, const CCriteria &criteria)
{
    if (!criteria.two || !pNode)
        return QString();
    QString strNote;
    const CNode *pValued = pNode;
    if ((pNode->type == NodeType::Option || pNode->type == NodeType::Root) &&
        !pNode->children.empty() && pNode->children.front())
        pValued = pNode->children.front();
    if (pNode->type == NodeType::Option)
        strNote +=
            tr("\n%1 payoff: %2").arg(criteria.names[1], NumberAtPrecision(pNode->payoff2, 10));
    return strNote + tr("\nExpected %1: %2, %3: %4")
                         .arg(criteria.names[0], NumberAtPrecision(pValued->expected1, 10),
                              criteria.names[1], NumberAtPrecision(pValued->expected2, 10));
}
