#include "CAboutDialog.h"
#include "CAddNodeDialog.h"
#include "CNewProjectDialog.h"
#include "DialogTestSupport.h"
#include "GuiTestMain.h"
#include "TestDialogs.h"

#include <QCommandLinkButton>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

// Form structure and translation contexts; the behaviour of each dialog is
// tested in tst_dialogs_small.cpp and tst_dialogs_add.cpp.

void TestDialogs::formBasics_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QStringList>("slotList");
    QTest::newRow("new project") << "new"
                                 << "vxNewProjectDialog" << QSize(299, 79)
                                 << QStringList{"on_pushButtonOK_clicked()",
                                                "on_pushButtonCancel_clicked()"};
    QTest::newRow("about") << "about"
                           << "AboutDialog" << QSize(421, 193)
                           << QStringList{"on_pushButtonOK_clicked()",
                                          "on_commandLinkButton_clicked()"};
    QTest::newRow("add") << "situation"
                         << "vxAddNodeDialog" << QSize(580, 405)
                         << QStringList{"on_spinBoxOptionNumber_valueChanged(int)",
                                        "on_pushButtonOK_clicked()",
                                        "on_pushButtonCancel_clicked()"};
}

void TestDialogs::formBasics()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QStringList, slotList);
    QCOMPARE(ConnectWarnings([&kind] { MakeDialog(kind); }), QStringList());
    const std::unique_ptr<QDialog> pDialog = MakeDialog(kind);
    QCOMPARE(pDialog->objectName(), name);
    QCOMPARE(pDialog->size(), size);
    QCOMPARE(OwnMethods(*pDialog), slotList);
    QVERIFY(!pDialog->parent());
    QCOMPARE(pDialog->windowFlags(), QDialog().windowFlags());
}

void TestDialogs::formLayouts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVector<int>>("margins");
    const QVector<int> eleven{11, 11, 11, 11};
    QTest::newRow("new project grid") << "new"
                                      << "gridLayout" << eleven;
    QTest::newRow("about grid") << "about"
                                << "gridLayout" << eleven;
    QTest::newRow("add outer grid") << "decision"
                                    << "gridLayout_2" << eleven;
    QTest::newRow("add name grid") << "decision"
                                   << "gridLayout" << eleven;
    QTest::newRow("add table grid") << "decision"
                                    << "gridLayout_3" << QVector<int>{0, 5, 0, 0};
    QTest::newRow("add buttons") << "decision"
                                 << "horizontalLayout" << QVector<int>{0, 0, 0, 0};
}

void TestDialogs::formLayouts()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QVector<int>, margins);
    const std::unique_ptr<QDialog> pDialog = MakeDialog(kind);
    auto *pLayout = pDialog->findChild<QLayout *>(name);
    QVERIFY(pLayout);
    QCOMPARE(pLayout->spacing(), 6);
    const QMargins shown = pLayout->contentsMargins();
    QCOMPARE((QVector<int>{shown.left(), shown.top(), shown.right(), shown.bottom()}), margins);
}

void TestDialogs::formCells_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("place");
    const auto row = [](const char *pKind, const char *pName, const char *pPlace) {
        QTest::addRow("%s %s", pKind, pName) << pKind << pName << pPlace;
    };
    row("new", "label", "gridLayout 0 0 1 1");
    row("new", "lineEditProjectName", "gridLayout 0 1 1 2");
    row("new", "pushButtonOK", "gridLayout 1 1 1 1");
    row("new", "pushButtonCancel", "gridLayout 1 2 1 1");
    row("about", "label_4", "gridLayout 1 0 1 1");
    row("about", "labelInfo", "gridLayout 1 1 1 2");
    row("about", "label", "gridLayout 2 0 1 1");
    row("about", "labelVersion", "gridLayout 2 1 1 1");
    row("about", "label_3", "gridLayout 3 0 1 1");
    row("about", "commandLinkButton", "gridLayout 3 1 1 1");
    row("about", "pushButtonOK", "gridLayout 5 2 1 1");
    row("add", "groupBox", "gridLayout_2 0 0 1 1");
    row("add", "horizontalLayout", "gridLayout_2 1 0 1 1");
    row("add", "labelName", "gridLayout 0 0 1 1");
    row("add", "lineEditName", "gridLayout 0 1 1 1");
    row("add", "label_2", "gridLayout 1 0 1 1");
    row("add", "spinBoxOptionNumber", "gridLayout 1 1 1 1");
    row("add", "groupBox_2", "gridLayout 2 0 1 2");
    row("add", "tableWidgetOptionProperty", "gridLayout_3 0 0 1 1");
}

void TestDialogs::formCells()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QString, place);
    const std::unique_ptr<QDialog> pDialog = MakeDialog(kind == "add" ? "situation" : kind);
    QCOMPARE(GridPlace(*pDialog, name), place);
}

void TestDialogs::formTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    const auto row = [](const char *pKind, const char *pName, const char *pText) {
        QTest::addRow("%s %s", pKind, pName) << pKind << pName << QString::fromUtf8(pText);
    };
    row("new", "vxNewProjectDialog", "CNewProjectDialog");
    row("new", "label", "Project Name");
    row("new", "pushButtonOK", "OK");
    row("new", "pushButtonCancel", "Cancel");
    row("about", "AboutDialog", "About Software");
    row("about", "label_4", "Info:");
    row("about", "labelInfo", "Ramify is a product of Vornel");
    row("about", "label", "Version:");
    row("about", "labelVersion", "0.8");
    row("about", "label_3", "Go To:");
    row("about", "pushButtonOK", "OK");
    row("decision", "groupBox", "");
    row("decision", "label_2", "Option Number:");
    row("decision", "groupBox_2", "Option Property");
    row("decision", "pushButtonOK", "Ok");
    row("decision", "pushButtonCancel", "Cancel");
}

void TestDialogs::formTexts()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QString, text);
    const std::unique_ptr<QDialog> pDialog = MakeDialog(kind);
    QWidget *pWidget =
        pDialog->objectName() == name ? pDialog.get() : pDialog->findChild<QWidget *>(name);
    QVERIFY(pWidget);
    QString strShown = pWidget->windowTitle();
    if (auto *pLabel = qobject_cast<QLabel *>(pWidget))
        strShown = pLabel->text();
    else if (auto *pButton = qobject_cast<QAbstractButton *>(pWidget))
        strShown = pButton->text();
    else if (auto *pGroup = qobject_cast<QGroupBox *>(pWidget))
        strShown = pGroup->title();
    QCOMPARE(strShown, text);
}

void TestDialogs::formDetails()
{
    CNewProjectDialog newProject;
    CheckSpacer(newProject.findChild<QGridLayout *>()->itemAtPosition(1, 0));
    QVERIFY(!Child<QPushButton>(newProject, "pushButtonOK")->isDefault());
    QVERIFY(!Child<QPushButton>(newProject, "pushButtonCancel")->isDefault());
    QVERIFY(!Child<QLineEdit>(newProject, "lineEditProjectName")->validator());
    QCOMPARE(Child<QLineEdit>(newProject, "lineEditProjectName")->maxLength(), 32767);

    CAboutDialog about;
    auto *pAboutGrid = about.findChild<QGridLayout *>();
    CheckSpacer(pAboutGrid->itemAtPosition(5, 1));
    for (int nColumn = 0; nColumn < 3; ++nColumn) {
        QVERIFY(!pAboutGrid->itemAtPosition(0, nColumn));
        QVERIFY(!pAboutGrid->itemAtPosition(4, nColumn));
    }
    QVERIFY(Child<QPushButton>(about, "pushButtonOK")->isDefault());
    QCOMPARE(about.font().family(), QStringLiteral("Segoe UI"));
    QCOMPARE(about.font().pointSize(), 10);
    auto *pInfo = Child<QLabel>(about, "labelInfo");
    QVERIFY(pInfo->testAttribute(Qt::WA_SetFont));
    QCOMPARE(pInfo->font().family(), QStringLiteral("Segoe UI"));
    QCOMPARE(pInfo->font().pointSize(), 10);
    const QUrl url(Child<QCommandLinkButton>(about, "commandLinkButton")->text());
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QVERIFY2(url.host().endsWith(QLatin1String(".example")), qPrintable(url.host()));

    QWidget owner;
    CAddNodeDialog add(ModeDecision, &owner);
    QCOMPARE(add.parentWidget(), &owner);
    QCOMPARE(add.windowFlags(), QDialog(&owner).windowFlags());
    auto *pButtons = add.findChild<QHBoxLayout *>(QStringLiteral("horizontalLayout"));
    QCOMPARE(pButtons->count(), 3);
    CheckSpacer(pButtons->itemAt(0));
    QCOMPARE(pButtons->itemAt(1)->widget()->objectName(), QStringLiteral("pushButtonOK"));
    QCOMPARE(pButtons->itemAt(2)->widget()->objectName(), QStringLiteral("pushButtonCancel"));
    QCOMPARE(Child<QSpinBox>(add, "spinBoxOptionNumber")->maximum(), 99);
    auto *pTable = Child<QTableWidget>(add, "tableWidgetOptionProperty");
    QCOMPARE(pTable->columnCount(), 4);
    QStringList headers;
    for (int nColumn = 0; nColumn < pTable->columnCount(); ++nColumn)
        headers << pTable->horizontalHeaderItem(nColumn)->text();
    QCOMPARE(headers,
             (QStringList{"Name", "Probability([0,1])", "Payoff(digit only)", "Payoff Comment"}));
    QVERIFY(pTable->horizontalHeader()->stretchLastSection());
    QVERIFY(!pTable->verticalHeader()->stretchLastSection());
}

void TestDialogs::translationContexts()
{
    CRecordingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    {
        CNewProjectDialog newProject;
        CAboutDialog about;
        CAddNodeDialog addSituation(ModeSituation, nullptr);
        CAddNodeDialog addOption(ModeOption, nullptr);
    }
    QCoreApplication::removeTranslator(&translator);

    // Form texts in the form's context, texts set in code in the class's own.
    const QStringList expected{"vxNewProjectDialog|CNewProjectDialog",
                               "vxNewProjectDialog|Project Name",
                               "vxNewProjectDialog|OK",
                               "CNewProjectDialog|Project",
                               "AboutDialog|About Software",
                               "AboutDialog|Go To:",
                               "CAboutDialog|Ramify is a product of Vornel",
                               "vxAddNodeDialog|Add Decision Dialog",
                               "vxAddNodeDialog|Option Number:",
                               "vxAddNodeDialog|Probability([0,1])",
                               "vxAddNodeDialog|Ok",
                               "CAddNodeDialog|Add Situation Dialog",
                               "CAddNodeDialog|Situation Name:",
                               "CAddNodeDialog|Situation1",
                               "CAddNodeDialog|Add Option Dialog",
                               "CAddNodeDialog|Yes",
                               "CAddNodeDialog|No",
                               "CAddNodeDialog|1",
                               "CAddNodeDialog|0"};
    for (const QString &entry : expected)
        QVERIFY2(translator.seen.contains(entry), qPrintable(entry));
}

RAMIFY_GUI_TEST_MAIN(TestDialogs)
