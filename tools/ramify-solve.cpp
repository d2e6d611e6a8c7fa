// ramify-solve: loads a project file, rolls its tree back with the editor's
// solver and prints the result; optionally saves the solved tree. It can also
// analyse how the result depends on one payoff or probability, or on all.
#include "CDecisionTree.h"
#include "CFlipRequest.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CSafeFile.h"
#include "CSolveCommandLine.h"
#include "CTreeIndex.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

using Outcome = CSolveAnalysis::Outcome;

Outcome Failure(const QString &strMessage)
{
    return {CSolveAnalysis::FileFailure, strMessage, false};
}

// Reading rolls the tree back from its inputs, as the editor shows it. The
// rule of the command line is the project's for this run, and it is what
// --write keeps.
Outcome Read(CProjectDocument &document, const CSolveCommandLine &line,
             CProjectFile::ReadResult *pResult, CDecisionRule *pRule)
{
    *pResult = document.Read(line.file, line.tree - 1);
    if (!pResult->Succeeded())
        return Failure(pResult->Message());
    if (pResult->treeCount > 1)
        QTextStream(stderr) << QStringLiteral("ramify-solve: \"%1\" holds %2 trees; this is tree "
                                              "%3 (choose with --tree N).\n")
                                   .arg(line.file)
                                   .arg(pResult->treeCount)
                                   .arg(line.tree);
    if (!pResult->notes.isEmpty())
        QTextStream(stderr) << "ramify-solve: " << pResult->NotesMessage() << "\n";
    if (!document.GetTree().GetRoot())
        return Failure(QStringLiteral("\"%1\" holds no decision tree.").arg(line.file));
    QString strError;
    if (!line.Rule(pResult->settings.rule, pRule, &strError))
        return CSolveAnalysis::Usage(strError);
    strError = line.analysis->RuleProblem(*pRule);
    if (strError.isEmpty())
        strError = line.analysis->CriteriaProblem(pResult->settings.criteria);
    if (!strError.isEmpty())
        return CSolveAnalysis::Usage(strError);
    CProjectSettings settings = pResult->settings;
    settings.rule = *pRule;
    document.SetSettings(settings);
    return {};
}

// The values of --set stand in place of the variables' formulas. A value set
// may mend a broken formula or break one; what counts is the state the tree
// is solved in, which the document rolls back again. --flip comes last.
Outcome SetVariables(CProjectDocument &document, const CSolveCommandLine &line,
                     CProjectFile::ReadResult *pResult)
{
    const auto unknown = [&line](const std::string &strName) {
        return CSolveAnalysis::Usage(QStringLiteral("\"%1\" has no variable named \"%2\".")
                                         .arg(line.file, QString::fromStdString(strName)));
    };
    CVariables variables = document.GetTree().Variables();
    for (const std::string &strName : line.analysis->Variables())
        if (variables.Find(strName) < 0)
            return unknown(strName);
    for (const auto &[strName, dValue] : line.settings) {
        const int nVariable = variables.Find(strName);
        if (nVariable < 0)
            return unknown(strName);
        CVariables::Variable variable = variables.At(nVariable);
        variable.formula.clear();
        variable.value = dValue;
        variables.Set(nVariable, variable);
    }
    if (!line.settings.empty()) {
        document.SetVariables(variables);
        pResult->formulaProblems = document.FormulaProblems();
    }
    if (!pResult->formulaProblems.empty())
        return Failure(pResult->FormulaMessage());
    QString strError;
    if (line.flip.isNull() || CFlipRequest::Apply(document, line.flip, &strError))
        return {};
    return Failure(strError);
}

Outcome Write(const CProjectDocument &document, const CSolveCommandLine &line)
{
    QString strError;
    if (!line.ToStandardOutput())
        return document.Write(line.out, &strError) ? Outcome() : Failure(strError);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (document.Write(buffer, &strError) &&
        CSafeFile::WriteAll(fileno(stdout), buffer.data(), &strError))
        return {};
    return Failure(QStringLiteral("Cannot write the project to standard output: %1").arg(strError));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ramify-solve"));
    CSolveCommandLine line;
    Outcome outcome = line.Parse(QCoreApplication::arguments());
    if (outcome.status != CSolveAnalysis::Success || line.help)
        return CSolveAnalysis::Exit(outcome);

    CProjectDocument document;
    CProjectFile::ReadResult result;
    CDecisionRule rule;
    outcome = Read(document, line, &result, &rule);
    if (outcome.status == CSolveAnalysis::Success)
        outcome = SetVariables(document, line, &result);
    if (outcome.status != CSolveAnalysis::Success)
        return CSolveAnalysis::Exit(outcome);
    // Saving a file whose nodes were not all read into the tree would lose
    // them, perhaps over the very file they came from.
    const QString strDropped = result.DroppedNodesMessage(result.nodesInTree);
    if (line.write && strDropped.isEmpty())
        outcome = Write(document, line);
    if (outcome.status == CSolveAnalysis::Success && !line.ToStandardOutput()) {
        const CDecisionTree &tree = document.GetTree();
        const CTreeIndex index(tree.GetRoot());
        // A project of two criteria is analysed by its combined value.
        CProjectSettings settings = result.settings;
        settings.rule = rule;
        const CDecisionRule analysisRule = settings.AnalysisRule();
        outcome = line.analysis->Deliver({tree, analysisRule, index, result.projectName, line.file,
                                          result.settings.numbers, result.settings.criteria},
                                         line.form);
    }
    if (outcome.status == CSolveAnalysis::Success && !strDropped.isEmpty())
        outcome =
            Failure(line.write ? strDropped + QStringLiteral(" Nothing was written.") : strDropped);
    return CSolveAnalysis::Exit(outcome);
}
