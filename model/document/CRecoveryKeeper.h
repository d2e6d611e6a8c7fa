#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class CProjectDocument;
class CRecoveryStore;

// Keeps the recovery copy of one project while it has unsaved changes: a few
// seconds after the last change, and not more often than once in a while,
// so that typing never waits for the disk. The copy goes when the project is
// saved or thrown away, and stays when the program dies.
class CRecoveryKeeper : public QObject
{
    Q_OBJECT

public:
    // strCopyId names the project's copy in the store; a recovered project
    // passes the id of the copy it came from.
    CRecoveryKeeper(CProjectDocument *pDocument, CRecoveryStore &store, const QString &strCopyId);

    // The project was saved or closed without saving.
    void Discard();
    // How long the project must rest before a copy is written, and how long
    // at least lies between two copies (also the longest a change waits).
    void SetTiming(int nQuietMilliseconds, int nIntervalMilliseconds);

signals:
    // No copy can be kept; said once, in a sentence for the user.
    void sig_cannotKeepCopies(const QString &strMessage);

private slots:
    void OnChanged();
    void OnDue();
    void OnCopyFailed(const QString &strId, const QString &strReason);

private:
    CProjectDocument *document;
    CRecoveryStore &store;
    QString copyId;
    QTimer timer;
    QElapsedTimer clock;
    int quietMilliseconds = 3000;
    int intervalMilliseconds = 30000;
    // When the first change not yet in a copy was made, and when the last
    // copy was written; -1 for none.
    qint64 firstPending = -1;
    qint64 lastWritten = -1;
    bool failureShown = false;
};
