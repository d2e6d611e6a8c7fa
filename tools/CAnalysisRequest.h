#pragma once

#include "CSensitivityAnalysis.h"
#include "CTwoWayAnalysis.h"

#include <QCoreApplication>
#include <QString>

#include <string>

class CTreeIndex;

// What ramify-solve is asked to analyse: "NODE:payoff=LOW..HIGH" or
// "NODE:probability=LOW..HIGH" for a one-way analysis, a share in per cent
// for a tornado. NODE names an option by its name when that is unique, or by
// its number in the file as "#ID". "NAME=LOW..HIGH" moves the variable NAME.
// In a project of two criteria "NODE:payoff2=LOW..HIGH" moves an option's
// second payoff and ":weight=LOW..HIGH" the weight w of criterion 1.
class CAnalysisRequest
{
    Q_DECLARE_TR_FUNCTIONS(CAnalysisRequest)

public:
    // False, with a message, when the text does not have the form above.
    bool ParseSensitivity(const QString &strText, QString *pError);
    // "NAME=VALUE" of --set; false, with a message, for another form.
    static bool ParseSetting(const QString &strText, std::string *pName, double *pValue,
                             QString *pError);
    // Takes "10" or "10%".
    bool ParseTornado(const QString &strText, QString *pError);
    static bool ParseSteps(const QString &strText, int *pSteps, QString *pError);
    // A tree of a file, counted from 1.
    static bool ParseTree(const QString &strText, int *pTree, QString *pError);

    // The option that NODE names in the tree, or -1 with a message: no such
    // option, not an option, or a name that several options share (the
    // message lists their IDs).
    int FindOption(const CTreeIndex &index, QString *pError) const;
    // The parsed range as an input of a two-way analysis; false, with a
    // message, where FindOption finds no option.
    bool ToInput(const CTreeIndex &index, CTwoWayAnalysis::Input *pInput, QString *pError) const;

    QString node;
    // The variable moved instead of an option's parameter; empty otherwise.
    std::string variable;
    CSensitivityAnalysis::Parameter parameter = CSensitivityAnalysis::Parameter::Payoff;
    double low = 0.0;
    double high = 0.0;
    double percent = 0.0;
};
