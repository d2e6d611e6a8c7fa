#pragma once

#include <QByteArray>

class CRiskProfile;
class CSensitivityAnalysis;
class CTornado;
class CTreeIndex;
class CValueOfInformation;
class CVariableSensitivity;

// Renders the analyses of ramify-solve as CSV for a spreadsheet: one header
// row, then a row per step, input, uncertainty or outcome, with numbers in
// full precision.
class CAnalysisCsv
{
public:
    static QByteArray Sensitivity(const CSensitivityAnalysis &analysis, const CTreeIndex &index);
    static QByteArray Sensitivity(const CVariableSensitivity &analysis, const CTreeIndex &index);
    static QByteArray Tornado(const CTornado &tornado, const CTreeIndex &index);
    static QByteArray Evpi(const CValueOfInformation &information);
    static QByteArray RiskProfile(const CRiskProfile &profile);
};
