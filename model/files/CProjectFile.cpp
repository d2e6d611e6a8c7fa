#include "CProjectFile.h"

#include "CDecisionTree.h"
#include "CPeerJsonReader.h"
#include "CPeerJsonWriter.h"
#include "CProjectFileReader.h"
#include "CProjectFileWriter.h"
#include "CSafeFile.h"
#include "CTreeFormulas.h"

#include <QBuffer>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

#include <cerrno>

namespace {

bool Fail(QString *pErrorMessage, const QString &strMessage)
{
    if (pErrorMessage)
        *pErrorMessage = strMessage;
    return false;
}

QString QuotedFile(const QString &strPath)
{
    return strPath.isEmpty() ? CProjectFile::tr("the project file")
                             : QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(strPath));
}

} // namespace

QString CProjectFile::ReadResult::Message() const
{
    const QString strFile = QuotedFile(filePath);
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

QString CProjectFile::ReadResult::NotesMessage() const
{
    if (notes.isEmpty())
        return QString();
    return tr("%1 is not read quite as it is:\n%2")
        .arg(QuotedFile(filePath), notes.join(QLatin1Char('\n')));
}

QString CProjectFile::ReadResult::FormulaMessage() const
{
    if (formulaProblems.empty())
        return QString();
    // Another tool's file stores no values to fall back on.
    if (foreign)
        return tr("Some formulas in %1 cannot be computed; they are kept as written and their "
                  "nodes count as 0 until they are mended:\n%2")
            .arg(QuotedFile(filePath), CTreeFormulas::Message(formulaProblems));
    return tr("Some formulas in %1 cannot be computed; they are kept as written and their "
              "nodes show the last values stored:\n%2")
        .arg(QuotedFile(filePath), CTreeFormulas::Message(formulaProblems));
}

QString CProjectFile::ReadResult::ProblemsMessage(bool bHasRoot, bool bShown) const
{
    QStringList problems;
    if (!complete)
        problems << Message();
    if (!bHasRoot && complete)
        problems << tr("\"%1\" holds no Ramify project.").arg(filePath);
    else if (bHasRoot)
        problems << DroppedNodesMessage(bShown ? nodesInTree : 0);
    problems << FormulaMessage();
    problems.removeAll(QString());
    return problems.join(QLatin1String("\n\n"));
}

QString CProjectFile::ReadResult::DroppedNodesMessage(qint64 nNodesShown) const
{
    if (nNodesShown >= nodesInFile)
        return QString();
    const QString strFile = QuotedFile(filePath);
    const qint64 nLost = nodesInFile - nodesInTree;
    // A tree may be held but not shown (its Root needs exactly one child);
    // saving then still keeps it, and only the nodes outside it are lost.
    if (nNodesShown < nodesInTree) {
        QString strMessage = tr("Only %1 of the %2 nodes in %3 can be shown: its Root does not "
                                "have exactly one child.")
                                 .arg(nNodesShown)
                                 .arg(nodesInFile)
                                 .arg(strFile);
        if (nLost > 0)
            strMessage += QLatin1Char(' ') + tr("%1 of them belong to no tree, and saving will "
                                                "not keep them.")
                                                 .arg(nLost);
        return strMessage;
    }
    return tr("Only %1 of the %2 nodes in %3 belong to its tree. Saving will not keep the "
              "other %4.")
        .arg(nNodesShown)
        .arg(nodesInFile)
        .arg(strFile)
        .arg(nLost);
}

CProjectFile::ReadResult CProjectFile::Read(const QString &strPath, CDecisionTree &tree, int nTree)
{
    ReadResult result;
    const std::unique_ptr<QIODevice> pDevice =
        CSafeFile::OpenForReading(strPath, &result.errorText);
    if (pDevice)
        result = Read(*pDevice, tree, nTree, QFileInfo(strPath).completeBaseName());
    result.filePath = strPath;
    return result;
}

CProjectFile::ReadResult CProjectFile::Read(QIODevice &device, CDecisionTree &tree, int nTree)
{
    return Read(device, tree, nTree, tr("Untitled"));
}

CProjectFile::ReadResult CProjectFile::Read(QIODevice &device, CDecisionTree &tree, int nTree,
                                            const QString &strUntitled)
{
    ReadResult result;
    if (!device.isOpen())
        device.open(QIODevice::ReadOnly);
    if (!device.isReadable()) {
        result.errorText = device.errorString();
        return result;
    }
    result.opened = true;
    if (CPeerJsonReader::LooksLikeJson(device))
        CPeerJsonReader::Read(device.readAll(), nTree, strUntitled, tree, result);
    else
        CProjectFileReader(tree).Read(device, result);
    return result;
}

bool CProjectFile::Write(const QString &strPath, const CDecisionTree &tree,
                         const QString &strProjectName, QString *pErrorMessage)
{
    return Write(strPath, tree, strProjectName, CProjectSettings(), pErrorMessage);
}

bool CProjectFile::Write(QIODevice &device, const CDecisionTree &tree,
                         const QString &strProjectName, QString *pErrorMessage)
{
    return Write(device, tree, strProjectName, CProjectSettings(), pErrorMessage);
}

bool CProjectFile::Write(const QString &strPath, const CDecisionTree &tree,
                         const QString &strProjectName, const CProjectSettings &settings,
                         QString *pErrorMessage)
{
    if (!tree.GetRoot())
        return Fail(pErrorMessage, tr("There is no tree to save."));
    // The whole document is made in memory first, so the file is touched
    // only with everything ready, and a failure can only be the system's.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString strReason;
    // The suffix chooses the format, so that a tree goes to the other tool
    // wherever a path is given.
    if (QFileInfo(strPath).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0) {
        const QByteArray json = CPeerJsonWriter::Write(tree, strProjectName, settings, &strReason);
        if (json.isEmpty())
            return Fail(pErrorMessage,
                        tr("Cannot write %1: %2").arg(QuotedFile(strPath), strReason));
        buffer.write(json);
    } else if (!Write(buffer, tree, strProjectName, settings, &strReason)) {
        return Fail(pErrorMessage, tr("Cannot write %1: %2").arg(QuotedFile(strPath), strReason));
    }
    if (!CSafeFile::Write(strPath, buffer.data(), &strReason))
        return Fail(pErrorMessage, tr("Cannot write %1: %2").arg(QuotedFile(strPath), strReason));
    return true;
}

bool CProjectFile::Write(QIODevice &device, const CDecisionTree &tree,
                         const QString &strProjectName, const CProjectSettings &settings,
                         QString *pErrorMessage)
{
    if (!tree.GetRoot())
        return Fail(pErrorMessage, tr("There is no tree to save."));
    if (!device.isWritable())
        return Fail(pErrorMessage, tr("The device is not open for writing."));
    errno = 0;
    bool bWritten = CProjectFileWriter::Write(device, tree.GetRoot(), strProjectName, settings,
                                              &tree.Variables());
    // The last buffered bytes reach the disk only when flushed, and a full disk
    // shows only then.
    auto *pFile = qobject_cast<QFileDevice *>(&device);
    if (bWritten && pFile)
        bWritten = pFile->flush();
    if (bWritten)
        return true;
    // A file device of Qt 5.15 forgets why a short write or flush failed and
    // says "Unknown error"; the system's reason is still in errno.
    const int nErrno = errno;
    return Fail(pErrorMessage,
                pFile && nErrno != 0 ? qt_error_string(nErrno) : device.errorString());
}
