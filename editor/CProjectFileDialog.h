#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

// Asks where a project goes. A name typed without a suffix gets ".rmproj",
// so that the Open dialog, which lists only those, finds the project again;
// the question before a file is replaced is asked about that very file.
class CProjectFileDialog
{
    Q_DECLARE_TR_FUNCTIONS(CProjectFileDialog)

public:
    // The path to write to, or empty when the user cancelled.
    static QString GetSavePath(QWidget *pParent, const QString &strCaption,
                               const QString &strStart);
    // Where the save dialog starts: the project's file, or for a project
    // never saved a file named after it, with the characters no file name
    // may hold replaced.
    static QString SuggestedPath(const QString &strFilePath, const QString &strProjectName);
};
