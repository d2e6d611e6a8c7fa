#pragma once

#include <QString>

class CSensitivityAnalysis;
class CTornado;
class CTreeIndex;
class CVariableSensitivity;

// Renders the analyses of ramify-solve as plain text with aligned columns.
class CAnalysisText
{
public:
    static QString Sensitivity(const CSensitivityAnalysis &analysis, const CTreeIndex &index,
                               const QString &strProject, const QString &strFile);
    static QString Sensitivity(const CVariableSensitivity &analysis, const CTreeIndex &index,
                               const QString &strProject, const QString &strFile);
    static QString Tornado(const CTornado &tornado, const CTreeIndex &index,
                           const QString &strProject, const QString &strFile);

    // How the text reports word a value, an exact break-even and an option.
    static QString Number(double dValue);
    static QString Exact(double dValue);
    static QString Label(const CTreeIndex &index, int n);
};
