#include "CRecoveryStore.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"
#include "CSafeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

namespace {

const QString LockName = QStringLiteral("lock");

bool Fail(QString *pReason, const QString &strReason)
{
    if (pReason)
        *pReason = strReason;
    return false;
}

} // namespace

QString CRecoveryStore::Copy::ProjectPath() const
{
    return folder + QLatin1Char('/') + id + QLatin1String(".rmproj");
}

QString CRecoveryStore::Copy::InfoPath() const
{
    return folder + QLatin1Char('/') + id + QLatin1String(".json");
}

CRecoveryStore::CRecoveryStore(const QString &strFolder, QObject *parent)
    : QObject(parent), baseFolder(strFolder)
{
    writer.setMaxThreadCount(1);
}

CRecoveryStore::~CRecoveryStore()
{
    writer.waitForDone();
    ReleaseOrphans();
    if (ownLock && CopiesIn(ownFolder).isEmpty())
        RemoveFolder(ownFolder, std::move(ownLock));
}

QString CRecoveryStore::DefaultFolder()
{
    const QString strData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return strData.isEmpty() ? QString() : strData + QLatin1String("/ramify/recovery");
}

bool CRecoveryStore::Open(QString *pReason)
{
    if (ownLock)
        return true;
    if (baseFolder.isEmpty())
        return Fail(pReason, tr("there is no folder for the user's data"));
    QString strReason;
    if (!CSafeFile::MakeFolders(baseFolder, &strReason))
        return Fail(pReason, QStringLiteral("\"%1\": %2").arg(baseFolder, strReason));
    QTemporaryDir folder(baseFolder + QLatin1String("/instance-XXXXXX"));
    if (!folder.isValid())
        return Fail(pReason, QStringLiteral("\"%1\": %2").arg(baseFolder, folder.errorString()));
    folder.setAutoRemove(false);
    auto pLock = std::make_unique<QLockFile>(folder.path() + QLatin1Char('/') + LockName);
    // A lock is stale only when its process is gone, however old it is.
    pLock->setStaleLockTime(0);
    if (!pLock->tryLock(0)) {
        QDir().rmdir(folder.path());
        return Fail(pReason, tr("\"%1\" cannot be locked").arg(folder.path()));
    }
    ownFolder = folder.path();
    ownLock = std::move(pLock);
    return true;
}

QString CRecoveryStore::NewCopyId()
{
    return QStringLiteral("copy-%1").arg(++copyCount);
}

void CRecoveryStore::WriteCopy(const QString &strId, CNode *pRoot, const QString &strProjectName,
                               const QString &strFilePath, const CVariables &variables)
{
    if (!ownLock) {
        CNode::FreeSubtree(pRoot);
        return;
    }
    const Copy copy{ownFolder, strId, strProjectName, strFilePath, QDateTime::currentDateTimeUtc()};
    writer.start([this, copy, pRoot, variables] {
        CDecisionTree tree;
        tree.SetRoot(pRoot);
        tree.Variables() = variables;
        QBuffer project;
        project.open(QIODevice::WriteOnly);
        const QJsonObject info{{QStringLiteral("projectName"), copy.projectName},
                               {QStringLiteral("filePath"), copy.filePath},
                               {QStringLiteral("written"), copy.written.toString(Qt::ISODate)}};
        // The copy goes first: a description without its copy offers nothing,
        // a copy without one can still be offered.
        QString strReason;
        if (CProjectFile::Write(project, tree, copy.projectName, &strReason) &&
            CSafeFile::Write(copy.ProjectPath(), project.data(), &strReason) &&
            CSafeFile::Write(copy.InfoPath(), QJsonDocument(info).toJson(), &strReason))
            return;
        const QString strMessage = QStringLiteral("\"%1\": %2").arg(copy.folder, strReason);
        QMetaObject::invokeMethod(
            this, [this, copy, strMessage] { emit sig_copyFailed(copy.id, strMessage); },
            Qt::QueuedConnection);
    });
}

void CRecoveryStore::RemoveCopy(const QString &strId)
{
    if (!ownLock)
        return;
    const Copy copy{ownFolder, strId, QString(), QString(), QDateTime()};
    writer.start([copy] {
        QFile::remove(copy.ProjectPath());
        QFile::remove(copy.InfoPath());
    });
}

void CRecoveryStore::Flush()
{
    writer.waitForDone();
}

QVector<CRecoveryStore::Copy> CRecoveryStore::ClaimOrphans()
{
    QVector<Copy> orphans;
    if (!ownLock)
        return orphans;
    const QString strOwnName = QFileInfo(ownFolder).fileName();
    const QFileInfoList folders =
        QDir(baseFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo &folder : folders) {
        if (folder.fileName() == strOwnName)
            continue;
        auto pLock = std::make_unique<QLockFile>(folder.filePath() + QLatin1Char('/') + LockName);
        pLock->setStaleLockTime(0);
        if (!pLock->tryLock(0))
            continue;
        orphans += CopiesIn(folder.filePath());
        claimed.emplace_back(folder.filePath(), std::move(pLock));
    }
    std::sort(orphans.begin(), orphans.end(),
              [](const Copy &a, const Copy &b) { return a.written < b.written; });
    return orphans;
}

bool CRecoveryStore::AdoptOrphan(const Copy &orphan, Copy *pAdopted, QString *pReason)
{
    Copy adopted = orphan;
    adopted.folder = ownFolder;
    adopted.id = NewCopyId();
    QFile project(orphan.ProjectPath());
    if (!ownLock || !project.rename(adopted.ProjectPath()))
        return Fail(pReason,
                    QStringLiteral("\"%1\": %2").arg(orphan.ProjectPath(), project.errorString()));
    QFile::rename(orphan.InfoPath(), adopted.InfoPath());
    *pAdopted = adopted;
    return true;
}

void CRecoveryStore::DiscardOrphan(const Copy &orphan)
{
    QFile::remove(orphan.ProjectPath());
    QFile::remove(orphan.InfoPath());
}

void CRecoveryStore::ReleaseOrphans()
{
    for (auto &[strFolder, pLock] : claimed) {
        if (CopiesIn(strFolder).isEmpty())
            RemoveFolder(strFolder, std::move(pLock));
    }
    claimed.clear();
}

QVector<CRecoveryStore::Copy> CRecoveryStore::CopiesIn(const QString &strFolder)
{
    QVector<Copy> copies;
    const QFileInfoList files =
        QDir(strFolder).entryInfoList({QStringLiteral("*.rmproj")}, QDir::Files);
    for (const QFileInfo &file : files) {
        Copy copy{strFolder, file.completeBaseName(), QString(), QString(), file.lastModified()};
        QFile info(copy.InfoPath());
        if (info.open(QIODevice::ReadOnly)) {
            const QJsonObject object = QJsonDocument::fromJson(info.read(1 << 20)).object();
            copy.projectName = object.value(QStringLiteral("projectName")).toString();
            copy.filePath = object.value(QStringLiteral("filePath")).toString();
            const QDateTime written = QDateTime::fromString(
                object.value(QStringLiteral("written")).toString(), Qt::ISODate);
            if (written.isValid())
                copy.written = written;
        }
        copies.push_back(copy);
    }
    return copies;
}

void CRecoveryStore::RemoveFolder(const QString &strFolder, std::unique_ptr<QLockFile> pLock)
{
    // Descriptions without a copy and temporary files of a write that was
    // cut off go with the folder; the lock goes last.
    QDir folder(strFolder);
    for (const QString &strName : folder.entryList(QDir::Files | QDir::Hidden))
        if (strName != LockName)
            folder.remove(strName);
    pLock->unlock();
    QDir().rmdir(strFolder);
}
