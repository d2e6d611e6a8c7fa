#include "CAnalysisRequest.h"

#include "CAnalysisTable.h"
#include "CNode.h"
#include "CTreeIndex.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

bool ReadNumber(const QString &strText, double *pValue)
{
    bool bOk = false;
    *pValue = strText.trimmed().toDouble(&bOk);
    return bOk && std::isfinite(*pValue);
}

bool ReadRange(const QString &strLow, const QString &strHigh, double *pLow, double *pHigh,
               QString *pError)
{
    if (ReadNumber(strLow, pLow) && ReadNumber(strHigh, pHigh))
        return true;
    *pError = CAnalysisRequest::tr("The range \"%1..%2\" does not consist of two numbers.")
                  .arg(strLow, strHigh);
    return false;
}

} // namespace

bool CAnalysisRequest::ParseSensitivity(const QString &strText, QString *pError)
{
    // The name may itself hold ':' or '=': the last ":payoff=" or
    // ":probability=" ends it.
    static const QRegularExpression pattern(
        QStringLiteral("^(.+):(payoff|payoff2|probability)=(.+)\\.\\.(.+)$"),
        QRegularExpression::DotMatchesEverythingOption);
    // No node and no variable has an empty name: this is the weight of
    // criterion 1 in a project of two criteria.
    static const QRegularExpression weightPattern(QStringLiteral("^\\s*:weight=(.+)\\.\\.(.+)$"));
    const QRegularExpressionMatch weight = weightPattern.match(strText);
    if (weight.hasMatch()) {
        parameter = CSensitivityAnalysis::Parameter::Weight;
        return ReadRange(weight.captured(1), weight.captured(2), &low, &high, pError);
    }
    static const QRegularExpression variablePattern(
        QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*=(.+)\\.\\.(.+)$"),
        QRegularExpression::DotMatchesEverythingOption);
    QRegularExpressionMatch match = pattern.match(strText);
    if (!match.hasMatch()) {
        match = variablePattern.match(strText);
        if (!match.hasMatch()) {
            *pError = tr("\"%1\" is not of the form NODE:payoff=LOW..HIGH, "
                         "NODE:payoff2=LOW..HIGH, NODE:probability=LOW..HIGH, "
                         ":weight=LOW..HIGH or VARIABLE=LOW..HIGH.")
                          .arg(strText);
            return false;
        }
        variable = match.captured(1).toStdString();
        return ReadRange(match.captured(2), match.captured(3), &low, &high, pError);
    }
    node = match.captured(1);
    const QString strKind = match.captured(2);
    parameter = strKind == QLatin1String("payoff") ? CSensitivityAnalysis::Parameter::Payoff
                : strKind == QLatin1String("payoff2")
                    ? CSensitivityAnalysis::Parameter::SecondPayoff
                    : CSensitivityAnalysis::Parameter::Probability;
    return ReadRange(match.captured(3), match.captured(4), &low, &high, pError);
}

bool CAnalysisRequest::ParseSetting(const QString &strText, std::string *pName, double *pValue,
                                    QString *pError)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*=(.*)$"));
    const QRegularExpressionMatch match = pattern.match(strText);
    if (!match.hasMatch() || !ReadNumber(match.captured(2), pValue)) {
        *pError = tr("\"%1\" is not of the form NAME=NUMBER.").arg(strText);
        return false;
    }
    *pName = match.captured(1).toStdString();
    return true;
}

bool CAnalysisRequest::ParseTornado(const QString &strText, QString *pError)
{
    QString strNumber = strText.trimmed();
    if (strNumber.endsWith(QLatin1Char('%')))
        strNumber.chop(1);
    if (!ReadNumber(strNumber, &percent) || percent < 0) {
        *pError = tr("\"%1\" is not a share in per cent of 0 or more.").arg(strText);
        return false;
    }
    return true;
}

bool CAnalysisRequest::ParseSteps(const QString &strText, int *pSteps, QString *pError)
{
    bool bOk = false;
    *pSteps = strText.trimmed().toInt(&bOk);
    if (!bOk || *pSteps < 1 || *pSteps > CSensitivityAnalysis::MaxSteps) {
        *pError = tr("The number of steps must be a whole number from 1 to %1.")
                      .arg(CSensitivityAnalysis::MaxSteps);
        return false;
    }
    return true;
}

bool CAnalysisRequest::ParseTree(const QString &strText, int *pTree, QString *pError)
{
    bool bOk = false;
    *pTree = strText.trimmed().toInt(&bOk);
    if (!bOk || *pTree < 1) {
        *pError = tr("--tree takes the number of a tree, from 1, not \"%1\".").arg(strText);
        return false;
    }
    return true;
}

int CAnalysisRequest::FindOption(const CTreeIndex &index, QString *pError) const
{
    if (node.startsWith(QLatin1Char('#'))) {
        bool bOk = false;
        const int n = index.FromId(node.mid(1).toULongLong(&bOk));
        if (!bOk || n < 0) {
            *pError = tr("The tree has no node %1.").arg(node);
            return -1;
        }
        if (index.Type(n) != NodeType::Option) {
            *pError = tr("%1 is not an option.").arg(index.Describe(n));
            return -1;
        }
        return n;
    }
    const std::vector<int> found = index.OptionsNamed(node.toStdString());
    if (found.size() == 1)
        return found.front();
    if (found.empty()) {
        // A Decision or Situation of that name is most likely what was meant.
        for (int n = 0; n < index.Size(); ++n)
            if (index.Node(n)->name == node.toStdString()) {
                *pError = tr("%1 is not an option.").arg(index.Describe(n));
                return -1;
            }
        *pError = tr("The tree has no option named \"%1\".").arg(node);
        return -1;
    }
    *pError = tr("Several options are named \"%1\": %2. Name one by its ID.")
                  .arg(node, CAnalysisTable::Ids(found).join(QStringLiteral(", ")));
    return -1;
}

bool CAnalysisRequest::ToInput(const CTreeIndex &index, CTwoWayAnalysis::Input *pInput,
                               QString *pError) const
{
    pInput->variable = variable;
    pInput->kind = parameter;
    pInput->low = low;
    pInput->high = high;
    if (parameter == CSensitivityAnalysis::Parameter::Weight) {
        pInput->option = -1;
        return true;
    }
    pInput->option = variable.empty() ? FindOption(index, pError) : -1;
    return !variable.empty() || pInput->option >= 0;
}
