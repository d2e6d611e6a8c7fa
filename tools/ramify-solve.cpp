// ramify-solve: loads a project file, rolls its tree back with the editor's
// solver and prints the result; optionally saves the solved tree. It can also
// analyse how the result depends on one payoff or probability, or on all.
#include "CAnalysisCsv.h"
#include "CAnalysisJson.h"
#include "CAnalysisRequest.h"
#include "CAnalysisText.h"
#include "CDecisionTree.h"
#include "CFlipRequest.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CRiskProfile.h"
#include "CRiskReport.h"
#include "CSafeFile.h"
#include "CSolveReport.h"
#include "CSolveReportJson.h"
#include "CSolveReportText.h"
#include "CSpiderAnalysis.h"
#include "CTornado.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "CTwoWayReport.h"
#include "CValueOfInformation.h"
#include "CVariableSensitivity.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

enum ExitStatus
{
    Success = 0,
    FileFailure = 1,
    UsageError = 2,
};

const char *const HelpDetails = R"(
Prints the value of the whole tree, the option that each decision chooses,
every situation whose probabilities do not add up to 1, and every node with
its probability, payoff and rolled-back value.

With --sensitivity NODE:payoff=LOW..HIGH (or NODE:probability=LOW..HIGH) it
prints instead how the tree's value and the decisions' choices change while
that option's payoff or probability runs from LOW to HIGH: the exact
break-even points at which a decision changes its choice, and the value and
the choices at every step. NODE is the option's name when no other option
has it, or #ID with the option's ID in the file. A moved probability takes
its change from the other options of its situation, in proportion to theirs.

With --sensitivity NAME=LOW..HIGH, NAME is a variable of the project: every
formula that uses it is recomputed while it runs from LOW to HIGH.

With --rule RULE the tree is rolled back by another decision rule than the
project's: expected-value-maximization, expected-value-minimization,
maxi-min, maxi-max, mini-min or mini-max. --risk-tolerance R (a number
above 0, under expected-value-maximization only) makes situations show
certainty equivalents of the utility 1 - e^(-x/R) and decisions choose the
largest; the report adds the expected value of that strategy and the risk
premium. --evpi adds the expected value of perfect information of each
uncertainty (the situations that share a name) and of everything; it needs
an expected-value rule. --risk-profile adds the distribution of the totals
that each option of the first decision leads to, with its mean, standard
deviation, extremes, probability of a loss, and which option dominates which.

With --tornado PERCENT it prints every payoff and every situation option's
probability moved down and up by PERCENT of its value (a probability within
0 and 1), with the tree's value at both ends, the widest swing first. In a
project with variables, payoffs and probabilities given by formulas follow
the variables instead, and each variable moves over its Low..High where the
project gives both, by PERCENT of its value otherwise.

With --two-way A=LOW..HIGH B=LOW..HIGH, A and B each take a form of
--sensitivity; both run over a grid of N+1 by N+1 points (--steps N, default
20, at most 1000). At every point it gives the tree's value, what the first
decision (the root's when it is one, else the first in the file) chooses,
and whether the probabilities form a distribution there; along each row (B
fixed) the exact break-even points of A. The text is a map of letters, one
per option. B comes right after A, before the file.

With --spider PERCENT every input of the tornado changes from -PERCENT to
+PERCENT of its value in N equal steps (--steps N, default 20), and the
tree's value is given at each; inputs that do not move it are left out, the
widest swing first.

--set NAME=VALUE (repeatable) gives a variable a value before the tree is
solved, in place of its formula if it has one; --write keeps that value.

Exit status:
  0  the file was read completely and evaluated
  1  the file could not be opened, read completely, or written (the message
     names the file and, for a broken file, the line and column); or some of
     its nodes belong to no tree (the message says how many), in which case
     the result is printed but nothing is written; or its tree has a shape
     that cannot be analysed, or one whose probabilities do not form a
     distribution or whose situations of one name differ (--evpi,
     --risk-profile), or some of its formulas cannot be computed (the
     message lists them)
  2  the command line was wrong, including a NODE that names no option, or
     more than one, a NAME that names no variable, an unknown rule, a risk
     tolerance that is not a number above 0 or goes with another rule, or
     --evpi under a rule that takes worst or best outcomes

--write - writes the project to standard output instead of the result.

--flip NODE turns the Situation NODE (its name, or #ID) around with the
Situations right after it by Bayes' rule before anything else is done;
--write OUT keeps the flipped tree. A shape that cannot be flipped exits 1
with the reason.
)";

int UsageFailure(const QString &strMessage)
{
    QTextStream(stderr) << "ramify-solve: " << strMessage << "\n"
                        << "Try 'ramify-solve --help' for more information.\n";
    return UsageError;
}

int Failure(const QString &strMessage)
{
    QTextStream(stderr) << "ramify-solve: " << strMessage << "\n";
    return FileFailure;
}

void Print(const QString &strText)
{
    QTextStream out(stdout);
    out.setCodec("UTF-8");
    out << strText;
}

void Print(const QByteArray &json)
{
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
}

// The two-way grid of request (across) and second (up).
int AnalyseTwoWay(const CDecisionTree &tree, const CDecisionRule &rule,
                  const CAnalysisRequest &request, const CAnalysisRequest &second, int nSteps,
                  bool bJson, bool bCsv, const QString &strProject, const QString &strFile)
{
    const CTreeIndex index(tree.GetRoot());
    CTwoWayAnalysis::Input x;
    CTwoWayAnalysis::Input y;
    QString strError;
    if (!request.ToInput(index, &x, &strError) || !second.ToInput(index, &y, &strError))
        return UsageFailure(strError);
    CTwoWayAnalysis analysis(tree, rule);
    if (!analysis.Run(x, y, nSteps))
        return analysis.TreeAtFault()
                   ? Failure(QStringLiteral("\"%1\": %2").arg(strFile, analysis.Error()))
                   : UsageFailure(analysis.Error());
    if (bCsv)
        Print(CAnalysisCsv::TwoWay(analysis, index));
    else if (bJson)
        Print(CTwoWayReport::TwoWayJson(analysis, index, strProject, strFile));
    else
        Print(CTwoWayReport::TwoWayText(analysis, index, strProject, strFile));
    return Success;
}

int Analyse(const CDecisionTree &tree, const CDecisionRule &rule, const CAnalysisRequest &request,
            bool bTornado, bool bSpider, int nSteps, bool bJson, bool bCsv,
            const QString &strProject, const QString &strFile)
{
    const CTreeIndex index(tree.GetRoot());
    const QString strShape = index.ShapeProblem();
    if (!strShape.isEmpty())
        return Failure(QStringLiteral("\"%1\": %2").arg(strFile, strShape));
    const CTreeEvaluation evaluation(index, rule);
    if (bSpider) {
        CSpiderAnalysis spider(evaluation);
        if (!spider.Run(request.percent, nSteps, &tree))
            return Failure(QStringLiteral("\"%1\": %2").arg(strFile, spider.Error()));
        if (bCsv)
            Print(CAnalysisCsv::Spider(spider, index));
        else if (bJson)
            Print(CTwoWayReport::SpiderJson(spider, index, strProject, strFile));
        else
            Print(CTwoWayReport::SpiderText(spider, index, strProject, strFile));
        return Success;
    }
    if (bTornado && bCsv) {
        CTornado tornado(evaluation);
        if (!tornado.Run(request.percent, &tree))
            return Failure(QStringLiteral("\"%1\": %2").arg(strFile, tornado.Error()));
        Print(CAnalysisCsv::Tornado(tornado, index));
        return Success;
    }
    if (bTornado) {
        CTornado tornado(evaluation);
        // The share was checked with the command line: what fails here is a
        // formula at the end of a variable's range.
        if (!tornado.Run(request.percent, &tree))
            return Failure(QStringLiteral("\"%1\": %2").arg(strFile, tornado.Error()));
        if (bJson)
            Print(CAnalysisJson::Tornado(tornado, index, strProject, strFile));
        else
            Print(CAnalysisText::Tornado(tornado, index, strProject, strFile));
        return Success;
    }
    if (!request.variable.empty()) {
        CVariableSensitivity analysis(tree, rule);
        if (!analysis.Run(request.variable, request.low, request.high, nSteps))
            return analysis.TreeAtFault()
                       ? Failure(QStringLiteral("\"%1\": %2").arg(strFile, analysis.Error()))
                       : UsageFailure(analysis.Error());
        if (bCsv)
            Print(CAnalysisCsv::Sensitivity(analysis, index));
        else if (bJson)
            Print(CAnalysisJson::Sensitivity(analysis, index, strProject, strFile));
        else
            Print(CAnalysisText::Sensitivity(analysis, index, strProject, strFile));
        return Success;
    }
    QString strError;
    const int nOption = request.FindOption(index, &strError);
    if (nOption < 0)
        return UsageFailure(strError);
    CSensitivityAnalysis analysis(evaluation);
    if (!analysis.Run(nOption, request.parameter, request.low, request.high, nSteps))
        return analysis.TreeAtFault()
                   ? Failure(QStringLiteral("\"%1\": %2").arg(strFile, analysis.Error()))
                   : UsageFailure(analysis.Error());
    if (bCsv)
        Print(CAnalysisCsv::Sensitivity(analysis, index));
    else if (bJson)
        Print(CAnalysisJson::Sensitivity(analysis, index, strProject, strFile));
    else
        Print(CAnalysisText::Sensitivity(analysis, index, strProject, strFile));
    return Success;
}

bool WriteToStandardOutput(const CProjectDocument &document, QString *pError)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString strReason;
    if (document.Write(buffer, &strReason) &&
        CSafeFile::WriteAll(fileno(stdout), buffer.data(), &strReason))
        return true;
    *pError = QStringLiteral("Cannot write the project to standard output: %1").arg(strReason);
    return false;
}

// The report, with the rule's own figures and the analyses asked for.
int Report(const CDecisionTree &tree, const CDecisionRule &rule, bool bEvpi, bool bProfile,
           bool bJson, bool bCsv, const QString &strProject, const QString &strFile,
           const NumberFormat &format)
{
    const CSolveReport report(tree, strProject, strFile);
    if (rule.IsDefault() && !bEvpi && !bProfile) {
        Print(bJson ? CSolveReportJson::Render(report)
                    : CSolveReportText::Render(report, format).toUtf8());
        return Success;
    }
    const CTreeIndex index(tree.GetRoot());
    const QString strShape = index.ShapeProblem();
    if (!strShape.isEmpty())
        return Failure(QStringLiteral("\"%1\": %2").arg(strFile, strShape));
    const CTreeEvaluation evaluation(index, rule);
    CValueOfInformation information(evaluation);
    if (bEvpi && !information.Run())
        return information.TreeAtFault()
                   ? Failure(QStringLiteral("\"%1\": %2").arg(strFile, information.Error()))
                   : UsageFailure(information.Error());
    CRiskProfile profile(evaluation);
    if (bProfile && !profile.Run())
        return Failure(QStringLiteral("\"%1\": %2").arg(strFile, profile.Error()));
    if (bCsv)
        Print(bEvpi ? CAnalysisCsv::Evpi(information) : CAnalysisCsv::RiskProfile(profile));
    else if (bJson)
        Print(CSolveReportJson::Render(report,
                                       CRiskReport::Json(evaluation, bEvpi ? &information : nullptr,
                                                         bProfile ? &profile : nullptr)));
    else
        Print(CSolveReportText::Render(report, format) +
              CRiskReport::Text(evaluation, bEvpi ? &information : nullptr,
                                bProfile ? &profile : nullptr));
    if (bEvpi && !information.HasAll())
        return Failure(QStringLiteral("\"%1\": %2").arg(strFile, information.AllError()));
    return Success;
}

// The project's rule, replaced by the one on the command line; a risk
// tolerance from the file does not carry over to a rule that has none.
bool EffectiveRule(const CDecisionRule &fileRule, const QString &strRule,
                   const QString &strTolerance, CDecisionRule *pRule, QString *pError)
{
    CDecisionRule rule = fileRule;
    if (!strRule.isNull()) {
        CDecisionRule::Kind kind = CDecisionRule::ExpectedValueMaximization;
        if (!CDecisionRule::FromName(strRule, &kind, pError))
            return false;
        rule = CDecisionRule(kind);
        if (kind == CDecisionRule::ExpectedValueMaximization && strTolerance.isNull())
            rule.SetRiskTolerance(fileRule.RiskTolerance());
    }
    if (!strTolerance.isNull()) {
        bool bNumber = false;
        const double dTolerance = strTolerance.toDouble(&bNumber);
        if (!bNumber || !(dTolerance > 0.0)) {
            *pError = QStringLiteral("The risk tolerance must be a number above 0, not \"%1\".")
                          .arg(strTolerance);
            return false;
        }
        if (!rule.SetRiskTolerance(dTolerance, pError))
            return false;
    }
    *pRule = rule;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ramify-solve"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Evaluates a Ramify project file by rolling its decision tree back."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Print the result as JSON."));
    const QCommandLineOption csvOption(
        QStringLiteral("csv"),
        QStringLiteral("Print the table of --sensitivity, --tornado, --evpi or --risk-profile "
                       "as CSV."));
    parser.addOption(csvOption);
    const QCommandLineOption writeOption(
        QStringLiteral("write"), QStringLiteral("Save the solved tree as the project file <out>."),
        QStringLiteral("out"));
    const QCommandLineOption sensitivityOption(
        QStringLiteral("sensitivity"),
        QStringLiteral("Analyse one option's payoff or probability over a range: "
                       "<node>:payoff=<low>..<high> or <node>:probability=<low>..<high>."),
        QStringLiteral("node:parameter=low..high"));
    const QCommandLineOption stepsOption(
        QStringLiteral("steps"),
        QStringLiteral("Steps of the --sensitivity range (default %1).")
            .arg(CSensitivityAnalysis::DefaultSteps),
        QStringLiteral("n"));
    const QCommandLineOption setOption(
        QStringLiteral("set"),
        QStringLiteral("Give the variable <name> the value <number> before solving (repeatable)."),
        QStringLiteral("name=number"));
    const QCommandLineOption tornadoOption(
        QStringLiteral("tornado"),
        QStringLiteral("Move every payoff and situation probability down and up by <percent> "
                       "of its value, one at a time."),
        QStringLiteral("percent"));
    const QCommandLineOption ruleOption(
        QStringLiteral("rule"),
        QStringLiteral("Roll back by <rule> instead of the project's: %1.")
            .arg(CDecisionRule::Names().join(QStringLiteral(", "))),
        QStringLiteral("rule"));
    const QCommandLineOption toleranceOption(
        QStringLiteral("risk-tolerance"),
        QStringLiteral("Use exponential utility with risk tolerance <R> > 0: certainty "
                       "equivalents instead of expected values."),
        QStringLiteral("R"));
    const QCommandLineOption evpiOption(
        QStringLiteral("evpi"),
        QStringLiteral("Add the expected value of perfect information of each uncertainty."));
    const QCommandLineOption profileOption(
        QStringLiteral("risk-profile"),
        QStringLiteral("Add the risk profile of each option of the first decision."));
    const QCommandLineOption treeOption(
        QStringLiteral("tree"),
        QStringLiteral("Of a SilverDecisions file (.json) holding several trees, solve tree <n> "
                       "(from 1; the first by default)."),
        QStringLiteral("n"));
    parser.addOption(treeOption);
    parser.addOption(ruleOption);
    parser.addOption(toleranceOption);
    parser.addOption(evpiOption);
    parser.addOption(profileOption);
    parser.addOption(jsonOption);
    parser.addOption(writeOption);
    const QCommandLineOption flipOption(QStringLiteral("flip"),
                                        QStringLiteral("Flip the Situation NODE first."),
                                        QStringLiteral("NODE"));
    parser.addOption(flipOption);
    parser.addOption(sensitivityOption);
    parser.addOption(stepsOption);
    parser.addOption(tornadoOption);
    const QCommandLineOption twoWayOption(
        QStringLiteral("two-way"),
        QStringLiteral("Analyse two inputs over a grid: <a>=<low>..<high> followed by "
                       "<b>=<low>..<high>, each in a form of --sensitivity."),
        QStringLiteral("a=low..high"));
    const QCommandLineOption spiderOption(
        QStringLiteral("spider"),
        QStringLiteral("Change every input of the tornado from -<percent> to +<percent> of its "
                       "value in --steps steps."),
        QStringLiteral("percent"));
    parser.addOption(twoWayOption);
    parser.addOption(spiderOption);
    parser.addOption(setOption);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("The project file (.rmproj, or a SilverDecisions .json) to evaluate."));

    if (!parser.parse(QCoreApplication::arguments()))
        return UsageFailure(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        QTextStream(stdout) << parser.helpText() << HelpDetails;
        return Success;
    }
    const bool bTwoWay = parser.isSet(twoWayOption);
    QStringList files = parser.positionalArguments();
    // The second range of --two-way stands before the file.
    const QString strSecond = bTwoWay && files.size() == 2 ? files.takeFirst() : QString();
    if (bTwoWay && strSecond.isNull())
        return UsageFailure(
            QStringLiteral("--two-way needs two ranges, A=LOW..HIGH B=LOW..HIGH, then the file."));
    if (files.size() != 1)
        return UsageFailure(files.isEmpty() ? QStringLiteral("No project file given.")
                                            : QStringLiteral("Give exactly one project file."));
    const QString strFile = files.front();

    // The request is checked before the file is read: a wrong command line
    // is a usage error whatever the file holds.
    const bool bSensitivity = parser.isSet(sensitivityOption);
    const bool bTornado = parser.isSet(tornadoOption);
    const bool bSpider = parser.isSet(spiderOption);
    const bool bAnalysis = bSensitivity || bTornado || bTwoWay || bSpider;
    CAnalysisRequest request;
    CAnalysisRequest second;
    QString strRequestError;
    int nSteps = CSensitivityAnalysis::DefaultSteps;
    if (int(bSensitivity) + int(bTornado) + int(bTwoWay) + int(bSpider) > 1)
        return UsageFailure(
            QStringLiteral("Give only one of --sensitivity, --tornado, --two-way and --spider."));
    const bool bEvpi = parser.isSet(evpiOption);
    const bool bProfile = parser.isSet(profileOption);
    if ((bEvpi || bProfile) && bAnalysis)
        return UsageFailure(
            QStringLiteral("--evpi and --risk-profile go with the report, not with --%1.")
                .arg(bTornado  ? QStringLiteral("tornado")
                     : bTwoWay ? QStringLiteral("two-way")
                     : bSpider ? QStringLiteral("spider")
                               : QStringLiteral("sensitivity")));
    const bool bCsv = parser.isSet(csvOption);
    if (bCsv &&
        (parser.isSet(jsonOption) || !(bAnalysis || bEvpi || bProfile) || (bEvpi && bProfile)))
        return UsageFailure(QStringLiteral(
            "--csv prints one table: give it one of --sensitivity, --tornado, --two-way, "
            "--spider, --evpi and --risk-profile, and no --json."));
    const QString strRule = parser.isSet(ruleOption) ? parser.value(ruleOption) : QString();
    const QString strTolerance =
        parser.isSet(toleranceOption) ? parser.value(toleranceOption) : QString();
    CDecisionRule rule;
    // Checked against the default first, so that a wrong command line is a
    // usage error whatever the file holds; again once the file's rule is known.
    if (!EffectiveRule(CDecisionRule(), strRule, strTolerance, &rule, &strRequestError))
        return UsageFailure(strRequestError);
    if (bAnalysis && parser.value(writeOption) == QLatin1String("-"))
        return UsageFailure(
            QStringLiteral("--write - and an analysis cannot both use standard output."));
    const bool bStepped = bSensitivity || bTwoWay || bSpider;
    if (parser.isSet(stepsOption) &&
        (!bStepped ||
         !CAnalysisRequest::ParseSteps(parser.value(stepsOption), &nSteps, &strRequestError)))
        return UsageFailure(
            bStepped ? strRequestError
                     : QStringLiteral("--steps belongs to --sensitivity, --two-way or --spider."));
    if (bTwoWay && nSteps > CTwoWayAnalysis::MaxSteps)
        return UsageFailure(
            QStringLiteral("--two-way takes at most %1 steps.").arg(CTwoWayAnalysis::MaxSteps));
    if (bSensitivity &&
        !request.ParseSensitivity(parser.value(sensitivityOption), &strRequestError))
        return UsageFailure(strRequestError);
    if (bTwoWay && (!request.ParseSensitivity(parser.value(twoWayOption), &strRequestError) ||
                    !second.ParseSensitivity(strSecond, &strRequestError)))
        return UsageFailure(strRequestError);
    if (bTornado && !request.ParseTornado(parser.value(tornadoOption), &strRequestError))
        return UsageFailure(strRequestError);
    if (bSpider && !request.ParseTornado(parser.value(spiderOption), &strRequestError))
        return UsageFailure(strRequestError);
    std::vector<std::pair<std::string, double>> settings;
    for (const QString &strSetting : parser.values(setOption)) {
        std::pair<std::string, double> setting;
        if (!CAnalysisRequest::ParseSetting(strSetting, &setting.first, &setting.second,
                                            &strRequestError))
            return UsageFailure(strRequestError);
        settings.push_back(setting);
    }

    int nTree = 1;
    if (parser.isSet(treeOption) &&
        !CAnalysisRequest::ParseTree(parser.value(treeOption), &nTree, &strRequestError))
        return UsageFailure(strRequestError);

    // Reading rolls the tree back from its inputs, as the editor shows it.
    CProjectDocument document;
    CProjectFile::ReadResult result = document.Read(strFile, nTree - 1);
    if (!result.Succeeded())
        return Failure(result.Message());
    if (result.treeCount > 1)
        QTextStream(stderr) << QStringLiteral("ramify-solve: \"%1\" holds %2 trees; this is tree "
                                              "%3 (choose with --tree N).\n")
                                   .arg(strFile)
                                   .arg(result.treeCount)
                                   .arg(nTree);
    if (!result.notes.isEmpty())
        QTextStream(stderr) << "ramify-solve: " << result.NotesMessage() << "\n";
    CDecisionTree &tree = document.GetTree();
    if (!tree.GetRoot())
        return Failure(QStringLiteral("\"%1\" holds no decision tree.").arg(strFile));

    if (!EffectiveRule(result.settings.rule, strRule, strTolerance, &rule, &strRequestError))
        return UsageFailure(strRequestError);
    if (bEvpi && !rule.Expects())
        return UsageFailure(
            QStringLiteral("--evpi needs an expected-value rule; %1 takes worst or best outcomes.")
                .arg(rule.Name()));
    // The rule of the command line is the project's for this run, and it is
    // what --write keeps.
    CProjectSettings projectSettings = result.settings;
    projectSettings.rule = rule;
    document.SetSettings(projectSettings);

    const auto unknown = [&strFile](const std::string &strName) {
        return UsageFailure(QStringLiteral("\"%1\" has no variable named \"%2\".")
                                .arg(strFile, QString::fromStdString(strName)));
    };
    for (const CAnalysisRequest *pRequest : {&request, &second})
        if (!pRequest->variable.empty() && tree.Variables().Find(pRequest->variable) < 0)
            return unknown(pRequest->variable);
    CVariables variables = tree.Variables();
    for (const auto &[strName, dValue] : settings) {
        const int nVariable = variables.Find(strName);
        if (nVariable < 0)
            return unknown(strName);
        CVariables::Variable variable = variables.At(nVariable);
        variable.formula.clear();
        variable.value = dValue;
        variables.Set(nVariable, variable);
    }
    // A value set may mend a broken formula or break one; what counts is the
    // state the tree is solved in, which the document rolls back again.
    if (!settings.empty()) {
        document.SetVariables(variables);
        result.formulaProblems = document.FormulaProblems();
    }
    if (!result.formulaProblems.empty())
        return Failure(result.FormulaMessage());
    if (parser.isSet(flipOption) &&
        !CFlipRequest::Apply(document, parser.value(flipOption), &strRequestError))
        return Failure(strRequestError);

    // Saving a file whose nodes were not all read into the tree would lose
    // them, perhaps over the very file they came from.
    const QString strDropped = result.DroppedNodesMessage(result.nodesInTree);
    const bool bWrite = parser.isSet(writeOption);
    const QString strOut = parser.value(writeOption);
    const bool bToStandardOutput = bWrite && strOut == QLatin1String("-");
    if (bWrite && strDropped.isEmpty()) {
        QString strError;
        const bool bWritten = bToStandardOutput ? WriteToStandardOutput(document, &strError)
                                                : document.Write(strOut, &strError);
        if (!bWritten)
            return Failure(strError);
    }
    // Standard output carries either the project or the result, never both.
    if (!bToStandardOutput && bAnalysis) {
        const int nStatus =
            bTwoWay ? AnalyseTwoWay(tree, rule, request, second, nSteps, parser.isSet(jsonOption),
                                    bCsv, result.projectName, strFile)
                    : Analyse(tree, rule, request, bTornado, bSpider, nSteps,
                              parser.isSet(jsonOption), bCsv, result.projectName, strFile);
        if (nStatus != Success)
            return nStatus;
    } else if (!bToStandardOutput) {
        // The text is worded in the project's number format, JSON and CSV plainly.
        const int nStatus = Report(tree, rule, bEvpi, bProfile, parser.isSet(jsonOption), bCsv,
                                   result.projectName, strFile, result.settings.numbers);
        if (nStatus != Success)
            return nStatus;
    }
    if (!strDropped.isEmpty())
        return Failure(bWrite ? strDropped + QStringLiteral(" Nothing was written.") : strDropped);
    return Success;
}
