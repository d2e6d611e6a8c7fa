#include "CPeerJsonWriter.h"

#include "CDecisionTree.h"
#include "CFormula.h"
#include "CNode.h"
#include "CPeerExpression.h"
#include "CPeerJsonFormat.h"
#include "CTreeFormulas.h"
#include "NumberPrecision.h"
#include "SubtreeWalk.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

QString Text(const std::string &strText)
{
    return QString::fromStdString(strText);
}

// The variables in an order in which each formula comes after the variables
// it uses, since that tool runs its code from the top; those of a cycle last.
std::vector<int> CodeOrder(const CVariables &variables)
{
    std::vector<int> order;
    std::vector<bool> placed(size_t(variables.Count()), false);
    for (bool bProgress = true; bProgress;) {
        bProgress = false;
        for (int n = 0; n < variables.Count(); ++n) {
            if (placed[size_t(n)])
                continue;
            const std::vector<std::string> used = CFormula::NamesIn(variables.At(n).formula);
            const bool bReady = std::all_of(used.begin(), used.end(), [&](const std::string &s) {
                const int nUsed = variables.Find(s);
                return nUsed < 0 || nUsed == n || placed[size_t(nUsed)];
            });
            if (bReady) {
                placed[size_t(n)] = true;
                order.push_back(n);
                bProgress = true;
            }
        }
    }
    for (int n = 0; n < variables.Count(); ++n)
        if (!placed[size_t(n)])
            order.push_back(n);
    return order;
}

void WriteVariables(const CVariables &variables, QJsonObject *pData, QJsonObject *pFile)
{
    QStringList code;
    QJsonObject scope;
    QJsonArray ranges;
    for (const int n : CodeOrder(variables)) {
        const CVariables::Variable &variable = variables.At(n);
        const std::string strExpression = variable.formula.empty()
                                              ? std::string()
                                              : CPeerExpression::FromFormula(variable.formula);
        // A distribution the tool draws from goes back as its call, the
        // draw of the base case stored beside it. The call is written as
        // reading gives it back (random(a, b) as Uniform(a, b), without
        // blanks around it), so that the copy writes the same bytes again.
        std::string strDistribution;
        const bool bDrawn = variable.formula.empty() &&
                            CPeerExpression::Distribution(variable.distribution, &strDistribution);
        QString strLine = Text(variable.name) + QStringLiteral(" = ") +
                          (bDrawn ? Text(strDistribution)
                           : variable.formula.empty()
                               ? NumberAtPrecision(variable.value, QLocale::FloatingPointShortest)
                               : Text(strExpression));
        // A comment of several lines would end the statement early.
        if (!variable.comment.empty())
            strLine += QStringLiteral(" # ") + Text(variable.comment).simplified();
        code << strLine;
        // A draw kept as a formula was never made: a value stored beside it
        // would read back as the draw the file was saved with.
        const auto same = [](const std::string &strName) { return strName; };
        if (variable.formula.empty() || !CPeerExpression::ToFormula(strExpression, same).random)
            scope.insert(Text(variable.name), variable.value);
        // A uniform draw without a range of its own reads back with its
        // bounds for one; written so, the copy reads back as written.
        bool bRange = variable.hasLow && variable.hasHigh;
        double dLow = variable.low;
        double dHigh = variable.high;
        if (!bRange && bDrawn) {
            const CPeerExpression::Formula draw = CPeerExpression::ToFormula(strDistribution, same);
            bRange = draw.random && draw.hasBounds;
            dLow = draw.low;
            dHigh = draw.high;
        }
        if (bRange)
            ranges.append(QJsonObject{{QStringLiteral("name"), Text(variable.name)},
                                      {QStringLiteral("min"), dLow},
                                      {QStringLiteral("max"), dHigh},
                                      {QStringLiteral("length"), 11}});
    }
    pData->insert(QStringLiteral("code"), code.join(QLatin1Char('\n')));
    pData->insert(QStringLiteral("expressionScope"), scope);
    if (!ranges.isEmpty())
        pFile->insert(QStringLiteral("sensitivityAnalysis"),
                      QJsonObject{{QStringLiteral("sensitivity-analysis"),
                                   QJsonObject{{QStringLiteral("variables"), ranges}}}});
}

// Reading trims the title and names a file without one "Untitled": so is it
// written, to read back as it was.
QString Title(const QString &strTitle)
{
    const QString strTrimmed = strTitle.trimmed();
    return strTrimmed.isEmpty() ? CPeerJsonWriter::tr("Untitled") : strTrimmed;
}

QJsonValue Input(const std::string &strFormula, double dValue, bool bAsText)
{
    // The rest however spaced ("# " from an attribute that held a line
    // break), as reading gives it back.
    if (CTreeFormulas::IsRest(strFormula))
        return Text(CTreeFormulas::Rest);
    if (!strFormula.empty())
        return Text(CPeerExpression::FromFormula(strFormula));
    return bAsText ? QJsonValue(NumberAtPrecision(dValue, QLocale::FloatingPointShortest))
                   : QJsonValue(dValue);
}

QJsonObject NodeObject(const CNode *pNode, bool bPlaced)
{
    static const char *const types[] = {"", "decision", "chance", "", "terminal"};
    const bool bKnown = pNode->type == NodeType::Decision || pNode->type == NodeType::Situation;
    QJsonObject node{
        {QStringLiteral("type"), QLatin1String(bKnown ? types[pNode->type] : "terminal")},
        {QStringLiteral("name"), Text(pNode->name)},
        {QStringLiteral("code"), QString()},
        {QStringLiteral("expressionScope"), QJsonObject()},
        {QStringLiteral("childEdges"), QJsonArray()}};
    if (pNode->folded)
        node.insert(QStringLiteral("folded"), true);
    // Written as far as reading reaches, so that the file read back writes
    // the same place again.
    const auto coordinate = [](int32_t nAt) {
        return std::clamp(double(nAt / CPeerJsonFormat::Scale), -CPeerJsonFormat::MaxCoordinate,
                          CPeerJsonFormat::MaxCoordinate);
    };
    if (bPlaced)
        node.insert(QStringLiteral("location"),
                    QJsonObject{{QStringLiteral("x"), coordinate(pNode->x)},
                                {QStringLiteral("y"), coordinate(pNode->y)}});
    return node;
}

// The first formula Ramify cannot compute, in words, or nothing. Such a
// formula keeps its last value in a project file, but a SilverDecisions file
// keeps the formula alone, so the value would not come back. Draws the file
// makes itself (random) are that tool's to compute and pass, as long as they
// hold what a draw not yet made reads back as: 0, or the 1 an option's
// probability starts from. One holding another value would lose it.
QString BrokenFormula(const CDecisionTree &tree)
{
    CNode *pCopy = tree.GetRoot()->Clone();
    CVariables variables = tree.Variables();
    const auto same = [](const std::string &strName) { return strName; };
    QString strBroken;
    for (const CVariables::Problem &problem : CTreeFormulas::Apply(pCopy, variables)) {
        const int nVariable = variables.Find(problem.variable);
        const std::string strText = problem.node
                                        ? (problem.probability ? problem.node->probabilityFormula
                                                               : problem.node->payoffFormula)
                                    : nVariable >= 0 ? variables.At(nVariable).formula
                                                     : std::string();
        const double dHeld =
            problem.node ? (problem.probability ? problem.node->probability : problem.node->payoff)
            : nVariable >= 0 ? variables.At(nVariable).value
                             : 0.0;
        const double dUnmade = problem.node && problem.probability ? 1.0 : 0.0;
        if (!CPeerExpression::ToFormula(CPeerExpression::FromFormula(strText), same).random ||
            !(dHeld == dUnmade)) {
            strBroken = CTreeFormulas::Describe(problem);
            break;
        }
    }
    CNode::FreeSubtree(pCopy);
    return strBroken;
}

// The weights of a two-criteria file. JSON has no infinity; the peer's
// own pages write the text "Infinity" for a weight without bound.
QJsonValue WeightValue(double dWeight)
{
    return std::isinf(dWeight) ? QJsonValue(QStringLiteral("Infinity")) : QJsonValue(dWeight);
}

void WriteCriteria(const CCriteria &criteria, QJsonObject *pData)
{
    pData->insert(QStringLiteral("payoffNames"), QJsonArray{criteria.names[0], criteria.names[1]});
    pData->insert(QStringLiteral("defaultCriterion1Weight"), WeightValue(criteria.weight));
    pData->insert(QStringLiteral("weightLowerBound"), WeightValue(criteria.weightLower));
    pData->insert(QStringLiteral("weightUpperBound"), WeightValue(criteria.weightUpper));
}

} // namespace

QByteArray CPeerJsonWriter::Write(const CDecisionTree &tree, const QString &strTitle,
                                  const CProjectSettings &settings, QString *pError)
{
    const CNode *pRoot = tree.GetRoot();
    if (!pRoot || pRoot->children.size() != 1 || !pRoot->children.front()) {
        if (pError)
            *pError = tr("There is no tree to export.");
        return QByteArray();
    }
    if (pRoot->children.front()->type == NodeType::Option) {
        if (pError)
            *pError = tr("The tree starts with the option \"%1\"; a SilverDecisions tree starts "
                         "with a decision, chance or terminal node.")
                          .arg(Text(pRoot->children.front()->name));
        return QByteArray();
    }
    // The file's code names each variable; one whose name is none (a project
    // file keeps such a name as written, and says what is wrong with it), a
    // function's or another's would be dropped or renamed on reading.
    const CVariables &variables = tree.Variables();
    for (int n = 0; n < variables.Count(); ++n) {
        const QString strProblem = variables.NameProblem(variables.At(n).name, n);
        if (!strProblem.isEmpty()) {
            if (pError)
                *pError = tr("The variable \"%1\" cannot be written to a SilverDecisions file: "
                             "%2 Rename it first.")
                              .arg(Text(variables.At(n).name), strProblem);
            return QByteArray();
        }
    }
    // Nodes before the options below them, so that walking the list backwards
    // finishes every child before its parent; no recursion over the depth.
    using Depth = std::pair<const CNode *, int>;
    std::vector<Depth> order;
    int nDeepest = 0;
    WalkDepthFirst(Depth{pRoot->children.front(), 1}, [&](const Depth &item, const auto &push) {
        order.push_back(item);
        nDeepest = std::max(nDeepest, item.second);
        for (const CNode *pChild : item.first->children)
            if (pChild)
                push({pChild, item.second + (pChild->type == NodeType::Option)});
    });
    if (nDeepest > CPeerJsonFormat::MaxDepth) {
        if (pError)
            *pError = tr("The tree is %1 levels deep; a SilverDecisions file can hold %2.")
                          .arg(nDeepest)
                          .arg(CPeerJsonFormat::MaxDepth);
        return QByteArray();
    }

    // The file joins nodes by options only: a Decision or Situation holds
    // options (or, without any, the lone end the editor keeps), an option
    // leads to one node, and an end leads nowhere. Any other shape a crafted
    // project may hold would come back as another tree.
    const auto misplaced = [](const CNode *pNode) -> const CNode * {
        const bool bOwner = pNode->type == NodeType::Decision || pNode->type == NodeType::Situation;
        const bool bLoneEnd = bOwner && pNode->children.size() == 1 &&
                              pNode->children.front()->type == NodeType::Terminal;
        for (const CNode *pChild : pNode->children) {
            if (!pChild)
                continue;
            const bool bOption = pChild->type == NodeType::Option;
            if (pNode->type == NodeType::Terminal || (bOwner && !bOption && !bLoneEnd) ||
                (pNode->type == NodeType::Option && (bOption || pNode->children.size() > 1)))
                return pChild;
        }
        return nullptr;
    };
    for (const auto &item : order)
        if (const CNode *pChild = misplaced(item.first)) {
            if (pError)
                *pError = tr("\"%1\" stands below \"%2\" in a way a SilverDecisions file cannot "
                             "hold: there, options join nodes, and each leads to one node.")
                              .arg(Text(pChild->name), Text(item.first->name));
            return QByteArray();
        }

    if (tree.UsesFormulas()) {
        const QString strBroken = BrokenFormula(tree);
        if (!strBroken.isEmpty()) {
            if (pError)
                *pError = tr("%1 A SilverDecisions file keeps the formula without the value it "
                             "last had, so mend the formula before exporting.")
                              .arg(strBroken);
            return QByteArray();
        }
    }

    // A JSON number is finite: an infinite or undefined payoff or chance (a
    // project file may hold one that overflowed) would come back as another.
    for (const auto &item : order) {
        const CNode *pNode = item.first;
        const bool bSecond = settings.criteria.two && pNode->type == NodeType::Option;
        if (bSecond && !std::isfinite(pNode->payoff2)) {
            if (pError)
                *pError =
                    tr("\"%1\" holds a second payoff too large to be written (%2); a "
                       "SilverDecisions file holds only finite numbers.")
                        .arg(Text(pNode->name))
                        .arg(NumberAtPrecision(pNode->payoff2, QLocale::FloatingPointShortest));
            return QByteArray();
        }
        if (!std::isfinite(pNode->payoff) || !std::isfinite(pNode->probability)) {
            if (pError)
                *pError = tr("\"%1\" holds a number too large to be written (%2); a "
                             "SilverDecisions file holds only finite numbers.")
                              .arg(Text(pNode->name))
                              .arg(NumberAtPrecision(
                                  std::isfinite(pNode->payoff) ? pNode->probability : pNode->payoff,
                                  QLocale::FloatingPointShortest));
            return QByteArray();
        }
    }

    // The Root's own payoff counts on every path, and the file has no place
    // for it either.
    if (!(pRoot->payoff == 0.0)) {
        if (pError)
            *pError = tr("\"%1\" holds a payoff of its own (%2) that counts on every path; a "
                         "SilverDecisions file has no place for it.")
                          .arg(Text(pRoot->name))
                          .arg(NumberAtPrecision(pRoot->payoff, QLocale::FloatingPointShortest));
        return QByteArray();
    }

    // A probability stored on a Decision, Situation or Root, or on a
    // Decision's option, weighs every path below it; the file keeps only the
    // probabilities of a chance node's options, and dropping the others would
    // change the chances the ends show.
    const auto weighs = [](const CNode *pNode) {
        const bool bCarried = pNode->type == NodeType::Option && pNode->parent &&
                              pNode->parent->type == NodeType::Situation;
        return !bCarried && !pNode->children.empty() && !(pNode->probability == 1.0);
    };
    const CNode *pWeighing = weighs(pRoot) ? pRoot : nullptr;
    for (auto it = order.begin(); !pWeighing && it != order.end(); ++it)
        if (weighs(it->first))
            pWeighing = it->first;
    if (pWeighing) {
        if (pError)
            *pError =
                tr("\"%1\" holds a probability of its own (%2) that weighs every path "
                   "through it; a SilverDecisions file has no place for it.")
                    .arg(Text(pWeighing->name))
                    .arg(NumberAtPrecision(pWeighing->probability, QLocale::FloatingPointShortest));
        return QByteArray();
    }

    // Reading places a tree only when every node has its location, so a
    // tree placed in part is written as not placed at all. The lone end of a
    // Decision or Situation without options is not in the file (reading makes
    // it again, unplaced), so its place does not count.
    const auto loneEnd = [](const CNode *pNode) {
        const CNode *pParent = pNode->parent;
        return pNode->type == NodeType::Terminal && pParent &&
               (pParent->type == NodeType::Decision || pParent->type == NodeType::Situation) &&
               pParent->children.size() == 1;
    };
    const bool bPlaced = std::all_of(order.begin(), order.end(), [&](const auto &item) {
        return item.first->type == NodeType::Option || loneEnd(item.first) ||
               item.first->HasPosition();
    });
    std::unordered_map<const CNode *, QJsonObject> done;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const CNode *pNode = it->first;
        if (pNode->type != NodeType::Option) {
            QJsonObject node = NodeObject(pNode, bPlaced);
            QJsonArray edges;
            for (const CNode *pOption : pNode->children) {
                const auto itEdge = done.find(pOption);
                if (itEdge == done.end())
                    continue;
                // The end the editor keeps below a Decision or Situation
                // without options is no edge: that tool writes such a node
                // with none, and reading it back gives it its end again.
                if (pOption->type == NodeType::Option)
                    edges.append(itEdge->second);
                done.erase(itEdge);
            }
            node.insert(QStringLiteral("childEdges"), edges);
            done[pNode] = node;
            continue;
        }
        const QJsonValue payoff = Input(pNode->payoffFormula, pNode->payoff, false);
        QJsonObject edge{{QStringLiteral("name"), Text(pNode->name)},
                         {QStringLiteral("payoff"),
                          settings.criteria.two
                              ? QJsonValue(QJsonArray{
                                    payoff, Input(pNode->payoff2Formula, pNode->payoff2, false)})
                              : payoff}};
        if (pNode->parent && pNode->parent->type == NodeType::Situation)
            edge.insert(QStringLiteral("probability"),
                        Input(pNode->probabilityFormula, pNode->probability, true));
        const CNode *pChild = pNode->children.empty() ? nullptr : pNode->children.front();
        const auto itChild = done.find(pChild);
        edge.insert(QStringLiteral("childNode"),
                    itChild != done.end()
                        ? itChild->second
                        : QJsonObject{{QStringLiteral("type"), "terminal"},
                                      {QStringLiteral("childEdges"), QJsonArray()}});
        if (itChild != done.end())
            done.erase(itChild);
        done[pNode] = edge;
    }

    QJsonObject data{{QStringLiteral("trees"), QJsonArray{done[pRoot->children.front()]}},
                     {QStringLiteral("texts"), QJsonArray()}};
    QJsonObject file{{QStringLiteral("SilverDecisions"), QLatin1String(CPeerJsonFormat::Version)},
                     {QStringLiteral("lng"), QStringLiteral("en")},
                     {QStringLiteral("rule"),
                      settings.criteria.two ? settings.criteria.PeerRule() : settings.rule.Name()},
                     {QStringLiteral("title"), Title(strTitle)},
                     {QStringLiteral("description"), QString()}};
    WriteVariables(tree.Variables(), &data, &file);
    if (settings.criteria.two)
        WriteCriteria(settings.criteria, &data);
    file.insert(QStringLiteral("data"), data);
    return QJsonDocument(file).toJson(QJsonDocument::Indented);
}
