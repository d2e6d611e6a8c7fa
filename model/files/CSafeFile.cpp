#include "CSafeFile.h"

#include <QBuffer>
#include <QFile>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool Fail(QString *pReason, const QString &strReason)
{
    if (pReason)
        *pReason = strReason;
    return false;
}

#ifdef Q_OS_UNIX

bool FailErrno(QString *pReason, int nErrno)
{
    return Fail(pReason, qt_error_string(nErrno));
}

// Waits until the descriptor can take (or give) bytes again. False, with a
// reason, when it stays stuck for the whole stall time.
bool WaitReady(int nDescriptor, short nEvents, QString *pReason)
{
    pollfd pfd{nDescriptor, nEvents, 0};
    for (;;) {
        const int nReady = poll(&pfd, 1, CSafeFile::StallMilliseconds);
        if (nReady > 0)
            return true;
        if (nReady == 0)
            return Fail(pReason, CSafeFile::tr("nothing moved through it for %1 seconds")
                                     .arg(CSafeFile::StallMilliseconds / 1000));
        if (errno != EINTR)
            return FailErrno(pReason, errno);
    }
}

bool WriteLoop(int nDescriptor, const QByteArray &data, QString *pReason)
{
    const char *pNext = data.constData();
    size_t nLeft = size_t(data.size());
    while (nLeft > 0) {
        const ssize_t nWritten = ::write(nDescriptor, pNext, std::min<size_t>(nLeft, 1 << 30));
        if (nWritten > 0) {
            pNext += nWritten;
            nLeft -= size_t(nWritten);
        } else if (nWritten < 0 && errno == EINTR) {
            continue;
        } else if (nWritten < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitReady(nDescriptor, POLLOUT, pReason))
                return false;
        } else {
            return nWritten < 0 ? FailErrno(pReason, errno)
                                : Fail(pReason, CSafeFile::tr("the device takes no bytes"));
        }
    }
    return true;
}

// A pipe whose reader went away would end the program with SIGPIPE, and
// unsaved work with it; with the signal held back the write fails with
// "Broken pipe" instead, and a signal that this write raised is taken back.
bool WriteWithoutSigPipe(int nDescriptor, const QByteArray &data, QString *pReason)
{
    sigset_t pipeOnly, saved, pending;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &saved);
    sigpending(&pending);
    const bool bPendingBefore = sigismember(&pending, SIGPIPE);

    const bool bWritten = WriteLoop(nDescriptor, data, pReason);

    sigpending(&pending);
    if (!bPendingBefore && sigismember(&pending, SIGPIPE)) {
        const timespec noWait{0, 0};
        sigtimedwait(&pipeOnly, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return bWritten;
}

QByteArray FolderOf(const QByteArray &path)
{
    const int nSlash = path.lastIndexOf('/');
    if (nSlash < 0)
        return QByteArrayLiteral(".");
    return nSlash == 0 ? QByteArrayLiteral("/") : path.left(nSlash);
}

// The file that open() would reach through symbolic links, also when it does
// not exist yet: replacing the link by a file would cut it off.
bool FollowLinks(QByteArray &path, QString *pReason)
{
    for (int nHops = 0; nHops < 40; ++nHops) {
        struct stat info;
        if (lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        char target[PATH_MAX];
        const ssize_t nLength = readlink(path.constData(), target, sizeof target);
        if (nLength < 0)
            return FailErrno(pReason, errno);
        if (size_t(nLength) == sizeof target)
            return FailErrno(pReason, ENAMETOOLONG);
        const QByteArray link(target, int(nLength));
        path = link.startsWith('/') ? link : FolderOf(path) + '/' + link;
    }
    return FailErrno(pReason, ELOOP);
}

// Writes a temporary file beside the target and renames it over the target
// once it is complete and on disk, so the target is always whole: the old
// content or the new.
bool ReplaceFile(const QByteArray &target, const struct stat *pOld, const QByteArray &data,
                 QString *pReason)
{
    const QByteArray folder = FolderOf(target);
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    QByteArray temporary;
    int nDescriptor = -1;
    for (int nTry = 0; nDescriptor < 0; ++nTry) {
        temporary = folder + "/." + name + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        // 0666 lets the umask decide, as for any new file.
        nDescriptor =
            open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (nDescriptor < 0 && (errno != EEXIST || nTry == 100))
            return FailErrno(pReason, errno);
    }
    const auto discard = [&](int nErrno) {
        close(nDescriptor);
        unlink(temporary.constData());
        return FailErrno(pReason, nErrno);
    };
    if (pOld) {
        if (fchmod(nDescriptor, pOld->st_mode & 07777) != 0)
            return discard(errno);
        // Keeps the owner when root saves someone else's file; a plain user
        // cannot give files away, and the file is then simply the user's.
        if (fchown(nDescriptor, pOld->st_uid, pOld->st_gid) != 0) {
            // Not an error: the new file belongs to whoever saves it.
        }
    }
    if (!WriteLoop(nDescriptor, data, pReason)) {
        close(nDescriptor);
        unlink(temporary.constData());
        return false;
    }
    if (fsync(nDescriptor) != 0)
        return discard(errno);
    if (close(nDescriptor) != 0) {
        const int nErrno = errno;
        unlink(temporary.constData());
        return FailErrno(pReason, nErrno);
    }
    if (rename(temporary.constData(), target.constData()) != 0) {
        const int nErrno = errno;
        unlink(temporary.constData());
        return FailErrno(pReason, nErrno);
    }
    // The rename itself reaches the disk with the folder.
    const int nFolder = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nFolder >= 0) {
        fsync(nFolder);
        close(nFolder);
    }
    return true;
}

bool WriteStraight(const QByteArray &path, const QByteArray &data, QString *pReason)
{
    const int nDescriptor = open(path.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nDescriptor < 0)
        return errno == ENXIO ? Fail(pReason, CSafeFile::tr("no program is reading from the pipe"))
                              : FailErrno(pReason, errno);
    const bool bWritten = WriteWithoutSigPipe(nDescriptor, data, pReason);
    close(nDescriptor);
    return bWritten;
}

#endif

} // namespace

#ifdef Q_OS_UNIX

bool CSafeFile::Write(const QString &strPath, const QByteArray &data, QString *pReason)
{
    QByteArray path = QFile::encodeName(strPath);
    struct stat info;
    if (stat(path.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return FailErrno(pReason, EISDIR);
        if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode))
            return WriteStraight(path, data, pReason);
        if (!S_ISREG(info.st_mode))
            return Fail(pReason, tr("it is not a regular file"));
        // Renaming over the canonical path keeps every link on the way.
        char canonical[PATH_MAX];
        if (!realpath(path.constData(), canonical))
            return FailErrno(pReason, errno);
        return ReplaceFile(QByteArray(canonical), &info, data, pReason);
    }
    if (errno != ENOENT)
        return FailErrno(pReason, errno);
    if (!FollowLinks(path, pReason))
        return false;
    return ReplaceFile(path, nullptr, data, pReason);
}

bool CSafeFile::WriteAll(int nDescriptor, const QByteArray &data, QString *pReason)
{
    return WriteWithoutSigPipe(nDescriptor, data, pReason);
}

std::unique_ptr<QIODevice> CSafeFile::OpenForReading(const QString &strPath, QString *pReason)
{
    const QByteArray path = QFile::encodeName(strPath);
    // Not blocking: opening a pipe would otherwise wait for a writer.
    const int nDescriptor = open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (nDescriptor < 0) {
        FailErrno(pReason, errno);
        return nullptr;
    }
    struct stat info;
    const bool bKnown = fstat(nDescriptor, &info) == 0;
    const int nErrno = errno;
    if (!bKnown || !(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode))) {
        close(nDescriptor);
        if (!bKnown)
            FailErrno(pReason, nErrno);
        else if (S_ISDIR(info.st_mode))
            FailErrno(pReason, EISDIR);
        else
            Fail(pReason, tr("it is not a regular file"));
        return nullptr;
    }
    if (S_ISREG(info.st_mode)) {
        auto pFile = std::make_unique<QFile>();
        if (!pFile->open(nDescriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            close(nDescriptor);
            Fail(pReason, pFile->errorString());
            return nullptr;
        }
        return pFile;
    }

    // A pipe is read to its end first, so a writer that stalls cannot hold
    // the program, and a pipe without a writer reads as empty.
    constexpr int MaxPipeBytes = 256 * 1024 * 1024;
    QByteArray data;
    char chunk[65536];
    for (;;) {
        const ssize_t nRead = ::read(nDescriptor, chunk, sizeof chunk);
        if (nRead > 0 && data.size() <= MaxPipeBytes - nRead) {
            data.append(chunk, int(nRead));
        } else if (nRead > 0) {
            close(nDescriptor);
            Fail(pReason, tr("more than %1 MiB came through the pipe").arg(MaxPipeBytes >> 20));
            return nullptr;
        } else if (nRead == 0) {
            break;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitReady(nDescriptor, POLLIN, pReason)) {
                close(nDescriptor);
                return nullptr;
            }
        } else if (errno != EINTR) {
            FailErrno(pReason, errno);
            close(nDescriptor);
            return nullptr;
        }
    }
    close(nDescriptor);
    auto pBuffer = std::make_unique<QBuffer>();
    pBuffer->setData(data);
    pBuffer->open(QIODevice::ReadOnly);
    return pBuffer;
}

bool CSafeFile::MakeFolders(const QString &strPath, QString *pReason)
{
    const QByteArray path = QFile::encodeName(strPath);
    for (int nSlash = path.indexOf('/', 1); nSlash > 0; nSlash = path.indexOf('/', nSlash + 1)) {
        const QByteArray folder = path.left(nSlash);
        if (mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
            return FailErrno(pReason, errno);
    }
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return FailErrno(pReason, errno);
    struct stat info;
    if (stat(path.constData(), &info) != 0)
        return FailErrno(pReason, errno);
    return S_ISDIR(info.st_mode) || FailErrno(pReason, ENOTDIR);
}

#else

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

// Elsewhere Qt's own safe saving is used, with the checks it leaves out: a
// short write and a failed final flush.
bool CSafeFile::Write(const QString &strPath, const QByteArray &data, QString *pReason)
{
    if (QFileInfo(strPath).isDir())
        return Fail(pReason, tr("Is a directory"));
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(pReason, file.errorString());
    if (file.write(data) != data.size() || !file.flush()) {
        const QString strReason = file.errorString();
        file.cancelWriting();
        return Fail(pReason, strReason);
    }
    if (!file.commit())
        return Fail(pReason, file.errorString());
    return true;
}

bool CSafeFile::WriteAll(int nDescriptor, const QByteArray &data, QString *pReason)
{
    QFile file;
    if (!file.open(nDescriptor, QIODevice::WriteOnly) || file.write(data) != data.size() ||
        !file.flush())
        return Fail(pReason, file.errorString());
    return true;
}

std::unique_ptr<QIODevice> CSafeFile::OpenForReading(const QString &strPath, QString *pReason)
{
    if (QFileInfo(strPath).isDir()) {
        Fail(pReason, tr("Is a directory"));
        return nullptr;
    }
    auto pFile = std::make_unique<QFile>(strPath);
    if (!pFile->open(QIODevice::ReadOnly)) {
        Fail(pReason, pFile->errorString());
        return nullptr;
    }
    return pFile;
}

bool CSafeFile::MakeFolders(const QString &strPath, QString *pReason)
{
    return QDir().mkpath(strPath) || Fail(pReason, tr("the folder cannot be made"));
}

#endif
