#pragma once

#include "CVariables.h"

#include <QByteArray>
#include <QDateTime>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QVector>

#include <memory>
#include <utility>
#include <vector>

class CNode;

// Recovery copies of projects with unsaved changes, kept in the user's data
// folder so that a crash, a kill or a power cut loses no more than the last
// few seconds. Every running instance has a folder of its own, locked while
// it runs; copies in a folder whose lock nobody holds any more were left by
// an instance that ended without closing its projects, and are offered back.
// A folder whose lock is held is never touched.
class CRecoveryStore : public QObject
{
    Q_OBJECT

public:
    // One copy and what it belongs to.
    struct Copy
    {
        QString folder;
        QString id;
        QString projectName;
        // The project's own file; empty for a project never saved.
        QString filePath;
        QDateTime written;

        QString ProjectPath() const;
        QString InfoPath() const;
    };

    // strFolder holds the instances' folders.
    explicit CRecoveryStore(const QString &strFolder, QObject *parent = nullptr);
    // Finishes every queued write and removal first. The folder goes when no
    // copy is left in it; copies that are left stay for the next start.
    ~CRecoveryStore() override;

    // "ramify/recovery" in the user's data folder.
    static QString DefaultFolder();

    // Makes and locks this instance's folder. False, with a reason, when
    // that fails; nothing is kept then.
    bool Open(QString *pReason);
    bool IsOpen() const { return ownLock != nullptr; }
    QString OwnFolder() const { return ownFolder; }
    QString NewCopyId();

    // Writes and removals run on a thread of their own, in the order they
    // were asked for, so neither a big tree nor a slow disk holds the window
    // and a removal never overtakes the write before it. The store takes the
    // tree below pRoot, a copy that nothing else touches any more, and a
    // copy of the project's variables.
    void WriteCopy(const QString &strId, CNode *pRoot, const QString &strProjectName,
                   const QString &strFilePath, const CVariables &variables = CVariables());
    void RemoveCopy(const QString &strId);
    // Waits for the queued writes and removals.
    void Flush();

    // The copies in folders that no running instance holds, oldest first.
    // Their folders stay locked by this instance until ReleaseOrphans().
    QVector<Copy> ClaimOrphans();
    // Moves an orphan copy into this instance's folder, under a new id.
    bool AdoptOrphan(const Copy &orphan, Copy *pAdopted, QString *pReason);
    void DiscardOrphan(const Copy &orphan);
    // Unlocks the claimed folders and removes those left without copies.
    void ReleaseOrphans();

signals:
    // A copy could not be written; reported on the thread of the store.
    void sig_copyFailed(const QString &strId, const QString &strReason);

private:
    static QVector<Copy> CopiesIn(const QString &strFolder);
    static void RemoveFolder(const QString &strFolder, std::unique_ptr<QLockFile> pLock);

    QString baseFolder;
    QString ownFolder;
    std::unique_ptr<QLockFile> ownLock;
    // Folders of orphans, each with the lock this instance holds on it.
    std::vector<std::pair<QString, std::unique_ptr<QLockFile>>> claimed;
    int copyCount = 0;
    QThreadPool writer;
};
