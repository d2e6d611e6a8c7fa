#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <memory>

class QIODevice;

// Whole-file access for project files. A write never leaves a half-written
// file where a whole one was and never replaces what is not a regular file;
// no pipe can make the program wait forever; and every failure carries the
// system's own reason ("No space left on device", "Is a directory").
class CSafeFile
{
    Q_DECLARE_TR_FUNCTIONS(CSafeFile)

public:
    // How long a pipe or device may take no bytes before a write gives up.
    static constexpr int StallMilliseconds = 5000;

    // A regular file (or a new one) is replaced only once the bytes are safely
    // on disk; a symbolic link stays and its target is written. A character
    // device or a named pipe is written straight to, and a pipe that nobody
    // reads from is refused. Folders and other kinds of files are refused.
    static bool Write(const QString &strPath, const QByteArray &data, QString *pReason);
    // Writes every byte to an already open descriptor, such as standard output.
    static bool WriteAll(int nDescriptor, const QByteArray &data, QString *pReason);
    // A device reading the file: the file itself when it is a regular one;
    // for a pipe, what arrived through it until its writer closed it. Null,
    // with a reason, for folders, devices and anything that fails.
    static std::unique_ptr<QIODevice> OpenForReading(const QString &strPath, QString *pReason);
    // Makes a folder and any missing one above it; new folders are the
    // owner's alone.
    static bool MakeFolders(const QString &strPath, QString *pReason);
};
