#pragma once

#include <QByteArray>
#include <QString>

class CSensitivityAnalysis;
class CTornado;
class CTreeIndex;
class CVariableSensitivity;

// Renders the analyses of ramify-solve as JSON documents. Nodes appear as
// {"id": ID in the file, "name": ...}, or null where there is none.
class CAnalysisJson
{
public:
    static QByteArray Sensitivity(const CSensitivityAnalysis &analysis, const CTreeIndex &index,
                                  const QString &strProject, const QString &strFile);
    static QByteArray Sensitivity(const CVariableSensitivity &analysis, const CTreeIndex &index,
                                  const QString &strProject, const QString &strFile);
    static QByteArray Tornado(const CTornado &tornado, const CTreeIndex &index,
                              const QString &strProject, const QString &strFile);
};
