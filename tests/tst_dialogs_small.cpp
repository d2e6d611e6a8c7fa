#include "CAboutDialog.h"
#include "CNewProjectDialog.h"
#include "DialogTestSupport.h"
#include "TestDialogs.h"

#include <QCommandLinkButton>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString s_strPlaceHolder = QStringLiteral("PLACE_HOLDER");

} // namespace

void TestDialogs::newProjectNumbering()
{
    {
        CNewProjectDialog dialog;
        QCOMPARE(dialog.GetProjectName(), QStringLiteral("Project1"));
        dialog.show();
        Child<QPushButton>(dialog, "pushButtonOK")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.GetProjectName(), QStringLiteral("Project1"));
    }
    // Cancel, Escape and the frame's close all leave the number where it is.
    {
        CNewProjectDialog dialog;
        QCOMPARE(dialog.GetProjectName(), QStringLiteral("Project2"));
        dialog.show();
        Child<QPushButton>(dialog, "pushButtonCancel")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }
    {
        CNewProjectDialog dialog;
        QCOMPARE(dialog.GetProjectName(), QStringLiteral("Project2"));
        dialog.show();
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(rejected.count(), 1);
    }
    {
        CNewProjectDialog dialog;
        dialog.show();
        QVERIFY(dialog.close());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    // Any accepted name counts, not only the proposed one.
    {
        CNewProjectDialog dialog;
        QCOMPARE(dialog.GetProjectName(), QStringLiteral("Project2"));
        Child<QLineEdit>(dialog, "lineEditProjectName")->setText(QStringLiteral("Budget"));
        dialog.show();
        Child<QPushButton>(dialog, "pushButtonOK")->click();
        QCOMPARE(dialog.GetProjectName(), QStringLiteral("Budget"));
    }
    QCOMPARE(ProposedNumber(), 3);
}

void TestDialogs::newProjectEmptyNameWarns()
{
    const int nBefore = ProposedNumber();
    CNewProjectDialog dialog;
    dialog.show();
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    auto *pEdit = Child<QLineEdit>(dialog, "lineEditProjectName");
    pEdit->clear();

    auto pSeen = std::make_shared<SeenBox>();
    AnswerNextMessageBox(pSeen);
    Child<QPushButton>(dialog, "pushButtonOK")->click();

    QVERIFY(pSeen->bSeen);
    QCOMPARE(pSeen->strTitle, QStringLiteral("Error!"));
    QCOMPARE(pSeen->strText, QStringLiteral("The project name must not be empty!"));
    QCOMPARE(pSeen->icon, QMessageBox::Warning);
    QCOMPARE(pSeen->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(pSeen->pParent, &dialog);
    QVERIFY(dialog.isVisible());
    QCOMPARE(accepted.count(), 0);
    QVERIFY(pEdit->text().isEmpty());
    QCOMPARE(ProposedNumber(), nBefore);

    // A second try with a name goes through.
    pEdit->setText(QStringLiteral("Retry"));
    Child<QPushButton>(dialog, "pushButtonOK")->click();
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(ProposedNumber(), nBefore + 1);
}

void TestDialogs::newProjectNamesAsTyped_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("three blanks") << QStringLiteral("   ");
    QTest::newRow("blanks around") << QStringLiteral("  Plan ");
    QTest::newRow("not a file name") << QStringLiteral("a/b:c*?");
    QTest::newRow("non-ASCII") << QStringLiteral("Entscheidung \u00fcber \u6811");
    QTest::newRow("markup") << QStringLiteral("<b>&amp;\"'</b>");
}

void TestDialogs::newProjectNamesAsTyped()
{
    QFETCH(QString, name);
    const int nBefore = ProposedNumber();
    CNewProjectDialog dialog;
    dialog.show();
    auto *pEdit = Child<QLineEdit>(dialog, "lineEditProjectName");
    pEdit->clear();
    pEdit->insert(name); // keyClicks knows no keys for letters beyond ASCII
    Child<QPushButton>(dialog, "pushButtonOK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.GetProjectName(), name);
    QCOMPARE(ProposedNumber(), nBefore + 1);
}

void TestDialogs::newProjectReturnAccepts()
{
    CNewProjectDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // The name field has the focus with the proposal selected, so typing replaces it.
    auto *pEdit = Child<QLineEdit>(dialog, "lineEditProjectName");
    QCOMPARE(QApplication::focusWidget(), pEdit);
    QTest::keyClicks(pEdit, QStringLiteral("Orchard"));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTest::keyClick(pEdit, Qt::Key_Return);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(dialog.GetProjectName(), QStringLiteral("Orchard"));
}

void TestDialogs::aboutShowsNoPlaceHolder()
{
    CAboutDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(VisibleTexts(dialog).filter(s_strPlaceHolder), QStringList());

    // A language change reaching the open box must not bring the form's texts back.
    CRecordingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QCoreApplication::processEvents();
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(VisibleTexts(dialog).filter(s_strPlaceHolder), QStringList());
    QCOMPARE(Child<QLabel>(dialog, "labelVersion")->text(), QStringLiteral("0.8"));
}

void TestDialogs::aboutLinkKeepsDialogOpen()
{
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "OnUrl");
    CAboutDialog dialog;
    dialog.show();
    QSignalSpy finished(&dialog, &QDialog::finished);
    auto *pLink = Child<QCommandLinkButton>(dialog, "commandLinkButton");
    QTest::mouseClick(pLink, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    QCOMPARE(catcher.urls, QList<QUrl>{QUrl(pLink->text())});
    QVERIFY(dialog.isVisible());
    QCOMPARE(finished.count(), 0);

    Child<QPushButton>(dialog, "pushButtonOK")->click();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}
