#include "CSettingsAttributes.h"

#include "CProjectFileWriter.h"
#include "CProjectSettings.h"

#include <QCoreApplication>
#include <QXmlStreamAttributes>
#include <QXmlStreamWriter>

#include <cmath>

namespace {

// Infinity is a weight a user may choose; a number written for it must read back.
QString WeightText(double dWeight)
{
    return std::isinf(dWeight) ? QStringLiteral("inf") : CProjectFileWriter::FormatNumber(dWeight);
}

bool ReadWeight(const QXmlStreamAttributes &attributes, const QString &strName, double *pWeight)
{
    if (!attributes.hasAttribute(strName))
        return true;
    const QString strText = attributes.value(strName).toString().trimmed();
    if (strText == QLatin1String("inf")) {
        *pWeight = CCriteria::Infinite;
        return true;
    }
    bool bNumber = false;
    *pWeight = strText.toDouble(&bNumber);
    return bNumber;
}

void WriteCriteria(QXmlStreamWriter &writer, const CCriteria &criteria)
{
    if (!criteria.two)
        return;
    writer.writeAttribute(QStringLiteral("Criteria"), QStringLiteral("2"));
    for (int n = 0; n < 2; ++n) {
        const QString strKey = QStringLiteral("Criterion%1").arg(n + 1);
        writer.writeAttribute(strKey + QStringLiteral("Name"),
                              CProjectFileWriter::XmlSafe(criteria.names[n]));
        if (!criteria.units[n].isEmpty())
            writer.writeAttribute(strKey + QStringLiteral("Unit"),
                                  CProjectFileWriter::XmlSafe(criteria.units[n]));
        writer.writeAttribute(strKey + QStringLiteral("Goal"),
                              criteria.maximise[n] ? QStringLiteral("max") : QStringLiteral("min"));
    }
    writer.writeAttribute(QStringLiteral("Weight"), WeightText(criteria.weight));
    writer.writeAttribute(QStringLiteral("WeightLower"), WeightText(criteria.weightLower));
    writer.writeAttribute(QStringLiteral("WeightUpper"), WeightText(criteria.weightUpper));
}

} // namespace

bool CSettingsAttributes::ReadCriteria(const QXmlStreamAttributes &attributes,
                                       CProjectSettings *pSettings, QString *pError)
{
    CCriteria read;
    if (!attributes.hasAttribute(QLatin1String("Criteria"))) {
        pSettings->criteria = read;
        return true;
    }
    read.two = attributes.value(QLatin1String("Criteria")) == QLatin1String("2");
    for (int n = 0; n < 2; ++n) {
        const QString strKey = QStringLiteral("Criterion%1").arg(n + 1);
        if (attributes.hasAttribute(strKey + QStringLiteral("Name")))
            read.names[n] = CProjectFileWriter::XmlSafe(
                attributes.value(strKey + QStringLiteral("Name")).toString());
        read.units[n] = CProjectFileWriter::XmlSafe(
            attributes.value(strKey + QStringLiteral("Unit")).toString());
        if (attributes.hasAttribute(strKey + QStringLiteral("Goal")))
            read.maximise[n] =
                attributes.value(strKey + QStringLiteral("Goal")) == QLatin1String("max");
    }
    const bool bNumbers =
        ReadWeight(attributes, QStringLiteral("Weight"), &read.weight) &&
        ReadWeight(attributes, QStringLiteral("WeightLower"), &read.weightLower) &&
        ReadWeight(attributes, QStringLiteral("WeightUpper"), &read.weightUpper);
    const QString strProblem =
        bNumbers ? read.Problem()
                 : QCoreApplication::translate("CProjectSettings",
                                               "The weight of the criteria is not a number.");
    if (!strProblem.isEmpty()) {
        *pError = strProblem;
        return false;
    }
    pSettings->criteria = read;
    return true;
}

void CSettingsAttributes::Read(const QXmlStreamAttributes &attributes, CProjectSettings *pSettings)
{
    // A value that does not read leaves its default: the numbers only look
    // different, nothing of the tree is lost.
    NumberFormat read;
    read.grouping = attributes.value(QLatin1String("NumberGrouping")) == QLatin1String("1");
    bool bNumber = false;
    const int nDecimals = attributes.value(QLatin1String("NumberDecimals")).toInt(&bNumber);
    if (bNumber && nDecimals >= 0 && nDecimals <= NumberFormat::MaxDecimals)
        read.decimals = nDecimals;
    read.prefix =
        CProjectFileWriter::XmlSafe(attributes.value(QLatin1String("NumberPrefix")).toString());
    read.suffix =
        CProjectFileWriter::XmlSafe(attributes.value(QLatin1String("NumberSuffix")).toString());
    pSettings->numbers = read;
}

void CSettingsAttributes::Write(QXmlStreamWriter &writer, const CProjectSettings &settings)
{
    const CDecisionRule &rule = settings.rule;
    const NumberFormat &numbers = settings.numbers;
    if (rule.GetKind() != CDecisionRule::ExpectedValueMaximization)
        writer.writeAttribute(QStringLiteral("Rule"), rule.Name());
    if (rule.HasRiskTolerance())
        writer.writeAttribute(QStringLiteral("RiskTolerance"),
                              CProjectFileWriter::FormatNumber(rule.RiskTolerance()));
    WriteCriteria(writer, settings.criteria);
    if (numbers.grouping)
        writer.writeAttribute(QStringLiteral("NumberGrouping"), QStringLiteral("1"));
    if (numbers.decimals != NumberFormat::AsNeeded)
        writer.writeAttribute(QStringLiteral("NumberDecimals"), QString::number(numbers.decimals));
    if (!numbers.prefix.isEmpty())
        writer.writeAttribute(QStringLiteral("NumberPrefix"),
                              CProjectFileWriter::XmlSafe(numbers.prefix));
    if (!numbers.suffix.isEmpty())
        writer.writeAttribute(QStringLiteral("NumberSuffix"),
                              CProjectFileWriter::XmlSafe(numbers.suffix));
}

bool CSettingsAttributes::ReadRule(const QXmlStreamAttributes &attributes,
                                   CProjectSettings *pSettings, QString *pError)
{
    CDecisionRule::Kind kind = CDecisionRule::ExpectedValueMaximization;
    if (attributes.hasAttribute(QLatin1String("Rule")) &&
        !CDecisionRule::FromName(attributes.value(QLatin1String("Rule")).toString(), &kind, pError))
        return false;
    CDecisionRule read(kind);
    if (attributes.hasAttribute(QLatin1String("RiskTolerance"))) {
        const QString strTolerance = attributes.value(QLatin1String("RiskTolerance")).toString();
        bool bNumber = false;
        const double dTolerance = strTolerance.toDouble(&bNumber);
        QString strWhy;
        if (!bNumber || dTolerance == 0.0 || !read.SetRiskTolerance(dTolerance, &strWhy)) {
            *pError =
                QCoreApplication::translate("CProjectSettings",
                                            "The risk tolerance \"%1\" cannot be used. %2")
                    .arg(strTolerance, strWhy.isEmpty()
                                           ? QCoreApplication::translate(
                                                 "CProjectSettings",
                                                 "The risk tolerance must be a number above 0.")
                                           : strWhy);
            return false;
        }
    }
    pSettings->rule = read;
    return true;
}
