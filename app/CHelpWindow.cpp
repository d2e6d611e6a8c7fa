#include "CHelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(const QString &strGuide, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Ramify Help"));
    // A window of its own beside the main window, not a question to answer.
    setWindowFlags(Qt::Window);
    setModal(false);
    searchField = new QLineEdit(this);
    searchField->setPlaceholderText(tr("Search the guide"));
    browser = new QTextBrowser(this);
    // Links out of the guide (none today) go to the desktop's browser.
    browser->setOpenExternalLinks(true);
    browser->setSource(QUrl::fromLocalFile(strGuide));
    auto *pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(4, 4, 4, 4);
    pLayout->addWidget(searchField);
    pLayout->addWidget(browser);
    resize(760, 640);
    // Each keystroke looks again from the top, so that the first place
    // shows while the word is typed; Enter goes on to the next.
    connect(searchField, &QLineEdit::textEdited, this, [this] { FindNext(true); });
    connect(searchField, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    // Whichever part has the focus: the browser would otherwise keep the key.
    auto *pEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    pEscape->setContext(Qt::WindowShortcut);
    connect(pEscape, &QShortcut::activated, this, &QWidget::close);
}

void CHelpWindow::FindNext(bool bFromTop)
{
    const QString strText = searchField->text();
    if (bFromTop)
        browser->moveCursor(QTextCursor::Start);
    bool bFound = strText.isEmpty() || browser->find(strText);
    if (!bFound && !bFromTop) {
        browser->moveCursor(QTextCursor::Start);
        bFound = browser->find(strText);
    }
    // Red text in the field rather than a message box in the way of typing.
    searchField->setStyleSheet(bFound ? QString() : QStringLiteral("color: #c00000;"));
    searchField->setToolTip(bFound ? QString() : tr("Not found in the guide"));
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
