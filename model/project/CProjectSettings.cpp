#include "CProjectSettings.h"

#include "CProjectFileWriter.h"

#include <QCoreApplication>
#include <QXmlStreamAttributes>
#include <QXmlStreamWriter>

bool CProjectSettings::operator==(const CProjectSettings &other) const
{
    return rule == other.rule && numbers == other.numbers;
}

void CProjectSettings::ReadAttributes(const QXmlStreamAttributes &attributes)
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
    numbers = read;
}

void CProjectSettings::WriteAttributes(QXmlStreamWriter &writer) const
{
    if (rule.GetKind() != CDecisionRule::ExpectedValueMaximization)
        writer.writeAttribute(QStringLiteral("Rule"), rule.Name());
    if (rule.HasRiskTolerance())
        writer.writeAttribute(QStringLiteral("RiskTolerance"),
                              CProjectFileWriter::FormatNumber(rule.RiskTolerance()));
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

bool CProjectSettings::ReadRule(const QXmlStreamAttributes &attributes, QString *pError)
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
    rule = read;
    return true;
}
