#include "CSolveReportJson.h"

#include "CNode.h"
#include "CSolveNodeJson.h"
#include "CSolveReport.h"
#include "CVariables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString Text(const std::string &strText)
{
    return QString::fromStdString(strText);
}

QJsonObject NodeObject(const CSolveReport::Row &row, bool bTwoCriteria)
{
    const CNode &node = *row.node;
    QJsonObject object{
        {QStringLiteral("id"), double(row.id)},
        {QStringLiteral("parentId"), double(row.parentId)},
        {QStringLiteral("type"), QLatin1String(CSolveReport::KindName(node.type))},
        {QStringLiteral("name"), Text(node.name)},
        {QStringLiteral("probability"), node.probability},
        {QStringLiteral("payoff"), node.payoff},
        {QStringLiteral("value"), row.value},
        {QStringLiteral("active"), node.active},
        {QStringLiteral("chosenPath"), row.chosenPath},
        {QStringLiteral("payoffComment"), Text(node.payoffComment)},
    };
    if (!node.payoffFormula.empty())
        object.insert(QStringLiteral("payoffFormula"), Text(node.payoffFormula));
    if (!node.probabilityFormula.empty())
        object.insert(QStringLiteral("probabilityFormula"), Text(node.probabilityFormula));
    if (!bTwoCriteria)
        return object;
    // An option's criteria are those of where it leads, as its value is.
    const bool bLeads = node.type == NodeType::Option || node.type == NodeType::Root;
    const CNode *pValued =
        bLeads && !node.children.empty() && node.children.front() ? node.children.front() : &node;
    object.insert(QStringLiteral("criteria"), QJsonArray{pValued->expected1, pValued->expected2});
    if (node.type == NodeType::Option) {
        object.insert(QStringLiteral("payoff2"), node.payoff2);
        if (!node.payoff2Formula.empty())
            object.insert(QStringLiteral("payoff2Formula"), Text(node.payoff2Formula));
    }
    return object;
}

QJsonObject OneCriterionObject(const CSolveReport::Row &row)
{
    return NodeObject(row, false);
}

// Parts a variable does not have are left out, not written as null.
QJsonArray VariablesArray(const CVariables &variables)
{
    QJsonArray array;
    for (int n = 0; n < variables.Count(); ++n) {
        const CVariables::Variable &variable = variables.At(n);
        QJsonObject object{{QStringLiteral("name"), Text(variable.name)},
                           {QStringLiteral("value"), variable.value}};
        if (!variable.formula.empty())
            object.insert(QStringLiteral("formula"), Text(variable.formula));
        if (variable.hasLow)
            object.insert(QStringLiteral("low"), variable.low);
        if (variable.hasHigh)
            object.insert(QStringLiteral("high"), variable.high);
        if (!variable.comment.empty())
            object.insert(QStringLiteral("comment"), Text(variable.comment));
        array.append(object);
    }
    return array;
}

} // namespace

QByteArray CSolveReportJson::Render(const CSolveReport &report, const QJsonObject &extra)
{
    QByteArray out;
    Write(report, extra, [&out](const QByteArray &piece) { out += piece; });
    return out;
}

void CSolveReportJson::Write(const CSolveReport &report, const QJsonObject &extra, const Sink &sink)
{
    QJsonArray decisions;
    for (const CSolveReport::Choice &choice : report.choices) {
        QJsonObject decision{{QStringLiteral("id"), double(choice.decision->id)},
                             {QStringLiteral("name"), Text(choice.decision->node->name)},
                             {QStringLiteral("value"), choice.decision->value}};
        decision.insert(QStringLiteral("chosenId"),
                        choice.option ? QJsonValue(double(choice.option->id)) : QJsonValue());
        decision.insert(QStringLiteral("chosen"),
                        choice.option ? QJsonValue(Text(choice.option->node->name)) : QJsonValue());
        decisions.append(decision);
    }

    QJsonArray imbalances;
    for (const CSolveReport::Imbalance &imbalance : report.imbalances)
        imbalances.append(
            QJsonObject{{QStringLiteral("id"), double(imbalance.situation->id)},
                        {QStringLiteral("name"), Text(imbalance.situation->node->name)},
                        {QStringLiteral("probabilitySum"), imbalance.sum}});

    // Qt words everything but the nodes; they take the place of a marker
    // that no value can be, since a string never spans lines.
    const QString strMarker = QStringLiteral("nodes go here");
    QJsonObject document{{QStringLiteral("file"), report.filePath},
                         {QStringLiteral("project"), report.projectName},
                         {QStringLiteral("value"), report.RootValue()},
                         {QStringLiteral("consistent"), report.IsConsistent()},
                         {QStringLiteral("decisions"), decisions},
                         {QStringLiteral("inconsistentSituations"), imbalances},
                         {QStringLiteral("variables"), VariablesArray(*report.variables)},
                         {QStringLiteral("nodes"), QJsonArray{strMarker}}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        document.insert(it.key(), it.value());
    const QByteArray whole = QJsonDocument(document).toJson(QJsonDocument::Indented);
    const QByteArray head = "\n    \"nodes\": [\n";
    const QByteArray placeholder = head + "        \"" + strMarker.toUtf8() + "\"\n";
    const int nAt = whole.indexOf(placeholder);
    sink(whole.left(nAt + head.size()));

    QByteArray piece;
    for (size_t i = 0; i < report.rows.size(); ++i) {
        // Two criteria add members the quick wording does not know.
        if (report.twoCriteria)
            CSolveNodeJson::AppendAsQtWordsIt(NodeObject(report.rows[i], true), &piece);
        else
            CSolveNodeJson::Append(report.rows[i], OneCriterionObject, &piece);
        piece += i + 1 < report.rows.size() ? ",\n" : "\n";
        if (piece.size() > 1 << 16) {
            sink(piece);
            piece.clear();
        }
    }
    sink(piece);
    sink(whole.mid(nAt + placeholder.size()));
}
