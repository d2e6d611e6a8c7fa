#include "CProjectSettings.h"

#include "CProjectFileWriter.h"

#include <QCoreApplication>
#include <QXmlStreamAttributes>
#include <QXmlStreamWriter>

bool CProjectSettings::operator==(const CProjectSettings &other) const
{
    return rule == other.rule;
}

void CProjectSettings::ReadAttributes(const QXmlStreamAttributes &) {}

void CProjectSettings::WriteAttributes(QXmlStreamWriter &writer) const
{
    if (rule.GetKind() != CDecisionRule::ExpectedValueMaximization)
        writer.writeAttribute(QStringLiteral("Rule"), rule.Name());
    if (rule.HasRiskTolerance())
        writer.writeAttribute(QStringLiteral("RiskTolerance"),
                              CProjectFileWriter::FormatNumber(rule.RiskTolerance()));
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
