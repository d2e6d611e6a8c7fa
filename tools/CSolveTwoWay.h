#pragma once

#include "CAnalysisRequest.h"
#include "CSolveAnalysis.h"
#include "CTwoWayAnalysis.h"

#include <QCommandLineOption>

// --two-way: the tree's value and the first decision's choice over a grid
// of two inputs, each in a form of --sensitivity.
class CSolveTwoWay : public CSolveAnalysis
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
    CAnalysisRequest across;
    CAnalysisRequest up;
    int steps = CSensitivityAnalysis::DefaultSteps;
    std::optional<CTwoWayAnalysis> result;
};
