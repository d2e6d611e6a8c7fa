#include "CRiskReport.h"

#include "CRiskProfile.h"
#include "CSolveReportText.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CValueOfInformation.h"
#include "NumberPrecision.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

// Rows of cells, each column as wide as its widest cell: names to the
// left, numbers to the right.
QString Table(const std::vector<QStringList> &rows, bool bNamesFirst = true)
{
    std::vector<int> widths;
    for (const QStringList &row : rows)
        for (int c = 0; c < row.size(); ++c) {
            if (size_t(c) >= widths.size())
                widths.push_back(0);
            widths[size_t(c)] = std::max(widths[size_t(c)], int(row.at(c).size()));
        }
    QString strOut;
    for (const QStringList &row : rows) {
        QString strLine = QStringLiteral("  ");
        for (int c = 0; c < row.size(); ++c)
            strLine += c > 0 ? QStringLiteral("  ") + row.at(c).rightJustified(widths[size_t(c)])
                       : bNamesFirst ? row.at(c).leftJustified(widths[size_t(c)])
                                     : row.at(c).rightJustified(widths[size_t(c)]);
        strOut += strLine.trimmed().isEmpty() ? QStringLiteral("\n") : strLine + QLatin1Char('\n');
    }
    return strOut;
}

QString Name(const QString &strName)
{
    return QStringLiteral("\"%1\"").arg(CSolveReportText::Printable(strName));
}

} // namespace

QJsonObject CRiskReport::Json(const CTreeEvaluation &evaluation,
                              const CValueOfInformation *pInformation, const CRiskProfile *pProfile)
{
    const CDecisionRule &rule = evaluation.Rule();
    QJsonObject object{{QStringLiteral("rule"), rule.Name()}};
    if (rule.HasRiskTolerance()) {
        const double dExpected = evaluation.ExpectedValues().front();
        object.insert(QStringLiteral("riskTolerance"), rule.RiskTolerance());
        object.insert(QStringLiteral("certaintyEquivalent"), evaluation.RootValue());
        object.insert(QStringLiteral("expectedValue"), dExpected);
        object.insert(QStringLiteral("riskPremium"), dExpected - evaluation.RootValue());
    }
    if (pInformation) {
        QJsonArray uncertainties;
        for (const CValueOfInformation::Uncertainty &uncertainty : pInformation->Uncertainties()) {
            QJsonArray ids;
            for (int n : uncertainty.situations)
                ids.append(double(CTreeIndex::IdOf(n)));
            QJsonObject entry{
                {QStringLiteral("uncertainty"), uncertainty.name},
                {QStringLiteral("situations"), ids},
                {QStringLiteral("valueWithInformation"), uncertainty.valueWithInformation},
                {QStringLiteral("evpi"), uncertainty.evpi}};
            if (!uncertainty.reading.isEmpty()) {
                entry.insert(QStringLiteral("reading"), uncertainty.reading);
                entry.insert(QStringLiteral("test"), uncertainty.test);
            }
            uncertainties.append(entry);
        }
        object.insert(QStringLiteral("evpi"), uncertainties);
        object.insert(
            QStringLiteral("evpiAll"),
            pInformation->HasAll()
                ? QJsonValue(QJsonObject{{QStringLiteral("valueWithInformation"),
                                          pInformation->AllValueWithInformation()},
                                         {QStringLiteral("evpi"), pInformation->AllEvpi()}})
                : QJsonValue());
    }
    if (pProfile) {
        QJsonArray profiles;
        for (const CRiskProfile::Profile &profile : pProfile->Profiles()) {
            QJsonArray outcomes;
            for (const CRiskProfile::Outcome &outcome : profile.outcomes)
                outcomes.append(QJsonObject{{QStringLiteral("value"), outcome.value},
                                            {QStringLiteral("probability"), outcome.probability}});
            profiles.append(
                QJsonObject{{QStringLiteral("option"), profile.name},
                            {QStringLiteral("id"), double(CTreeIndex::IdOf(profile.option))},
                            {QStringLiteral("chosen"), profile.chosen},
                            {QStringLiteral("outcomes"), outcomes},
                            {QStringLiteral("mean"), profile.mean},
                            {QStringLiteral("standardDeviation"), profile.standardDeviation},
                            {QStringLiteral("minimum"), profile.minimum},
                            {QStringLiteral("maximum"), profile.maximum},
                            {QStringLiteral("probabilityOfLoss"), profile.probabilityOfLoss}});
        }
        object.insert(QStringLiteral("riskProfiles"), profiles);
        object.insert(QStringLiteral("dominance"), pProfile->DominanceText());
    }
    return object;
}

QString CRiskReport::Text(const CTreeEvaluation &evaluation,
                          const CValueOfInformation *pInformation, const CRiskProfile *pProfile)
{
    const CDecisionRule &rule = evaluation.Rule();
    QString strOut;
    if (!rule.IsDefault())
        strOut += QStringLiteral("\nRule: %1\n").arg(rule.Name());
    if (rule.HasRiskTolerance()) {
        const double dExpected = evaluation.ExpectedValues().front();
        strOut +=
            Table({{QStringLiteral("Risk tolerance"), NumberAtPrecision(rule.RiskTolerance(), 10)},
                   {QStringLiteral("Certainty equivalent"),
                    NumberAtPrecision(evaluation.RootValue(), 10)},
                   {QStringLiteral("Expected value"), NumberAtPrecision(dExpected, 10)},
                   {QStringLiteral("Risk premium"),
                    NumberAtPrecision(dExpected - evaluation.RootValue(), 10)}});
    }
    if (pInformation) {
        strOut += QStringLiteral("\nValue of perfect information (value now %1):\n")
                      .arg(NumberAtPrecision(pInformation->Value(), 10));
        std::vector<QStringList> rows{{QStringLiteral("Uncertainty"), QStringLiteral("Situations"),
                                       QStringLiteral("value with information"),
                                       QStringLiteral("EVPI")}};
        for (const CValueOfInformation::Uncertainty &uncertainty : pInformation->Uncertainties())
            rows.push_back({Name(uncertainty.name) + CValueOfInformation::ReadingNote(uncertainty),
                            CAnalysisTable::Ids(uncertainty.situations).join(QStringLiteral(", ")),
                            NumberAtPrecision(uncertainty.valueWithInformation, 10),
                            NumberAtPrecision(uncertainty.evpi, 10)});
        if (pInformation->HasAll())
            rows.push_back({QStringLiteral("everything"), QString(),
                            NumberAtPrecision(pInformation->AllValueWithInformation(), 10),
                            NumberAtPrecision(pInformation->AllEvpi(), 10)});
        strOut += Table(rows);
    }
    if (pProfile) {
        strOut += QStringLiteral("\nRisk profiles:\n");
        std::vector<QStringList> rows{{QStringLiteral("Option"), QStringLiteral("chosen"),
                                       QStringLiteral("mean"), QStringLiteral("sd"),
                                       QStringLiteral("minimum"), QStringLiteral("maximum"),
                                       QStringLiteral("P(loss)")}};
        for (const CRiskProfile::Profile &profile : pProfile->Profiles())
            rows.push_back({QStringLiteral("%1 (#%2)")
                                .arg(Name(profile.name))
                                .arg(CTreeIndex::IdOf(profile.option)),
                            profile.chosen ? QStringLiteral("yes") : QStringLiteral("no"),
                            NumberAtPrecision(profile.mean, 10),
                            NumberAtPrecision(profile.standardDeviation, 10),
                            NumberAtPrecision(profile.minimum, 10),
                            NumberAtPrecision(profile.maximum, 10),
                            NumberAtPrecision(profile.probabilityOfLoss, 10)});
        strOut += Table(rows);
        for (const CRiskProfile::Profile &profile : pProfile->Profiles()) {
            strOut += QStringLiteral("\nOutcomes of %1:\n").arg(Name(profile.name));
            std::vector<QStringList> outcomes{{QStringLiteral("value"),
                                               QStringLiteral("probability"),
                                               QStringLiteral("cumulative")}};
            double dCumulative = 0.0;
            for (const CRiskProfile::Outcome &outcome : profile.outcomes) {
                dCumulative += outcome.probability;
                outcomes.push_back({NumberAtPrecision(outcome.value, 10),
                                    NumberAtPrecision(outcome.probability, 10),
                                    NumberAtPrecision(dCumulative, 10)});
            }
            strOut += Table(outcomes, false);
        }
        strOut += QStringLiteral("\nDominance: %1\n").arg(pProfile->DominanceText());
    }
    return strOut;
}
