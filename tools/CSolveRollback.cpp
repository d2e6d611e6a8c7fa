#include "CCsvTable.h"
#include "CDecisionRule.h"
#include "CRiskProfile.h"
#include "CRiskReport.h"
#include "CSolveAnalysis.h"
#include "CSolveReport.h"
#include "CSolveReportJson.h"
#include "CSolveReportText.h"
#include "CTreeIndex.h"
#include "CValueOfInformation.h"

#include <QStringList>

namespace {

// The table of the one analysis added, for a spreadsheet.
QByteArray Csv(const CValueOfInformation *pInformation, const CRiskProfile *pProfile)
{
    std::vector<QStringList> rows;
    if (pInformation) {
        for (const CValueOfInformation::Uncertainty &uncertainty : pInformation->Uncertainties()) {
            QStringList ids;
            for (int n : uncertainty.situations)
                ids << QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
            rows.push_back({uncertainty.name, ids.join(QLatin1Char(' ')),
                            CCsvTable::Number(uncertainty.valueWithInformation),
                            CCsvTable::Number(uncertainty.evpi)});
        }
        if (pInformation->HasAll())
            rows.push_back({QStringLiteral("everything"), QString(),
                            CCsvTable::Number(pInformation->AllValueWithInformation()),
                            CCsvTable::Number(pInformation->AllEvpi())});
        return CCsvTable::Write({QStringLiteral("uncertainty"), QStringLiteral("situations"),
                                 QStringLiteral("value with information"), QStringLiteral("evpi")},
                                rows);
    }
    if (!pProfile)
        return QByteArray();
    for (const CRiskProfile::Profile &option : pProfile->Profiles()) {
        double dCumulative = 0.0;
        for (const CRiskProfile::Outcome &outcome : option.outcomes) {
            dCumulative += outcome.probability;
            rows.push_back({option.name, QString::number(CTreeIndex::IdOf(option.option)),
                            option.chosen ? QStringLiteral("1") : QStringLiteral("0"),
                            CCsvTable::Number(outcome.value),
                            CCsvTable::Number(outcome.probability),
                            CCsvTable::Number(dCumulative)});
        }
    }
    return CCsvTable::Write({QStringLiteral("option"), QStringLiteral("id"),
                             QStringLiteral("chosen"), QStringLiteral("value"),
                             QStringLiteral("probability"), QStringLiteral("cumulative")},
                            rows);
}

// The report of the rolled-back tree, what ramify-solve prints when no
// analysis is asked for; with --evpi and --risk-profile the value of
// information and the risk profiles are added, and each is a table of CSV.
class Rollback : public CSolveAnalysis
{
public:
    bool Parse(const Request &request, QString *) override
    {
        evpi = request.evpi;
        riskProfile = request.profile;
        return true;
    }
    QString RuleProblem(const CDecisionRule &rule) const override
    {
        if (!evpi || rule.Expects())
            return QString();
        return QStringLiteral(
                   "--evpi needs an expected-value rule; %1 takes worst or best outcomes.")
            .arg(rule.Name());
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        const CSolveReport report(subject.tree, subject.project, subject.file);
        // The text is worded in the project's number format, JSON and CSV plainly.
        if (subject.rule.IsDefault() && !evpi && !riskProfile) {
            *pOut = form == Form::Json ? CSolveReportJson::Render(report)
                                       : CSolveReportText::Render(report, subject.numbers).toUtf8();
            return {};
        }
        Outcome fault;
        if (!Evaluate(subject, &fault))
            return fault;
        std::optional<CValueOfInformation> information;
        if (evpi) {
            information.emplace(*evaluation);
            if (!information->Run())
                return Fault(subject, information->TreeAtFault(), information->Error());
        }
        std::optional<CRiskProfile> profile;
        if (riskProfile) {
            profile.emplace(*evaluation);
            if (!profile->Run())
                return FileFault(subject, profile->Error());
        }
        const CValueOfInformation *pInformation = information ? &*information : nullptr;
        const CRiskProfile *pProfile = profile ? &*profile : nullptr;
        *pOut = form == Form::Csv ? Csv(pInformation, pProfile)
                : form == Form::Json
                    ? CSolveReportJson::Render(
                          report, CRiskReport::Json(*evaluation, pInformation, pProfile))
                    : (CSolveReportText::Render(report, subject.numbers) +
                       CRiskReport::Text(*evaluation, pInformation, pProfile))
                          .toUtf8();
        // The values of single uncertainties stand even where knowing
        // everything at once cannot be worked out; the failure comes after.
        if (pInformation && !pInformation->HasAll()) {
            fault = FileFault(subject, pInformation->AllError());
            fault.printed = true;
            return fault;
        }
        return {};
    }

private:
    bool evpi = false;
    bool riskProfile = false;
};

} // namespace

std::unique_ptr<CSolveAnalysis> CSolveAnalysis::Report()
{
    return std::make_unique<Rollback>();
}
