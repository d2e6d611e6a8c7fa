#pragma once

#include "CRiskProfile.h"
#include "CSolveAnalysis.h"
#include "CSolveReport.h"
#include "CValueOfInformation.h"

// The report of the rolled-back tree, what ramify-solve prints when no
// analysis is asked for; with --evpi and --risk-profile the value of
// information and the risk profiles are added, and each is a table of CSV.
class CSolveRollback : public CSolveAnalysis
{
public:
    bool Parse(const Request &request, QString *pError) override;
    QString RuleProblem(const CDecisionRule &rule) const override;

protected:
    Outcome Run(const Subject &subject) override;
    QByteArray Text(const Subject &subject) const override;
    QByteArray Json(const Subject &subject) const override;
    QByteArray Csv(const Subject &subject) const override;

private:
    bool evpi = false;
    bool riskProfile = false;
    std::optional<CSolveReport> report;
    // Made only when asked for; under the default rule with neither, the
    // report stands alone and the tree is not evaluated again.
    std::optional<CValueOfInformation> information;
    std::optional<CRiskProfile> profile;
};
