#pragma once

#include "CAnalysisTable.h"
#include "CCriteria.h"
#include "CSensitivityAnalysis.h"
#include "CTreeEvaluation.h"
#include "TextNumber.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDecisionRule;
class CDecisionTree;
class CTreeIndex;

// One thing ramify-solve prints about a tree: the report, or an analysis the
// command line asks for. Each is a file of its own, which reads its options,
// runs on the solved tree and writes its result as text, JSON or CSV;
// Deliver() is the one path by which any of them fails or reaches standard
// output.
class CSolveAnalysis
{
public:
    enum Status
    {
        Success = 0,
        FileFailure = 1,
        UsageError = 2,
    };
    enum class Form
    {
        Text,
        Json,
        Csv,
    };

    // What the command line asks of an analysis beyond its own option.
    struct Request
    {
        QString value;  // of the analysis's own option
        QString second; // the range that stands before the file
        int steps = CSensitivityAnalysis::DefaultSteps;
        bool evpi = false;
        bool profile = false;
        // Of --psa; null where not given.
        QString seed;
        QString threshold;
        QString threads;
        bool lhs = false;
    };

    // The tree as it is solved for this run, and how the output names it.
    struct Subject
    {
        const CDecisionTree &tree;
        const CDecisionRule &rule;
        const CTreeIndex &index;
        QString project;
        QString file;
        NumberFormat numbers;
        CCriteria criteria;
    };

    struct Outcome
    {
        int status = Success;
        QString message;
        // The result is printed all the same: the failure concerns a part of it.
        bool printed = false;
    };

    // Each in the file of its name; the report is what is printed when no
    // analysis is asked for.
    static std::unique_ptr<CSolveAnalysis> Sensitivity();
    static std::unique_ptr<CSolveAnalysis> Tornado();
    static std::unique_ptr<CSolveAnalysis> TwoWay();
    static std::unique_ptr<CSolveAnalysis> Spider();
    static std::unique_ptr<CSolveAnalysis> Psa();
    static std::unique_ptr<CSolveAnalysis> LeagueTable();
    static std::unique_ptr<CSolveAnalysis> Report();

    virtual ~CSolveAnalysis() = default;

    // False, with a message, for options of the wrong form.
    virtual bool Parse(const Request &request, QString *pError) = 0;
    // Why the analysis cannot go with the rule of this run; empty when it can.
    virtual QString RuleProblem(const CDecisionRule &) const { return QString(); }
    // Why the analysis cannot go with the project's criteria; empty when it
    // can. The analyses of one value follow the combined value of two.
    virtual QString CriteriaProblem(const CCriteria &criteria) const;
    // Variables the options name, which the file must have.
    virtual std::vector<std::string> Variables() const { return {}; }

    // Runs on subject and prints the result in form.
    Outcome Deliver(const Subject &subject, Form form);

    static Outcome Usage(const QString &strMessage);
    static Outcome FileFault(const Subject &subject, const QString &strMessage);
    // Writes the message of outcome to standard error and gives its exit status.
    static int Exit(const Outcome &outcome);

    // How every output words its heading, nodes and numbers. For two
    // criteria the heading names the combined value the analyses of one
    // value follow, unless bCombined is false.
    static QString Header(const Subject &subject, bool bCombined = true);
    // The heading followed by the tree's value as the project stands.
    static QString Header(const Subject &subject, double dValueNow);
    // The line with the tree's value as the project stands.
    static QString ValueNow(double dValue);
    static QByteArray Document(QJsonObject object, const Subject &subject, bool bCombined = true);
    // The document of an analysis that moves every input by a share of its
    // value, its findings under key.
    template <typename Analysis>
    static QByteArray EveryInput(const Analysis &analysis, const QString &strKey,
                                 const QJsonArray &findings, const Subject &subject)
    {
        return Document({{QStringLiteral("value"), analysis.CurrentValue()},
                         {QStringLiteral("percent"), analysis.Percent()},
                         {QStringLiteral("inputCount"), analysis.InputCount()},
                         {strKey, findings}},
                        subject);
    }
    static QJsonValue NodeRef(const CTreeIndex &index, int n);
    static QString ParameterName(CSensitivityAnalysis::Parameter parameter);
    // Break-evens are exact; they get the digits to show it.
    static QString Exact(double dValue);
    static QString Label(const CTreeIndex &index, int n);
    // The analysis's own table, for a spreadsheet.
    static QByteArray Csv(const CAnalysisTable &table);
    // Labels wider than this are not padded to one another.
    static constexpr int MaxLabelWidth = 60;

protected:
    // Runs on subject and writes the result in form into *pOut; what it
    // writes is printed where the outcome is a success or says so.
    virtual Outcome Run(const Subject &subject, Form form, QByteArray *pOut) = 0;
    // What Run leaves to be printed after *pOut, under the same rule, piece by
    // piece as it hands them to its argument: output too large to hold whole
    // (the nodes of a million-node tree print some 330 MB).
    std::function<void(const std::function<void(const QByteArray &)> &)> rest;

    // An analysis that evaluates the tree finds evaluation made when it runs,
    // and never runs on a tree of a shape that cannot be analysed.
    explicit CSolveAnalysis(bool bEvaluates = false) : evaluates(bEvaluates) {}

    // "10" or "10%" of --tornado and --spider.
    static bool ParseShare(const QString &strText, double *pPercent, QString *pError);
    // A failed analysis of the model: the tree's fault names the file, any
    // other is the command line's.
    static Outcome Fault(const Subject &subject, bool bTreeAtFault, const QString &strMessage);
    // Rolls the tree back by the rule, into evaluation; false, with the fault,
    // where the tree has a shape that cannot be analysed.
    bool Evaluate(const Subject &subject, Outcome *pFault);

    std::optional<CTreeEvaluation> evaluation;

private:
    const bool evaluates;
};
