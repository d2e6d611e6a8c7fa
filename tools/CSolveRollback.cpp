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

#include <memory>

namespace {

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

    QString CriteriaProblem(const CCriteria &criteria) const override
    {
        return evpi || riskProfile ? criteria.AnalysisProblem() : QString();
    }

protected:
    Outcome Run(const Subject &subject, Form form, QByteArray *pOut) override
    {
        auto made = std::make_shared<CSolveReport>(subject.tree, subject.project, subject.file);
        made->twoCriteria = subject.criteria.two;
        const std::shared_ptr<const CSolveReport> shared = std::move(made);
        const CSolveReport &report = *shared;
        // The text is worded in the project's number format, JSON and CSV plainly.
        if ((subject.rule.IsDefault() || subject.criteria.two) && !evpi && !riskProfile) {
            if (form == Form::Json)
                rest = [shared](const CSolveReportJson::Sink &sink) {
                    CSolveReportJson::Write(*shared, QJsonObject(), sink);
                };
            else
                *pOut = CSolveReportText::Render(report, subject.numbers).toUtf8();
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
        *pOut = form == Form::Csv ? Csv(pInformation ? pInformation->Table() : pProfile->Table())
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
