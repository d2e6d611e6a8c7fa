#include "CCommandLine.h"

#include "CProjectDocument.h"
#include "CTreePicture.h"
#include "CTreeScene.h"
#include "RamifyVersion.h"

#include <cstdio>

namespace {

// Every argument before "--" that could be an option; after it, names only.
QStringList Options(const QStringList &arguments)
{
    QStringList options;
    for (int i = 1; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i)
        options << arguments[i];
    return options;
}

} // namespace

bool CCommandLine::AsksForExport(const QStringList &arguments)
{
    return Options(arguments).contains(QStringLiteral("--export"));
}

CCommandLine CCommandLine::Parse(const QStringList &arguments)
{
    CCommandLine request;
    const QStringList options = Options(arguments);
    if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h"))) {
        request.mode = Help;
        return request;
    }
    if (options.contains(QStringLiteral("--version")) || options.contains(QStringLiteral("-v"))) {
        request.mode = Version;
        return request;
    }
    auto usage = [&](const QString &strError) {
        request.mode = UsageError;
        request.error = strError;
        return request;
    };
    bool bNamesOnly = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &strArgument = arguments[i];
        if (bNamesOnly || !strArgument.startsWith(QLatin1Char('-')) || strArgument == "-") {
            request.files << strArgument;
        } else if (strArgument == QLatin1String("--")) {
            bNamesOnly = true;
        } else if (strArgument == QLatin1String("--export")) {
            if (request.mode == Export || i + 1 >= arguments.size())
                return usage(tr("--export needs the name of one picture file."));
            request.mode = Export;
            request.exportPath = arguments[++i];
        } else if (strArgument == QLatin1String("--arrange")) {
            request.arrange = true;
        } else {
            return usage(tr("Unknown option %1.").arg(strArgument));
        }
    }
    if (request.mode != Export) {
        if (request.arrange)
            return usage(tr("--arrange goes with --export only."));
        return request;
    }
    if (!CTreePicture::HasKnownSuffix(request.exportPath))
        return usage(
            tr("The picture's name must end in .png, .svg or .pdf: %1").arg(request.exportPath));
    if (request.files.size() != 1)
        return usage(tr("--export takes exactly one project file."));
    return request;
}

QString CCommandLine::HelpText()
{
    return tr("Usage: ramify [FILE...]\n"
              "       ramify --export PICTURE [--arrange] PROJECT\n"
              "\n"
              "Draws decision trees and evaluates them by rollback.\n"
              "\n"
              "  FILE...            open each project file (.rmproj, or a SilverDecisions .json\n"
              "                     with a window per tree) in a window of its own\n"
              "  --export PICTURE   write a picture of the whole tree of PROJECT and exit;\n"
              "                     PICTURE ends in .png, .svg or .pdf; needs no display\n"
              "  --arrange          arrange the tree tidily before the picture is taken\n"
              "  -h, --help         show this help and exit\n"
              "  -v, --version      show the version and exit\n"
              "\n"
              "Exit status of --export: 0 when the picture was written, 1 when the project\n"
              "could not be read completely or the picture not written, 2 on a usage error.\n");
}

QString CCommandLine::VersionText()
{
    return QStringLiteral("Ramify %1\n").arg(QString::fromLatin1(RamifyVersion()));
}

int CCommandLine::RunExport() const
{
    // The picture is drawn as a window would draw the project, without one.
    CProjectDocument document;
    CTreeScene scene(document, nullptr);
    const CProjectFile::ReadResult result = document.Read(files.value(0));
    QString strError = result.Message();
    if (result.opened) {
        scene.ShowTree(QPointF(0, 0), true);
        // Another tool's file may come without positions.
        if (arrange || !result.positioned)
            document.SetPositions(scene.ArrangedPositions());
        strError = result.ProblemsMessage(document.GetRoot(), !scene.Items().empty());
    }
    const bool bDone = strError.isEmpty() &&
                       CTreePicture::Write(scene, document.GetProjectName(), exportPath, &strError);
    if (!bDone)
        std::fprintf(stderr, "ramify: %s\n", qPrintable(strError));
    return bDone ? 0 : 1;
}
