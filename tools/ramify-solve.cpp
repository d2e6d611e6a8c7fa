// ramify-solve: loads a project file, rolls its tree back with the editor's
// solver and prints the result; optionally saves the solved tree.
#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"
#include "CSafeFile.h"
#include "CSolveReport.h"
#include "CSolveReportJson.h"
#include "CSolveReportText.h"

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

Exit status:
  0  the file was read completely and evaluated
  1  the file could not be opened, read completely, or written (the message
     names the file and, for a broken file, the line and column); or some of
     its nodes belong to no tree (the message says how many), in which case
     the result is printed but nothing is written
  2  the command line was wrong

--write - writes the project to standard output instead of the result.
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

bool WriteToStandardOutput(const CDecisionTree &tree, const QString &strProjectName,
                           QString *pError)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString strReason;
    if (CProjectFile::Write(buffer, tree, strProjectName, &strReason) &&
        CSafeFile::WriteAll(fileno(stdout), buffer.data(), &strReason))
        return true;
    *pError = QStringLiteral("Cannot write the project to standard output: %1").arg(strReason);
    return false;
}

void PrintReport(const CSolveReport &report, bool bJson)
{
    if (bJson) {
        const QByteArray json = CSolveReportJson::Render(report);
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    } else {
        QTextStream out(stdout);
        out.setCodec("UTF-8");
        out << CSolveReportText::Render(report);
    }
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
    const QCommandLineOption writeOption(
        QStringLiteral("write"), QStringLiteral("Save the solved tree as the project file <out>."),
        QStringLiteral("out"));
    parser.addOption(jsonOption);
    parser.addOption(writeOption);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The project file (.rmproj) to evaluate."));

    if (!parser.parse(QCoreApplication::arguments()))
        return UsageFailure(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        QTextStream(stdout) << parser.helpText() << HelpDetails;
        return Success;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return UsageFailure(files.isEmpty() ? QStringLiteral("No project file given.")
                                            : QStringLiteral("Give exactly one project file."));
    const QString strFile = files.front();

    CDecisionTree tree;
    const CProjectFile::ReadResult result = CProjectFile::Read(strFile, tree);
    if (!result.Succeeded())
        return Failure(result.Message());
    if (!tree.GetRoot())
        return Failure(QStringLiteral("\"%1\" holds no decision tree.").arg(strFile));

    // Only the values matter here, not which nodes were written.
    CDecisionSolver().Solve(tree.GetRoot(), [](CNode *) {});

    // Saving a file whose nodes were not all read into the tree would lose
    // them, perhaps over the very file they came from.
    const QString strDropped = result.DroppedNodesMessage(result.nodesInTree);
    const bool bWrite = parser.isSet(writeOption);
    const QString strOut = parser.value(writeOption);
    const bool bToStandardOutput = bWrite && strOut == QLatin1String("-");
    if (bWrite && strDropped.isEmpty()) {
        QString strError;
        const bool bWritten =
            bToStandardOutput ? WriteToStandardOutput(tree, result.projectName, &strError)
                              : CProjectFile::Write(strOut, tree, result.projectName, &strError);
        if (!bWritten)
            return Failure(strError);
    }
    // Standard output carries either the project or the result, never both.
    if (!bToStandardOutput)
        PrintReport(CSolveReport(tree, result.projectName, strFile), parser.isSet(jsonOption));
    if (!strDropped.isEmpty())
        return Failure(bWrite ? strDropped + QStringLiteral(" Nothing was written.") : strDropped);
    return Success;
}
