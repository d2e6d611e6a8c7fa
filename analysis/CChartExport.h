#pragma once

#include <QCoreApplication>
#include <QString>

namespace QtCharts {
class QChartView;
}

// Saves what a chart view shows: as an SVG drawing when the path ends in
// ".svg", otherwise as a PNG image.
class CChartExport
{
    Q_DECLARE_TR_FUNCTIONS(CChartExport)

public:
    // False, with a sentence for the user, when the file could not be written.
    static bool Save(QtCharts::QChartView *pView, const QString &strPath, QString *pError);
};
