#include "CRecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>

namespace {

const QString RecentKey = QStringLiteral("RecentFiles");

// One spelling for one file, so that opening it by another path does not
// list it twice.
QString Normal(const QString &strPath)
{
    return QDir::cleanPath(QFileInfo(strPath).absoluteFilePath());
}

} // namespace

CRecentFiles::CRecentFiles(QMenu *pMenu, QWidget *pDialogParent)
    : QObject(pMenu), menu(pMenu), dialogParent(pDialogParent)
{
    Fill();
}

QStringList CRecentFiles::Paths() const
{
    // Another run of the program may have written more, or anything at all.
    QStringList paths = QSettings().value(RecentKey).toStringList();
    paths.removeAll(QString());
    paths.removeDuplicates();
    return paths.mid(0, MaxEntries);
}

void CRecentFiles::Add(const QString &strPath)
{
    if (strPath.isEmpty())
        return;
    const QString strNormal = Normal(strPath);
    QStringList paths = Paths();
    paths.removeAll(strNormal);
    paths.prepend(strNormal);
    Store(paths.mid(0, MaxEntries));
}

void CRecentFiles::Remove(const QString &strPath)
{
    QStringList paths = Paths();
    paths.removeAll(Normal(strPath));
    Store(paths);
}

void CRecentFiles::Clear()
{
    Store(QStringList());
}

void CRecentFiles::Store(const QStringList &paths)
{
    QSettings().setValue(RecentKey, paths);
    Fill();
}

void CRecentFiles::Fill()
{
    menu->clear();
    const QStringList paths = Paths();
    for (int i = 0; i < paths.size(); ++i) {
        // Keys 1 to 9, then 0 for the tenth.
        const QString strNumber = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        const QString strPath = paths.at(i);
        QAction *pAction = menu->addAction(
            QStringLiteral("%1 %2").arg(strNumber, QDir::toNativeSeparators(strPath)));
        connect(pAction, &QAction::triggered, this, [this, strPath] { Choose(strPath); });
    }
    if (!paths.isEmpty())
        menu->addSeparator();
    QAction *pClear = menu->addAction(tr("Clear Menu"));
    pClear->setEnabled(!paths.isEmpty());
    connect(pClear, &QAction::triggered, this, &CRecentFiles::Clear);
    menu->setEnabled(true);
}

void CRecentFiles::Choose(const QString &strPath)
{
    if (QFileInfo::exists(strPath)) {
        emit sig_openRequested(strPath);
        return;
    }
    // Removed before the message, so that the menu is right whatever the
    // user does next.
    Remove(strPath);
    QMessageBox::warning(dialogParent, tr("Open Recent"),
                         tr("\"%1\" no longer exists. It has been removed from the menu.")
                             .arg(QDir::toNativeSeparators(strPath)));
}
