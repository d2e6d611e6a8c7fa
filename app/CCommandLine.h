#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the program is asked to do by its command line:
//   ramify [FILE...]
//   ramify --export OUT.(png|svg|pdf) [--arrange] PROJECT.rmproj
//   ramify --help | --version
class CCommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CCommandLine)

public:
    enum Mode
    {
        Open,
        Help,
        Version,
        Export,
        UsageError,
    };

    // The arguments as the program got them, its own name first.
    static CCommandLine Parse(const QStringList &arguments);
    // Whether the arguments ask for a picture: that needs no display, so
    // the choice of platform is made before the application object exists.
    static bool AsksForExport(const QStringList &arguments);

    // Texts for --help and --version.
    static QString HelpText();
    static QString VersionText();

    // Writes the picture of an export; returns the exit status: 0 written,
    // 1 when the project could not be read completely or the picture not
    // written (said on standard error).
    int RunExport() const;

    Mode mode = Open;
    QStringList files;
    QString exportPath;
    bool arrange = false;
    // What is wrong with a command line of mode UsageError.
    QString error;
};
