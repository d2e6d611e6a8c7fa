#include "CSolveCommandLine.h"

#include "CAnalysisRequest.h"

#include <QTextStream>

#include <tuple>

namespace {

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

A project of two criteria is analysed by their combined value at its weight
w. There NODE:payoff2=LOW..HIGH moves an option's second payoff, and
:weight=LOW..HIGH moves w itself: its break-evens are the ICERs of the
league table's frontier.

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

With --psa N it draws every variable that has a distribution N times (at
most 10,000,000), computes the formulas the draws reach and rolls the tree
back each time; --seed S gives the same numbers for the same S on any number
of threads (--threads T), --lhs draws by Latin hypercube sampling. Compared
are the complete strategies (a choice at every decision reached), named by
their choices, where there are at most 1,000 (fewer on a large tree); else
the options of the first decision, the other choices as in the base case.
Each comes with its mean, sd, median, percentiles, extremes, share below
--threshold T (default 0) and share of iterations in which it is the best;
and the expected value of perfect information. An iteration in which a formula
cannot be computed or probabilities do not add up counts as failed, with the
first reason given. --csv prints one row per iteration.

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

template <typename Analysis> std::unique_ptr<CSolveAnalysis> Make()
{
    return std::make_unique<Analysis>();
}

QCommandLineOption Option(const char *pName, const char *pDescription, const char *pValue)
{
    return QCommandLineOption(QLatin1String(pName), QLatin1String(pDescription),
                              QLatin1String(pValue));
}

CSolveAnalysis::Outcome Usage(const QString &strMessage)
{
    return CSolveAnalysis::Usage(strMessage);
}

} // namespace

CSolveCommandLine::CSolveCommandLine()
    : table{{Option("sensitivity",
                    "Analyse one option's payoff or probability over a range: "
                    "<node>:payoff=<low>..<high> or <node>:probability=<low>..<high>.",
                    "node:parameter=low..high"),
             true, false, &CSolveAnalysis::Sensitivity},
            {Option("tornado",
                    "Move every payoff and situation probability down and up by <percent> of its "
                    "value, one at a time.",
                    "percent"),
             false, false, &CSolveAnalysis::Tornado},
            {Option("two-way",
                    "Analyse two inputs over a grid: <a>=<low>..<high> followed by "
                    "<b>=<low>..<high>, each in a form of --sensitivity.",
                    "a=low..high"),
             true, true, &CSolveAnalysis::TwoWay},
            {Option("spider",
                    "Change every input of the tornado from -<percent> to +<percent> of its value "
                    "in --steps steps.",
                    "percent"),
             true, false, &CSolveAnalysis::Spider},
            {Option("psa",
                    "Probabilistic sensitivity analysis: <n> iterations drawing every variable "
                    "that has a distribution.",
                    "n"),
             false, false, &CSolveAnalysis::Psa},
            {QCommandLineOption(QStringLiteral("league-table"),
                                QStringLiteral("The league table of a project of two criteria: "
                                               "every strategy, dominance and the ICERs.")),
             false, false, &CSolveAnalysis::LeagueTable}}
{
    parser.setApplicationDescription(
        QStringLiteral("Evaluates a Ramify project file by rolling its decision tree back."));
    parser.addHelpOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("csv"),
        QStringLiteral("Print the table of --sensitivity, --tornado, --evpi or --risk-profile "
                       "as CSV.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("tree"),
        QStringLiteral("Of a SilverDecisions file (.json) holding several trees, solve tree <n> "
                       "(from 1; the first by default)."),
        QStringLiteral("n")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("rule"),
                           QStringLiteral("Roll back by <rule> instead of the project's: %1.")
                               .arg(CDecisionRule::Names().join(QStringLiteral(", "))),
                           QStringLiteral("rule")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("risk-tolerance"),
        QStringLiteral("Use exponential utility with risk tolerance <R> > 0: certainty "
                       "equivalents instead of expected values."),
        QStringLiteral("R")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("evpi"),
        QStringLiteral("Add the expected value of perfect information of each uncertainty.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("risk-profile"),
        QStringLiteral("Add the risk profile of each option of the first decision.")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("json"), QStringLiteral("Print the result as JSON.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("write"), QStringLiteral("Save the solved tree as the project file <out>."),
        QStringLiteral("out")));
    parser.addOption(QCommandLineOption(QStringLiteral("flip"),
                                        QStringLiteral("Flip the Situation NODE first."),
                                        QStringLiteral("NODE")));
    // --steps was written for --sensitivity and is listed right after it.
    parser.addOption(table.front().option);
    parser.addOption(
        QCommandLineOption(QStringLiteral("steps"),
                           QStringLiteral("Steps of the --sensitivity range (default %1).")
                               .arg(CSensitivityAnalysis::DefaultSteps),
                           QStringLiteral("n")));
    for (size_t i = 1; i < table.size(); ++i)
        parser.addOption(table[i].option);
    for (const auto &[pName, pDescription, pValue] :
         {std::tuple{"seed", "The seed of --psa (default 1): the same seed, the same numbers.",
                     "s"},
          {"threshold", "--psa gives the share of iterations below <t> (default 0).", "t"},
          {"threads", "Run --psa on <n> threads (default: as many as the machine has).", "n"}})
        parser.addOption(Option(pName, pDescription, pValue));
    parser.addOption(QCommandLineOption(QStringLiteral("lhs"),
                                        QStringLiteral("Draw --psa by Latin hypercube sampling.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("set"),
        QStringLiteral("Give the variable <name> the value <number> before solving (repeatable)."),
        QStringLiteral("name=number")));
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("The project file (.rmproj, or a SilverDecisions .json) to evaluate."));
}

CSolveAnalysis::Outcome CSolveCommandLine::Parse(const QStringList &arguments)
{
    if (!parser.parse(arguments))
        return Usage(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        help = true;
        QTextStream(stdout) << parser.helpText() << HelpDetails;
        return {};
    }
    const Entry *pChosen = nullptr;
    int nChosen = 0;
    bool bPair = false;
    for (const Entry &entry : table)
        if (parser.isSet(entry.option)) {
            pChosen = &entry;
            ++nChosen;
            bPair = bPair || entry.pair;
        }
    QStringList files = parser.positionalArguments();
    // The second range of --two-way stands before the file.
    const QString strSecond = bPair && files.size() == 2 ? files.takeFirst() : QString();
    if (bPair && strSecond.isNull())
        return Usage(
            QStringLiteral("--two-way needs two ranges, A=LOW..HIGH B=LOW..HIGH, then the file."));
    if (files.size() != 1)
        return Usage(files.isEmpty() ? QStringLiteral("No project file given.")
                                     : QStringLiteral("Give exactly one project file."));
    file = files.front();
    if (nChosen > 1)
        return Usage(
            QStringLiteral("Give only one of --sensitivity, --tornado, --two-way, --spider, "
                           "--psa and --league-table."));
    CSolveAnalysis::Outcome checked = Check(pChosen, strSecond);
    if (checked.status != CSolveAnalysis::Success)
        return checked;
    QString strError;
    for (const QString &strSetting : parser.values(QStringLiteral("set"))) {
        std::pair<std::string, double> setting;
        if (!CAnalysisRequest::ParseSetting(strSetting, &setting.first, &setting.second, &strError))
            return Usage(strError);
        settings.push_back(setting);
    }
    if (parser.isSet(QStringLiteral("tree")) &&
        !CAnalysisRequest::ParseTree(parser.value(QStringLiteral("tree")), &tree, &strError))
        return Usage(strError);
    if (parser.isSet(QStringLiteral("flip")))
        flip = parser.value(QStringLiteral("flip")).isNull() ? QLatin1String("")
                                                             : parser.value(QStringLiteral("flip"));
    write = parser.isSet(QStringLiteral("write"));
    out = parser.value(QStringLiteral("write"));
    return {};
}

// What the analysis asked for needs, in the order the command line always
// checked it.
CSolveAnalysis::Outcome CSolveCommandLine::Check(const Entry *pChosen, const QString &strSecond)
{
    CSolveAnalysis::Request request;
    request.evpi = parser.isSet(QStringLiteral("evpi"));
    request.profile = parser.isSet(QStringLiteral("risk-profile"));
    if ((request.evpi || request.profile) && pChosen)
        return Usage(QStringLiteral("--evpi and --risk-profile go with the report, not with --%1.")
                         .arg(pChosen->option.names().front()));
    const bool bCsv = parser.isSet(QStringLiteral("csv"));
    const bool bJson = parser.isSet(QStringLiteral("json"));
    if (bCsv && (bJson || (!pChosen && request.evpi == request.profile)))
        return Usage(QStringLiteral(
            "--csv prints one table: give it one of --sensitivity, --tornado, --two-way, "
            "--spider, --psa, --league-table, --evpi and --risk-profile, and no --json."));
    form = bCsv    ? CSolveAnalysis::Form::Csv
           : bJson ? CSolveAnalysis::Form::Json
                   : CSolveAnalysis::Form::Text;
    const auto value = [this](const char *pName) {
        const QString strName = QLatin1String(pName);
        return parser.isSet(strName) ? parser.value(strName) : QString();
    };
    rule = value("rule");
    tolerance = value("risk-tolerance");
    // Checked against the default first; again once the file's rule is known.
    CDecisionRule checked;
    QString strError;
    if (!Rule(CDecisionRule(), &checked, &strError))
        return Usage(strError);
    if (pChosen && parser.value(QStringLiteral("write")) == QLatin1String("-"))
        return Usage(QStringLiteral("--write - and an analysis cannot both use standard output."));
    const bool bStepped = pChosen && pChosen->stepped;
    if (parser.isSet(QStringLiteral("steps")) &&
        (!bStepped || !CAnalysisRequest::ParseSteps(parser.value(QStringLiteral("steps")),
                                                    &request.steps, &strError)))
        return Usage(
            bStepped ? strError
                     : QStringLiteral("--steps belongs to --sensitivity, --two-way or --spider."));
    analysis = pChosen ? pChosen->make() : CSolveAnalysis::Report();
    const bool bPsa = pChosen && pChosen->make == &CSolveAnalysis::Psa;
    for (const char *pName : {"seed", "threshold", "threads", "lhs"})
        if (parser.isSet(QLatin1String(pName)) && !bPsa)
            return Usage(QStringLiteral("--%1 belongs to --psa.").arg(QLatin1String(pName)));
    request.seed = value("seed");
    request.threshold = value("threshold");
    request.threads = value("threads");
    request.lhs = parser.isSet(QStringLiteral("lhs"));
    request.value = pChosen ? parser.value(pChosen->option) : QString();
    request.second = strSecond;
    if (!analysis->Parse(request, &strError))
        return Usage(strError);
    return {};
}

bool CSolveCommandLine::Rule(const CDecisionRule &fileRule, CDecisionRule *pRule,
                             QString *pError) const
{
    CDecisionRule chosen = fileRule;
    if (!rule.isNull()) {
        CDecisionRule::Kind kind = CDecisionRule::ExpectedValueMaximization;
        if (!CDecisionRule::FromName(rule, &kind, pError))
            return false;
        chosen = CDecisionRule(kind);
        if (kind == CDecisionRule::ExpectedValueMaximization && tolerance.isNull())
            chosen.SetRiskTolerance(fileRule.RiskTolerance());
    }
    if (!tolerance.isNull()) {
        bool bNumber = false;
        const double dTolerance = tolerance.toDouble(&bNumber);
        if (!bNumber || !(dTolerance > 0.0)) {
            *pError = QStringLiteral("The risk tolerance must be a number above 0, not \"%1\".")
                          .arg(tolerance);
            return false;
        }
        if (!chosen.SetRiskTolerance(dTolerance, pError))
            return false;
    }
    *pRule = chosen;
    return true;
}
