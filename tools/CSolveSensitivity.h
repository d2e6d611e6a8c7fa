#pragma once

#include "CAnalysisRequest.h"
#include "CSolveAnalysis.h"
#include "CVariableSensitivity.h"

#include <QCommandLineOption>

// --sensitivity: the tree's value and the decisions' choices while one
// option's payoff or probability, or one variable, runs over a range.
class CSolveSensitivity : public CSolveAnalysis
{
public:
    static QCommandLineOption Option();

    bool Parse(const Request &request, QString *pError) override;
    std::vector<std::string> Variables() const override;

protected:
    Outcome Run(const Subject &subject) override;
    QByteArray Text(const Subject &subject) const override;
    QByteArray Json(const Subject &subject) const override;
    QByteArray Csv(const Subject &subject) const override;

private:
    CAnalysisRequest request;
    int steps = CSensitivityAnalysis::DefaultSteps;
    std::optional<CSensitivityAnalysis> option;
    std::optional<CVariableSensitivity> variable;
};
