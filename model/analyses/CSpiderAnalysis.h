#pragma once

#include "CTornado.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class CDecisionTree;
class CTreeEvaluation;
class CTreeIndex;

// A spider chart's data: for every input of the tornado, the Root's value at
// N + 1 equal steps of its change from -P % to +P % of its own value, one
// input at a time. A probability stays within 0 and 1 (its line is flat
// beyond) and takes its change from its siblings as in the one-way analysis.
// Inputs whose line is flat are left out; the rest come widest swing (highest
// minus lowest value) first.
class CSpiderAnalysis
{
    Q_DECLARE_TR_FUNCTIONS(CSpiderAnalysis)

public:
    struct Line
    {
        // The input, as the tornado names it; low and high are its ends.
        CTornado::Bar input;
        // The change in per cent and the Root's value there, from -P to +P.
        std::vector<std::pair<double, double>> points;

        double Swing() const;
    };

    explicit CSpiderAnalysis(const CTreeEvaluation &evaluation);

    // False, with Error() telling why, for a tree of the wrong shape, a share
    // that is negative or not a number, a number of steps out of range, or a
    // formula that cannot be computed at some step of a variable. Given the
    // evaluated tree, its variables are inputs as in the tornado.
    bool Run(double dPercent, int nSteps, const CDecisionTree *pTree = nullptr);
    QString Error() const { return error; }
    double Percent() const { return percent; }
    double CurrentValue() const;
    const std::vector<Line> &Lines() const { return lines; }
    // How many inputs were moved, with or without a swing.
    int InputCount() const { return inputCount; }

    // A row per input and change, widest swing first.
    CAnalysisTable Table(const CTreeIndex &index) const;
    // The lines laid out for reading: a header of the changes, one row per
    // input, ten significant digits, as a report shows them.
    QStringList TableHeader() const;
    std::vector<QStringList> TableRows(const CTreeIndex &index) const;

private:
    bool VariableLine(const CDecisionTree &tree, Line *pLine);

    const CTreeEvaluation &evaluation;
    QString error;
    double percent = 0.0;
    int steps = 0;
    int inputCount = 0;
    std::vector<Line> lines;
};
