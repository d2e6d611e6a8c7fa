#include "CProjectFile.h"

#include "CDecisionTree.h"
#include "CProjectFileReader.h"
#include "CProjectFileWriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

bool Fail(QString *pErrorMessage, const QString &strMessage)
{
    if (pErrorMessage)
        *pErrorMessage = strMessage;
    return false;
}

} // namespace

QString CProjectFile::ReadResult::Message() const
{
    const QString strFile = filePath.isEmpty()
                                ? tr("the project file")
                                : QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(filePath));
    if (!opened)
        return tr("Cannot open %1: %2").arg(strFile, errorText);
    if (!complete)
        return tr("Error in %1 at line %2, column %3: %4")
            .arg(strFile)
            .arg(errorLine)
            .arg(errorColumn)
            .arg(errorText);
    return QString();
}

CProjectFile::ReadResult CProjectFile::Read(const QString &strPath, CDecisionTree &tree)
{
    QFile file(strPath);
    ReadResult result = Read(file, tree);
    result.filePath = strPath;
    return result;
}

CProjectFile::ReadResult CProjectFile::Read(QIODevice &device, CDecisionTree &tree)
{
    ReadResult result;
    if (!device.isOpen())
        device.open(QIODevice::ReadOnly);
    if (!device.isReadable()) {
        result.errorText = device.errorString();
        return result;
    }
    result.opened = true;
    CProjectFileReader(tree).Read(device, result);
    return result;
}

bool CProjectFile::Write(const QString &strPath, const CDecisionTree &tree,
                         const QString &strProjectName, QString *pErrorMessage)
{
    const QString strFile = QDir::toNativeSeparators(strPath);
    if (!tree.GetRoot())
        return Fail(pErrorMessage, tr("There is no tree to save."));
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(pErrorMessage, tr("Cannot write \"%1\": %2").arg(strFile, file.errorString()));
    QString strReason;
    if (!Write(file, tree, strProjectName, &strReason)) {
        file.cancelWriting();
        return Fail(pErrorMessage, tr("Cannot write \"%1\": %2").arg(strFile, strReason));
    }
    if (!file.commit())
        return Fail(pErrorMessage, tr("Cannot write \"%1\": %2").arg(strFile, file.errorString()));
    return true;
}

bool CProjectFile::Write(QIODevice &device, const CDecisionTree &tree,
                         const QString &strProjectName, QString *pErrorMessage)
{
    if (!tree.GetRoot())
        return Fail(pErrorMessage, tr("There is no tree to save."));
    if (!device.isWritable())
        return Fail(pErrorMessage, tr("The device is not open for writing."));
    bool bWritten = CProjectFileWriter::Write(device, tree.GetRoot(), strProjectName);
    // The last buffered bytes reach the disk only when flushed, and a full disk
    // shows only then. QSaveFile::commit() in Qt 5.15 ignores a failed final
    // flush and would put a truncated file in place of the old one.
    if (bWritten)
        if (auto *pFile = qobject_cast<QFileDevice *>(&device))
            bWritten = pFile->flush();
    if (!bWritten)
        return Fail(pErrorMessage, device.errorString());
    return true;
}
