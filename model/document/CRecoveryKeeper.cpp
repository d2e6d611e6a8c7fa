#include "CRecoveryKeeper.h"

#include "CNode.h"
#include "CProjectDocument.h"
#include "CRecoveryStore.h"

#include <algorithm>

CRecoveryKeeper::CRecoveryKeeper(CProjectDocument *pDocument, CRecoveryStore &recoveryStore,
                                 const QString &strCopyId)
    : QObject(pDocument), document(pDocument), store(recoveryStore), copyId(strCopyId)
{
    timer.setSingleShot(true);
    clock.start();
    connect(&timer, &QTimer::timeout, this, &CRecoveryKeeper::OnDue);
    // Every change the project announces, whether it is an undo step or not.
    connect(pDocument, &CProjectDocument::sig_evaluated, this, &CRecoveryKeeper::OnChanged);
    connect(pDocument, &CProjectDocument::sig_nodeChanged, this, &CRecoveryKeeper::OnChanged);
    connect(pDocument, &CProjectDocument::sig_positionsChanged, this, &CRecoveryKeeper::OnChanged);
    connect(pDocument, &CProjectDocument::sig_settingsChanged, this, &CRecoveryKeeper::OnChanged);
    // Folds are saved with the project, so the copy keeps them too.
    connect(pDocument, &CProjectDocument::sig_foldChanged, this, &CRecoveryKeeper::OnChanged);
    connect(&store, &CRecoveryStore::sig_copyFailed, this, &CRecoveryKeeper::OnCopyFailed);
    // A command marks the project after it changed it, and the mark goes only
    // after a successful save.
    connect(pDocument, &CProjectDocument::sig_modifiedChanged, this, [this](bool bModified) {
        if (bModified)
            OnChanged();
        else
            Discard();
    });
}

void CRecoveryKeeper::Discard()
{
    timer.stop();
    firstPending = -1;
    store.RemoveCopy(copyId);
}

void CRecoveryKeeper::SetTiming(int nQuietMilliseconds, int nIntervalMilliseconds)
{
    quietMilliseconds = nQuietMilliseconds;
    intervalMilliseconds = nIntervalMilliseconds;
}

void CRecoveryKeeper::OnChanged()
{
    if (!document->IsModified())
        return;
    const qint64 nNow = clock.elapsed();
    if (firstPending < 0)
        firstPending = nNow;
    // Soon after the last change, but a stream of changes does not put the
    // copy off for longer than the interval, nor come in quicker than that.
    qint64 nDue = std::min(nNow + quietMilliseconds, firstPending + intervalMilliseconds);
    if (lastWritten >= 0)
        nDue = std::max(nDue, lastWritten + intervalMilliseconds);
    timer.start(int(std::max<qint64>(0, nDue - nNow)));
}

void CRecoveryKeeper::OnDue()
{
    firstPending = -1;
    if (!document->IsModified())
        return;
    // Copying the tree takes a millisecond where writing it out takes tens
    // (10,000 nodes); the store writes the copy on its own thread.
    const CNode *pRoot = document->GetRoot();
    if (!pRoot)
        return;
    CNode *pCopy = pRoot->Clone();
    pCopy->parent = nullptr;
    store.WriteCopy(copyId, pCopy, document->GetProjectName(), document->GetFilePath(),
                    document->GetTree().Variables());
    lastWritten = clock.elapsed();
}

void CRecoveryKeeper::OnCopyFailed(const QString &strId, const QString &strReason)
{
    if (strId != copyId || failureShown)
        return;
    failureShown = true;
    emit sig_cannotKeepCopies(
        tr("Ramify cannot keep a recovery copy of \"%1\": %2\n\nIf Ramify ends "
           "before the project is saved, its unsaved changes are lost.")
            .arg(document->GetProjectName(), strReason));
}
