#include "CHelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(const QString &strGuide, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Ramify Help"));
    // A window of its own beside the main window, not a question to answer.
    setWindowFlags(Qt::Window);
    setModal(false);
    auto *pBrowser = new QTextBrowser(this);
    // Links out of the guide (none today) go to the desktop's browser.
    pBrowser->setOpenExternalLinks(true);
    pBrowser->setSource(QUrl::fromLocalFile(strGuide));
    auto *pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(pBrowser);
    resize(760, 640);
}

QStringList CHelpWindow::GuidePlaces()
{
    // Relative to the program, so that an installation may be moved; the data
    // folder is the one the build installs the guide into.
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.filePath(QStringLiteral("help.html")),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/ramify/help.html")))};
}

QString CHelpWindow::FindGuide()
{
    for (const QString &strPlace : GuidePlaces())
        if (QFileInfo(strPlace).isReadable())
            return strPlace;
    return QString();
}
