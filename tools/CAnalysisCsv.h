#pragma once

#include <QByteArray>

class CRiskProfile;
class CSensitivityAnalysis;
class CSpiderAnalysis;
class CTornado;
class CTreeIndex;
class CTwoWayAnalysis;
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
    // One row per point of the grid, the rows of the second input in turn.
    static QByteArray TwoWay(const CTwoWayAnalysis &analysis, const CTreeIndex &index);
    // One row per input and change, widest swing first.
    static QByteArray Spider(const CSpiderAnalysis &spider, const CTreeIndex &index);
    static QByteArray Evpi(const CValueOfInformation &information);
    static QByteArray RiskProfile(const CRiskProfile &profile);
};
