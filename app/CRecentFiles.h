#pragma once

#include <QObject>
#include <QStringList>

class QMenu;
class QWidget;

// The projects opened or saved last, newest first, kept from one run of the
// program to the next, and the menu that offers them.
class CRecentFiles : public QObject
{
    Q_OBJECT

public:
    // Fills pMenu, which stays the caller's, now and whenever the list changes.
    CRecentFiles(QMenu *pMenu, QWidget *pDialogParent);

    static constexpr int MaxEntries = 10;

    QStringList Paths() const;
    // Puts the file first, once, dropping the oldest beyond the limit.
    void Add(const QString &strPath);
    void Remove(const QString &strPath);
    void Clear();

signals:
    // An entry was chosen whose file is still there.
    void sig_openRequested(const QString &strPath);

private:
    void Store(const QStringList &paths);
    void Fill();
    void Choose(const QString &strPath);

    QMenu *menu;
    QWidget *dialogParent;
};
