#include "CSolveRollback.h"

#include "CCsvTable.h"
#include "CDecisionRule.h"
#include "CRiskReport.h"
#include "CSolveReportJson.h"
#include "CSolveReportText.h"
#include "CTreeIndex.h"

#include <QStringList>

bool CSolveRollback::Parse(const Request &request, QString *)
{
    evpi = request.evpi;
    riskProfile = request.profile;
    return true;
}

QString CSolveRollback::RuleProblem(const CDecisionRule &rule) const
{
    if (!evpi || rule.Expects())
        return QString();
    return QStringLiteral("--evpi needs an expected-value rule; %1 takes worst or best outcomes.")
        .arg(rule.Name());
}

CSolveAnalysis::Outcome CSolveRollback::Run(const Subject &subject)
{
    report.emplace(subject.tree, subject.project, subject.file);
    if (subject.rule.IsDefault() && !evpi && !riskProfile)
        return {};
    Outcome fault;
    if (!Evaluate(subject, &fault))
        return fault;
    if (evpi) {
        information.emplace(*evaluation);
        if (!information->Run())
            return Fault(subject, information->TreeAtFault(), information->Error());
    }
    if (riskProfile) {
        profile.emplace(*evaluation);
        if (!profile->Run())
            return FileFault(subject, profile->Error());
    }
    // The values of single uncertainties stand even where knowing everything
    // at once cannot be worked out; the failure comes after them.
    if (information && !information->HasAll()) {
        fault = FileFault(subject, information->AllError());
        fault.printed = true;
        return fault;
    }
    return {};
}

QByteArray CSolveRollback::Text(const Subject &subject) const
{
    // The text is worded in the project's number format, JSON and CSV plainly.
    const QString strReport = CSolveReportText::Render(*report, subject.numbers);
    if (!evaluation)
        return strReport.toUtf8();
    return (strReport + CRiskReport::Text(*evaluation, information ? &*information : nullptr,
                                          profile ? &*profile : nullptr))
        .toUtf8();
}

QByteArray CSolveRollback::Json(const Subject &) const
{
    if (!evaluation)
        return CSolveReportJson::Render(*report);
    return CSolveReportJson::Render(
        *report, CRiskReport::Json(*evaluation, information ? &*information : nullptr,
                                   profile ? &*profile : nullptr));
}

QByteArray CSolveRollback::Csv(const Subject &) const
{
    std::vector<QStringList> rows;
    if (information) {
        for (const CValueOfInformation::Uncertainty &uncertainty : information->Uncertainties()) {
            QStringList ids;
            for (int n : uncertainty.situations)
                ids << QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
            rows.push_back({uncertainty.name, ids.join(QLatin1Char(' ')),
                            CCsvTable::Number(uncertainty.valueWithInformation),
                            CCsvTable::Number(uncertainty.evpi)});
        }
        if (information->HasAll())
            rows.push_back({QStringLiteral("everything"), QString(),
                            CCsvTable::Number(information->AllValueWithInformation()),
                            CCsvTable::Number(information->AllEvpi())});
        return CCsvTable::Write({QStringLiteral("uncertainty"), QStringLiteral("situations"),
                                 QStringLiteral("value with information"), QStringLiteral("evpi")},
                                rows);
    }
    if (!profile)
        return QByteArray();
    for (const CRiskProfile::Profile &option : profile->Profiles()) {
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
