#pragma once

#include "CSolveAnalysis.h"
#include "CSpiderAnalysis.h"

#include <QCommandLineOption>

// --spider: the tree's value as every input of the tornado changes in steps
// from -PERCENT to +PERCENT of its value.
class CSolveSpider : public CSolveAnalysis
{
public:
    static QCommandLineOption Option();

    bool Parse(const Request &request, QString *pError) override;

protected:
    Outcome Run(const Subject &subject) override;
    QByteArray Text(const Subject &subject) const override;
    QByteArray Json(const Subject &subject) const override;
    QByteArray Csv(const Subject &subject) const override;

private:
    double percent = 0.0;
    int steps = CSensitivityAnalysis::DefaultSteps;
    std::optional<CSpiderAnalysis> spider;
};
