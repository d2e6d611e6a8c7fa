#pragma once

#include "CSolveAnalysis.h"
#include "CTornado.h"

#include <QCommandLineOption>

// --tornado: every input moved down and up by a share of its value, one at
// a time, the widest swing of the tree's value first.
class CSolveTornado : public CSolveAnalysis
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
    std::optional<CTornado> tornado;
};
