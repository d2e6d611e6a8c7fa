#pragma once

#include <QtTest>

#include <QDialog>
#include <QLayoutItem>
#include <QMessageBox>
#include <QTranslator>
#include <QUrl>

#include <functional>
#include <memory>

// Runs a checking helper and leaves the test at its first failure.
#define CHECK(call)                                                                                \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

// The add dialog's modes, as the editor passes them (NodeType codes).
enum Mode : int
{
    ModeDecision = 1,
    ModeSituation = 2,
    ModeOption = 3,
};

template <class T> T *Child(const QWidget &parent, const char *pName)
{
    return parent.findChild<T *>(QString::fromLatin1(pName));
}

// The dialogs under test by a short name: "new", "about", or the add dialog's
// mode "decision", "situation", "option".
std::unique_ptr<QDialog> MakeDialog(const QString &strKind);

// "layout row column rowSpan columnSpan" of a widget or layout in whichever
// grid of the dialog holds it.
QString GridPlace(const QDialog &dialog, const QString &strName);

// The form's horizontal spacers: 40 x 20, expanding sideways.
void CheckSpacer(QLayoutItem *pItem);

// Signatures of the methods the class itself declares, in order.
QStringList OwnMethods(const QObject &object);

// What Qt complains about while build() connects slots by object name.
QStringList ConnectWarnings(const std::function<void()> &build);

// Every text of the dialog and its widgets a user could read.
QStringList VisibleTexts(const QWidget &dialog);

struct SeenBox
{
    bool bSeen = false;
    QString strTitle;
    QString strText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget *pParent = nullptr;
};

// Answers the next modal message box with OK from inside its own event loop.
void AnswerNextMessageBox(const std::shared_ptr<SeenBox> &pSeen, int nTries = 50);

// The number in the name that a fresh new-project dialog proposes.
int ProposedNumber();

// Records which context every text is translated in, and changes none.
class CRecordingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *pContext, const char *pSource, const char *pDisambiguation,
                      int n) const override;
    mutable QStringList seen;
};

// Takes the place of the browser for one URL scheme.
class CUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void OnUrl(const QUrl &url) { urls << url; }
};
