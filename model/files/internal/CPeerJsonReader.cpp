#include "CPeerJsonReader.h"

#include "CDecisionTree.h"
#include "CJsonNames.h"
#include "CNode.h"
#include "CPeerExpression.h"
#include "CPeerJsonFormat.h"
#include "CProjectFileWriter.h"
#include "CTreeFormulas.h"
#include "SubtreeWalk.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

std::string Safe(const std::string &strText)
{
    return CProjectFileWriter::XmlSafe(QString::fromStdString(strText)).toStdString();
}

// A project file carries only the characters XML can. Its own reader leaves
// out the rest, and so does this one: a tree read from another tool's file
// then saves and reads back as it was shown. Formulas and code are made safe
// as they are taken from the file (InputText, Define), since what they are
// (a number, a draw, a formula) is told from the text Ramify keeps; the
// names and comments of nodes here.
void MakeTextsSafe(CNode *pRoot)
{
    WalkSubtree(pRoot, [](CNode *pNode) {
        pNode->name = Safe(pNode->name);
        pNode->payoffComment = Safe(pNode->payoffComment);
    });
}

} // namespace

QString CPeerJsonReader::Quoted(const QString &strText)
{
    return QStringLiteral("\"%1\"").arg(strText);
}

bool CPeerJsonReader::LooksLikeJson(QIODevice &device)
{
    const QByteArray head = device.peek(256);
    for (const char c : head) {
        if (c == '{' || c == '[')
            return true;
        // Blanks and a byte order mark may come first.
        if (!(c == ' ' || c == '\t' || c == '\r' || c == '\n' || uchar(c) >= 0x80))
            return false;
    }
    return false;
}

CPeerJsonReader::CPeerJsonReader(CDecisionTree &target, CProjectFile::ReadResult &readResult)
    : tree(target), result(readResult)
{
}

void CPeerJsonReader::Read(const QByteArray &bytes, int nTree, const QString &strFallbackTitle,
                           CDecisionTree &tree, CProjectFile::ReadResult &result)
{
    result.foreign = true;
    result.opened = true;
    CPeerJsonReader reader(tree, result);
    reader.fallbackTitle = strFallbackTitle;
    const QString strRepeated = CJsonNames::FirstRepeated(bytes);
    if (!strRepeated.isNull()) {
        reader.Refuse(tr("its structure is broken: the name \"%1\" comes twice in one object")
                          .arg(strRepeated));
        return;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (document.isNull())
        reader.Refuse(
            tr("it is not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    else if (!document.isObject() || !document.object().contains(QLatin1String("SilverDecisions")))
        reader.Refuse(tr("it is JSON, but no SilverDecisions file: it has no \"SilverDecisions\" "
                         "version"));
    else
        reader.ReadFile(document.object(), nTree);
}

bool CPeerJsonReader::Refuse(const QString &strWhy)
{
    result.opened = false;
    result.complete = false;
    result.errorText = strWhy;
    return false;
}

void CPeerJsonReader::Note(const QString &strNote)
{
    if (!result.notes.contains(strNote))
        result.notes << strNote;
}

bool CPeerJsonReader::ReadFile(const QJsonObject &file, int nTree)
{
    // Files before version 0.6 keep the data at the top level.
    const QJsonObject data = file.value(QLatin1String("data")).isObject()
                                 ? file.value(QLatin1String("data")).toObject()
                                 : file;
    const QJsonValue trees = data.value(QLatin1String("trees"));
    if (!trees.isArray())
        return Refuse(tr("it has no list of \"trees\""));
    const QJsonArray treeList = trees.toArray();
    if (treeList.isEmpty())
        return Refuse(tr("it holds no tree"));
    result.treeCount = treeList.size();
    result.treeIndex = nTree;
    if (nTree < 0 || nTree >= treeList.size())
        return Refuse(tr("there is no tree %1; it holds %2").arg(nTree + 1).arg(treeList.size()));
    if (!treeList.at(nTree).isObject())
        return Refuse(tr("tree %1 is not a node").arg(nTree + 1));

    ReadRule(file);
    QString strTitle = file.value(QLatin1String("title")).toString().trimmed();
    if (treeList.size() > 1)
        strTitle = tr("%1 (tree %2 of %3)")
                       .arg(strTitle.isEmpty() ? fallbackTitle : strTitle)
                       .arg(nTree + 1)
                       .arg(treeList.size());
    result.projectName = strTitle.isEmpty() ? fallbackTitle : strTitle;

    // The file's code belongs to every tree; its names are the variables'.
    const auto fileScope = Define(data.value(QLatin1String("code")).toString(),
                                  data.value(QLatin1String("expressionScope")).toObject(),
                                  std::make_shared<const Scope>());
    if (!ReadTree(treeList.at(nTree).toObject(), fileScope))
        return false;
    ReadRanges(file);
    if (result.settings.criteria.two)
        ReadCriteria(data);

    const int nTexts = data.value(QLatin1String("texts")).toArray().size();
    if (nTexts > 0)
        Note(tr("Free texts of the file are not shown: %1.").arg(nTexts));
    if (twoCriteria && !result.settings.criteria.two)
        Note(tr("The file weighs two payoff criteria; only the first is read, rolled back by "
                "expected values."));
    if (missingProbabilities > 0)
        Note(tr("Options of chance nodes without a probability count as 0: %1.")
                 .arg(missingProbabilities));
    if (!badCode.isEmpty())
        Note(tr("Code that is no assignment of a variable is left out: %1")
                 .arg(badCode.join(QLatin1String("; "))));
    if (!unknownFunctions.isEmpty())
        Note(tr("Ramify has no function %1; the formulas that use it cannot be computed.")
                 .arg(unknownFunctions.join(QLatin1String(", "))));

    MakeTextsSafe(tree.GetRoot());
    result.projectName = CProjectFileWriter::XmlSafe(result.projectName);
    tree.Variables() = variables;
    result.positioned = positioned;
    if (!positioned)
        tree.GetRoot()->ClearPositions();
    result.formulaProblems = tree.ApplyFormulas();
    result.complete = true;
    return true;
}

void CPeerJsonReader::ReadRule(const QJsonObject &file)
{
    const QString strRule = file.value(QLatin1String("rule")).toString();
    CDecisionRule::Kind kind = CDecisionRule::ExpectedValueMaximization;
    bool bMax1 = true;
    bool bMax2 = false;
    if (CCriteria::FromPeerRule(strRule, &bMax1, &bMax2)) {
        result.settings.criteria.two = true;
        result.settings.criteria.maximise[0] = bMax1;
        result.settings.criteria.maximise[1] = bMax2;
    } else if (!strRule.isEmpty() && !CDecisionRule::FromName(strRule, &kind)) {
        // Rules over two criteria say first what is done with the first.
        const bool bMin = strRule.startsWith(QLatin1String("min"));
        kind = bMin ? CDecisionRule::ExpectedValueMinimization
                    : CDecisionRule::ExpectedValueMaximization;
        if (bMin || strRule.startsWith(QLatin1String("max")))
            twoCriteria = true;
        else
            Note(tr("The rule %1 is not known; %2 is used.")
                     .arg(Quoted(strRule), CDecisionRule::Name(kind)));
    }
    result.settings.rule = CDecisionRule(kind);
}

void CPeerJsonReader::ReadRanges(const QJsonObject &file)
{
    const QJsonArray ranges = file.value(QLatin1String("sensitivityAnalysis"))
                                  .toObject()
                                  .value(QLatin1String("sensitivity-analysis"))
                                  .toObject()
                                  .value(QLatin1String("variables"))
                                  .toArray();
    for (const QJsonValue &value : ranges) {
        const QJsonObject range = value.toObject();
        const int n = variables.Find(range.value(QLatin1String("name")).toString().toStdString());
        bool bLow = false;
        bool bHigh = false;
        const double dLow = range.value(QLatin1String("min")).toVariant().toDouble(&bLow);
        const double dHigh = range.value(QLatin1String("max")).toVariant().toDouble(&bHigh);
        if (n < 0 || !bLow || !bHigh || !std::isfinite(dLow) || !std::isfinite(dHigh))
            continue;
        CVariables::Variable variable = variables.At(n);
        variable.hasLow = variable.hasHigh = true;
        variable.low = dLow;
        variable.high = dHigh;
        variables.Set(n, variable);
    }
}

std::shared_ptr<const CPeerJsonReader::Scope>
CPeerJsonReader::Define(const QString &strCode, const QJsonObject &stored,
                        const std::shared_ptr<const Scope> &scope)
{
    std::vector<std::string> bad;
    const std::vector<CPeerExpression::Statement> statements =
        CPeerExpression::Statements(CProjectFileWriter::XmlSafe(strCode).toStdString(), &bad);
    for (const std::string &strBad : bad)
        badCode << QString::fromStdString(strBad);
    if (statements.empty())
        return scope;
    auto own = std::make_shared<Scope>(*scope);
    for (const CPeerExpression::Statement &statement : statements) {
        // A name defined before stays what it was above this node; here it
        // becomes a variable of its own. The "$" that names may hold there
        // becomes "_" here, so that some suffix always makes a free name.
        std::string strBase = statement.name;
        std::replace(strBase.begin(), strBase.end(), '$', '_');
        std::string strName = strBase;
        for (int n = 2; !variables.NameProblem(strName).isEmpty(); ++n)
            strName = strBase + "_" + std::to_string(n);
        CVariables::Variable variable;
        variable.name = strName;
        variable.comment = statement.comment;
        CPeerExpression::Distribution(statement.expression, &variable.distribution);
        const CPeerExpression::Formula formula =
            CPeerExpression::ToFormula(statement.expression, [&own](const std::string &strUsed) {
                const auto it = own->find(strUsed);
                return it == own->end() ? std::string() : it->second;
            });
        for (const std::string &strFunction : formula.unknownFunctions)
            if (!unknownFunctions.contains(QString::fromStdString(strFunction)))
                unknownFunctions << QString::fromStdString(strFunction);
        const QJsonValue value = stored.value(QString::fromStdString(statement.name));
        double dNumber = 0.0;
        if (formula.random && value.isDouble() && std::isfinite(value.toDouble())) {
            // The draw the file's stored results were made with.
            variable.value = value.toDouble();
            // A distribution kept says itself how the value was drawn.
            if (variable.comment.empty() && variable.distribution.empty())
                variable.comment = tr("drawn by %1 in the file")
                                       .arg(QString::fromStdString(statement.expression))
                                       .toStdString();
            variable.hasLow = variable.hasHigh = formula.hasBounds;
            variable.low = formula.low;
            variable.high = formula.high;
        } else if (CPeerExpression::IsNumber(formula.text, &dNumber)) {
            variable.value = dNumber;
        } else {
            // A draw without a stored value stays a formula that cannot be
            // computed, and says so.
            variable.formula = formula.text;
            if (value.isDouble() && std::isfinite(value.toDouble()))
                variable.value = value.toDouble();
        }
        variables.Add(variable);
        (*own)[statement.name] = strName;
    }
    return own;
}

void CPeerJsonReader::ReadCriteria(const QJsonObject &data)
{
    CCriteria &criteria = result.settings.criteria;
    const QJsonArray names = data.value(QLatin1String("payoffNames")).toArray();
    for (int n = 0; n < 2 && n < names.size(); ++n)
        if (!names.at(n).toString().trimmed().isEmpty())
            criteria.names[n] = CProjectFileWriter::XmlSafe(names.at(n).toString());
    const auto weight = [&](const char *pKey, double *pWeight) {
        const QJsonValue value = data.value(QLatin1String(pKey));
        const QString strText = value.toString().trimmed();
        if (value.isDouble())
            *pWeight = value.toDouble();
        else if (strText == QLatin1String("Infinity") || strText == QLatin1String("inf"))
            *pWeight = CCriteria::Infinite;
        else if (!value.isUndefined() && !value.isNull())
            Note(tr("The weight %1 is not a number; %2 is used.")
                     .arg(QLatin1String(pKey), QString::number(*pWeight)));
    };
    weight("defaultCriterion1Weight", &criteria.weight);
    weight("weightLowerBound", &criteria.weightLower);
    weight("weightUpperBound", &criteria.weightUpper);
    const QString strProblem = criteria.Problem();
    if (!strProblem.isEmpty()) {
        const CCriteria defaults;
        Note(tr("%1 The weight %2 and its range from %3 to %4 are used.")
                 .arg(strProblem, QString::number(defaults.weight),
                      QString::number(defaults.weightLower), QStringLiteral("infinity")));
        criteria.weight = defaults.weight;
        criteria.weightLower = defaults.weightLower;
        criteria.weightUpper = defaults.weightUpper;
        if (!criteria.Problem().isEmpty()) {
            criteria.names[0] = defaults.names[0];
            criteria.names[1] = defaults.names[1];
        }
    }
}

bool CPeerJsonReader::InputText(const QJsonValue &value, std::string *pText)
{
    if (value.isArray()) {
        // Later versions keep a pair even for one criterion; only a second
        // that says anything makes the file one of two criteria.
        const QJsonValue second = value.toArray().at(1);
        const QString strSecond =
            second.isString() ? second.toString().trimmed() : QString::number(second.toDouble());
        if (!second.isUndefined() && !second.isNull() && !strSecond.isEmpty() &&
            strSecond != QLatin1String("0"))
            twoCriteria = true;
        return InputText(value.toArray().at(0), pText);
    }
    if (value.isDouble()) {
        *pText = QString::number(value.toDouble(), 'g', 17).toStdString();
        return std::isfinite(value.toDouble());
    }
    if (value.isString()) {
        const std::string strText =
            CProjectFileWriter::XmlSafe(value.toString()).trimmed().toStdString();
        *pText =
            strText == CTreeFormulas::Rest ? strText : CPeerExpression::WithoutComment(strText);
        return !pText->empty();
    }
    return false;
}

std::string CPeerJsonReader::Translated(const std::string &strText, const Scope &scope)
{
    if (strText == CTreeFormulas::Rest)
        return strText;
    const CPeerExpression::Formula formula =
        CPeerExpression::ToFormula(strText, [&scope](const std::string &strUsed) {
            const auto it = scope.find(strUsed);
            return it == scope.end() ? std::string() : it->second;
        });
    for (const std::string &strFunction : formula.unknownFunctions)
        if (!unknownFunctions.contains(QString::fromStdString(strFunction)))
            unknownFunctions << QString::fromStdString(strFunction);
    return formula.text;
}

void CPeerJsonReader::ReadEdge(const QJsonObject &edge, CNode *pOption, bool bChance,
                               const Scope &scope)
{
    std::string strText;
    double dNumber = 0.0;
    const QJsonValue payoff = edge.value(QLatin1String("payoff"));
    if (InputText(payoff, &strText)) {
        const std::string strFormula = Translated(strText, scope);
        if (CPeerExpression::IsNumber(strFormula, &dNumber))
            pOption->payoff = dNumber;
        else
            pOption->payoffFormula = strFormula;
    }
    if (result.settings.criteria.two && payoff.isArray() &&
        InputText(payoff.toArray().at(1), &strText)) {
        const std::string strFormula = Translated(strText, scope);
        if (CPeerExpression::IsNumber(strFormula, &dNumber))
            pOption->payoff2 = dNumber;
        else
            pOption->payoff2Formula = strFormula;
    }
    if (!bChance)
        return;
    if (!InputText(edge.value(QLatin1String("probability")), &strText)) {
        pOption->probability = 0.0;
        ++missingProbabilities;
        return;
    }
    const std::string strFormula = Translated(strText, scope);
    if (CPeerExpression::IsNumber(strFormula, &dNumber))
        pOption->probability = dNumber;
    else
        pOption->probabilityFormula = strFormula;
}
