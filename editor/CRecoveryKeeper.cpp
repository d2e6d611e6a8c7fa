#include "CRecoveryKeeper.h"

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CRecoveryStore.h"

#include <QEvent>
#include <QMessageBox>
#include <QUndoStack>

#include <algorithm>

CRecoveryKeeper::CRecoveryKeeper(CDecisionTreeWindow *pWindow, CRecoveryStore &recoveryStore,
                                 const QString &strCopyId)
    : QObject(pWindow), window(pWindow), store(recoveryStore), copyId(strCopyId)
{
    timer.setSingleShot(true);
    clock.start();
    connect(&timer, &QTimer::timeout, this, &CRecoveryKeeper::OnDue);
    // Every edit is a step on the undo stack, and so is every undo and redo.
    connect(pWindow->GetUndoStack(), &QUndoStack::indexChanged, this, &CRecoveryKeeper::OnChanged);
    connect(&store, &CRecoveryStore::sig_copyFailed, this, &CRecoveryKeeper::OnCopyFailed);
    // The modified mark goes after a successful save, or when undo returns
    // to the saved state.
    pWindow->installEventFilter(this);
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

bool CRecoveryKeeper::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    // Changes outside the history (nodes moved by hand) mark the project
    // without a step; they are kept as well.
    if (pWatched == window && pEvent->type() == QEvent::ModifiedChange) {
        if (window->isWindowModified())
            OnChanged();
        else
            Discard();
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void CRecoveryKeeper::OnChanged()
{
    if (!window->isWindowModified())
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
    if (!window->isWindowModified())
        return;
    // Copying the tree takes a millisecond where writing it out takes tens
    // (10,000 nodes); the store writes the copy on its own thread.
    const CNode *pRoot = window->GetTree().GetRoot();
    if (!pRoot)
        return;
    CNode *pCopy = pRoot->Clone();
    pCopy->parent = nullptr;
    store.WriteCopy(copyId, pCopy, window->GetProjectName(), window->GetFilePath());
    lastWritten = clock.elapsed();
}

void CRecoveryKeeper::OnCopyFailed(const QString &strId, const QString &strReason)
{
    if (strId != copyId || failureShown)
        return;
    failureShown = true;
    QMessageBox::warning(window, tr("Recovery Copy"),
                         tr("Ramify cannot keep a recovery copy of \"%1\": %2\n\nIf Ramify ends "
                            "before the project is saved, its unsaved changes are lost.")
                             .arg(window->GetProjectName(), strReason));
}
