// Every test program keeps its choices, recovery copies and temporary files
// in a folder of its own, made before main and removed at exit: two runs of
// the suite at once (two clones, or a run beside CI) never read what the
// other left, and a developer's own settings are never touched.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> folder;

void UseOwnFolders()
{
    folder =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ramify-test-XXXXXX"));
    if (!folder->isValid())
        qFatal("No folder of its own for this test: %s", qPrintable(folder->errorString()));
    // HOME as well, since Qt's test mode puts its paths below it.
    for (const char *pName :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
        const QString strPath = folder->filePath(QString::fromLatin1(pName).toLower());
        QDir().mkpath(strPath);
        qputenv(pName, QFile::encodeName(strPath));
    }
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(UseOwnFolders)
