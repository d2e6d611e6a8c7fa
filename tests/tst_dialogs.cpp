#include "CAboutDialog.h"
#include "CAddNodeDialog.h"
#include "CNewProjectDialog.h"
#include "GuiTestMain.h"

#include <QtTest>

#include <QCommandLinkButton>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTranslator>

#include <functional>
#include <memory>

// Runs a checking helper and leaves the test at its first failure.
#define CHECK(call)                                                                                \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

namespace {

const QString s_strPlaceHolder = QStringLiteral("PLACE_HOLDER");

template <class T> T *Child(const QWidget &parent, const char *pName)
{
    return parent.findChild<T *>(QString::fromLatin1(pName));
}

// Row, column, row span, column span of a widget, layout or spacer inside a grid.
QVector<int> GridCell(QGridLayout *pGrid, const std::function<bool(QLayoutItem *)> &matches)
{
    for (int i = 0; i < pGrid->count(); ++i) {
        if (matches(pGrid->itemAt(i))) {
            int nRow = 0, nColumn = 0, nRowSpan = 0, nColumnSpan = 0;
            pGrid->getItemPosition(i, &nRow, &nColumn, &nRowSpan, &nColumnSpan);
            return {nRow, nColumn, nRowSpan, nColumnSpan};
        }
    }
    return {};
}

QVector<int> GridCell(QGridLayout *pGrid, const QWidget *pWidget)
{
    return GridCell(pGrid, [pWidget](QLayoutItem *pItem) { return pItem->widget() == pWidget; });
}

void CheckSpacer(QLayoutItem *pItem)
{
    QVERIFY(pItem);
    QSpacerItem *pSpacer = pItem->spacerItem();
    QVERIFY(pSpacer);
    QCOMPARE(pSpacer->sizeHint(), QSize(40, 20));
    QCOMPARE(pSpacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(pSpacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
}

QStringList OwnMethods(const QObject &object)
{
    const QMetaObject *pMeta = object.metaObject();
    QStringList methods;
    for (int i = pMeta->methodOffset(); i < pMeta->methodCount(); ++i)
        methods << QString::fromLatin1(pMeta->method(i).methodSignature());
    return methods;
}

// A slot whose object name matches nothing makes the form warn while it connects.
QStringList ConnectWarnings(const std::function<void()> &build)
{
    static QStringList s_warnings;
    s_warnings.clear();
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
            s_warnings << message;
        });
    build();
    qInstallMessageHandler(previous);
    return s_warnings.filter(QStringLiteral("connectSlotsByName"));
}

QStringList VisibleTexts(const QWidget &dialog)
{
    QStringList texts{dialog.windowTitle()};
    for (const QWidget *pWidget : dialog.findChildren<QWidget *>()) {
        texts << pWidget->windowTitle() << pWidget->toolTip();
        if (auto *pLabel = qobject_cast<const QLabel *>(pWidget))
            texts << pLabel->text();
        if (auto *pButton = qobject_cast<const QAbstractButton *>(pWidget))
            texts << pButton->text();
        if (auto *pCommandLink = qobject_cast<const QCommandLinkButton *>(pWidget))
            texts << pCommandLink->description();
    }
    return texts;
}

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
void AnswerNextMessageBox(const std::shared_ptr<SeenBox> &pSeen, int nTries = 50)
{
    QTimer::singleShot(0, [pSeen, nTries] {
        auto *pBox = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!pBox) {
            if (nTries > 0)
                AnswerNextMessageBox(pSeen, nTries - 1);
            return;
        }
        pSeen->bSeen = true;
        pSeen->strTitle = pBox->windowTitle();
        pSeen->strText = pBox->text();
        pSeen->icon = pBox->icon();
        pSeen->buttons = pBox->standardButtons();
        pSeen->pParent = pBox->parentWidget();
        pBox->button(QMessageBox::Ok)->click();
    });
}

// The number in the name that a fresh new-project dialog proposes.
int ProposedNumber()
{
    CNewProjectDialog dialog;
    const QString strName = dialog.GetProjectName();
    return strName.startsWith(QLatin1String("Project")) ? strName.mid(7).toInt() : -1;
}

// Records which context every text is translated in, and changes none.
class CRecordingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *pContext, const char *pSource, const char *, int) const override
    {
        seen << QString::fromLatin1(pContext) + QLatin1Char('|') + QString::fromUtf8(pSource);
        return QString();
    }
    mutable QStringList seen;
};

} // namespace

class CUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void OnUrl(const QUrl &url) { urls << url; }
};

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    // The counter is shared by the whole run: this one must stay first.
    void newProjectNumbering();
    void newProjectEmptyNameWarns();
    void newProjectNamesAsTyped_data();
    void newProjectNamesAsTyped();
    void newProjectReturnAccepts();
    void newProjectForm();

    void aboutForm();
    void aboutShowsNoPlaceHolder();
    void aboutLinkKeepsDialogOpen();

    void addForm();
    void addModes_data();
    void addModes();
    void addDefaultRows_data();
    void addDefaultRows();
    void addOptionCountLimits_data();
    void addOptionCountLimits();
    void addCountChangeResetsRows();
    void addDecisionProbabilityIsOne();
    void addNumbers_data();
    void addNumbers();
    void addTypedCellIsRead();
    void addButtons_data();
    void addButtons();

    void translationContexts();
};

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

void TestDialogs::newProjectForm()
{
    QCOMPARE(ConnectWarnings([] { CNewProjectDialog dialog; }), QStringList());
    CNewProjectDialog dialog;
    QCOMPARE(OwnMethods(dialog),
             (QStringList{"on_pushButtonOK_clicked()", "on_pushButtonCancel_clicked()"}));
    QCOMPARE(dialog.objectName(), QStringLiteral("vxNewProjectDialog"));
    QCOMPARE(dialog.size(), QSize(299, 79));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("CNewProjectDialog"));
    QVERIFY(!dialog.parent());

    auto *pGrid = qobject_cast<QGridLayout *>(dialog.layout());
    QVERIFY(pGrid);
    QCOMPARE(pGrid->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(pGrid->spacing(), 6);
    QCOMPARE(pGrid->contentsMargins(), QMargins(11, 11, 11, 11));

    auto *pLabel = Child<QLabel>(dialog, "label");
    auto *pEdit = Child<QLineEdit>(dialog, "lineEditProjectName");
    auto *pOk = Child<QPushButton>(dialog, "pushButtonOK");
    auto *pCancel = Child<QPushButton>(dialog, "pushButtonCancel");
    QVERIFY(pLabel && pEdit && pOk && pCancel);
    QCOMPARE(pLabel->text(), QStringLiteral("Project Name"));
    QCOMPARE(pOk->text(), QStringLiteral("OK"));
    QCOMPARE(pCancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(GridCell(pGrid, pLabel), (QVector<int>{0, 0, 1, 1}));
    QCOMPARE(GridCell(pGrid, pEdit), (QVector<int>{0, 1, 1, 2}));
    QCOMPARE(GridCell(pGrid, pOk), (QVector<int>{1, 1, 1, 1}));
    QCOMPARE(GridCell(pGrid, pCancel), (QVector<int>{1, 2, 1, 1}));
    CHECK(CheckSpacer(pGrid->itemAtPosition(1, 0)));

    QVERIFY(!pOk->isDefault());
    QVERIFY(!pCancel->isDefault());
    QVERIFY(!pEdit->validator());
    QCOMPARE(pEdit->maxLength(), 32767);
}

void TestDialogs::aboutForm()
{
    QCOMPARE(ConnectWarnings([] { CAboutDialog dialog; }), QStringList());
    CAboutDialog dialog;
    QCOMPARE(OwnMethods(dialog),
             (QStringList{"on_pushButtonOK_clicked()", "on_commandLinkButton_clicked()"}));
    QCOMPARE(dialog.objectName(), QStringLiteral("AboutDialog"));
    QCOMPARE(dialog.size(), QSize(421, 193));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About Software"));
    QCOMPARE(dialog.font().family(), QStringLiteral("Segoe UI"));
    QCOMPARE(dialog.font().pointSize(), 10);

    auto *pGrid = qobject_cast<QGridLayout *>(dialog.layout());
    QVERIFY(pGrid);
    QCOMPARE(pGrid->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(pGrid->spacing(), 6);
    QCOMPARE(pGrid->contentsMargins(), QMargins(11, 11, 11, 11));

    // Each caption with its value beside it.
    struct Row
    {
        const char *pCaption, *pCaptionText, *pValue;
        int nRow;
    };
    for (const Row &row :
         {Row{"label_4", "Info:", "labelInfo", 1}, Row{"label", "Version:", "labelVersion", 2},
          Row{"label_3", "Go To:", "commandLinkButton", 3}}) {
        auto *pCaption = Child<QLabel>(dialog, row.pCaption);
        auto *pValue = Child<QWidget>(dialog, row.pValue);
        QVERIFY2(pCaption && pValue, row.pValue);
        QCOMPARE(pCaption->text(), QString::fromLatin1(row.pCaptionText));
        QCOMPARE(GridCell(pGrid, pCaption), (QVector<int>{row.nRow, 0, 1, 1}));
        QCOMPARE(GridCell(pGrid, pValue).mid(0, 2), (QVector<int>{row.nRow, 1}));
    }
    auto *pInfo = Child<QLabel>(dialog, "labelInfo");
    QCOMPARE(pInfo->text(), QStringLiteral("Ramify is a product of Vornel"));
    QCOMPARE(GridCell(pGrid, pInfo), (QVector<int>{1, 1, 1, 2}));
    QVERIFY(pInfo->testAttribute(Qt::WA_SetFont));
    QCOMPARE(pInfo->font().family(), QStringLiteral("Segoe UI"));
    QCOMPARE(pInfo->font().pointSize(), 10);
    QCOMPARE(Child<QLabel>(dialog, "labelVersion")->text(), QStringLiteral("0.8"));

    const QUrl url(Child<QCommandLinkButton>(dialog, "commandLinkButton")->text());
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QVERIFY2(url.host().endsWith(QLatin1String(".example")), qPrintable(url.host()));

    auto *pOk = Child<QPushButton>(dialog, "pushButtonOK");
    QCOMPARE(pOk->text(), QStringLiteral("OK"));
    QVERIFY(pOk->isDefault());
    QCOMPARE(GridCell(pGrid, pOk), (QVector<int>{5, 2, 1, 1}));
    CHECK(CheckSpacer(pGrid->itemAtPosition(5, 1)));
    for (int nColumn = 0; nColumn < 3; ++nColumn) {
        QVERIFY(!pGrid->itemAtPosition(0, nColumn));
        QVERIFY(!pGrid->itemAtPosition(4, nColumn));
    }
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

namespace {

enum Mode : int
{
    ModeDecision = 1,
    ModeSituation = 2,
    ModeOption = 3,
};

QTableWidget *Table(const CAddNodeDialog &dialog)
{
    return Child<QTableWidget>(dialog, "tableWidgetOptionProperty");
}

QSpinBox *SpinBox(const CAddNodeDialog &dialog)
{
    return Child<QSpinBox>(dialog, "spinBoxOptionNumber");
}

QStringList RowTexts(const QTableWidget &table, int nRow)
{
    QStringList texts;
    for (int nColumn = 0; nColumn < table.columnCount(); ++nColumn) {
        const QTableWidgetItem *pItem = table.item(nRow, nColumn);
        texts << (pItem ? pItem->text() : QStringLiteral("<none>"));
    }
    return texts;
}

const QStringList s_firstRow{"Yes", "1", "0", ""};
const QStringList s_otherRow{"No", "0", "0", ""};

void CheckDefaultRows(const QTableWidget &table, int nRows)
{
    QCOMPARE(table.rowCount(), nRows);
    for (int nRow = 0; nRow < nRows; ++nRow)
        QCOMPARE(RowTexts(table, nRow), nRow == 0 ? s_firstRow : s_otherRow);
}

void SetCell(QTableWidget *pTable, int nRow, int nColumn, const QString &strText)
{
    QTableWidgetItem *pItem = pTable->item(nRow, nColumn);
    QVERIFY(pItem);
    pItem->setText(strText);
}

} // namespace

void TestDialogs::addForm()
{
    QCOMPARE(ConnectWarnings([] { CAddNodeDialog dialog(ModeSituation, nullptr); }), QStringList());
    QWidget owner;
    CAddNodeDialog dialog(ModeDecision, &owner);
    QCOMPARE(dialog.parentWidget(), &owner);
    QCOMPARE(dialog.windowFlags(), QDialog(&owner).windowFlags());
    QCOMPARE(OwnMethods(dialog),
             (QStringList{"on_spinBoxOptionNumber_valueChanged(int)", "on_pushButtonOK_clicked()",
                          "on_pushButtonCancel_clicked()"}));
    QCOMPARE(dialog.objectName(), QStringLiteral("vxAddNodeDialog"));
    QCOMPARE(dialog.size(), QSize(580, 405));

    auto *pOuter = qobject_cast<QGridLayout *>(dialog.layout());
    QVERIFY(pOuter);
    QCOMPARE(pOuter->objectName(), QStringLiteral("gridLayout_2"));
    QCOMPARE(pOuter->spacing(), 6);
    QCOMPARE(pOuter->contentsMargins(), QMargins(11, 11, 11, 11));

    auto *pGroup = Child<QGroupBox>(dialog, "groupBox");
    QVERIFY(pGroup);
    QVERIFY(pGroup->title().isEmpty());
    QCOMPARE(GridCell(pOuter, pGroup), (QVector<int>{0, 0, 1, 1}));
    auto *pInner = qobject_cast<QGridLayout *>(pGroup->layout());
    QVERIFY(pInner);
    QCOMPARE(pInner->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(pInner->spacing(), 6);
    QCOMPARE(pInner->contentsMargins(), QMargins(11, 11, 11, 11));
    QCOMPARE(GridCell(pInner, Child<QLabel>(dialog, "labelName")), (QVector<int>{0, 0, 1, 1}));
    QCOMPARE(GridCell(pInner, Child<QLineEdit>(dialog, "lineEditName")),
             (QVector<int>{0, 1, 1, 1}));
    auto *pCountLabel = Child<QLabel>(dialog, "label_2");
    QCOMPARE(pCountLabel->text(), QStringLiteral("Option Number:"));
    QCOMPARE(GridCell(pInner, pCountLabel), (QVector<int>{1, 0, 1, 1}));
    QCOMPARE(GridCell(pInner, SpinBox(dialog)), (QVector<int>{1, 1, 1, 1}));
    QCOMPARE(SpinBox(dialog)->maximum(), 99);

    auto *pOptions = Child<QGroupBox>(dialog, "groupBox_2");
    QVERIFY(pOptions);
    QCOMPARE(pOptions->title(), QStringLiteral("Option Property"));
    QCOMPARE(GridCell(pInner, pOptions), (QVector<int>{2, 0, 1, 2}));
    auto *pTableGrid = qobject_cast<QGridLayout *>(pOptions->layout());
    QVERIFY(pTableGrid);
    QCOMPARE(pTableGrid->objectName(), QStringLiteral("gridLayout_3"));
    QCOMPARE(pTableGrid->spacing(), 6);
    QCOMPARE(pTableGrid->contentsMargins(), QMargins(0, 5, 0, 0));

    QTableWidget *pTable = Table(dialog);
    QCOMPARE(GridCell(pTableGrid, pTable), (QVector<int>{0, 0, 1, 1}));
    QCOMPARE(pTable->columnCount(), 4);
    QStringList headers;
    for (int nColumn = 0; nColumn < pTable->columnCount(); ++nColumn)
        headers << pTable->horizontalHeaderItem(nColumn)->text();
    QCOMPARE(headers,
             (QStringList{"Name", "Probability([0,1])", "Payoff(digit only)", "Payoff Comment"}));
    QVERIFY(pTable->horizontalHeader()->stretchLastSection());
    QVERIFY(!pTable->verticalHeader()->stretchLastSection());

    auto *pButtons = dialog.findChild<QHBoxLayout *>(QStringLiteral("horizontalLayout"));
    QVERIFY(pButtons);
    QCOMPARE(
        GridCell(pOuter, [pButtons](QLayoutItem *pItem) { return pItem->layout() == pButtons; }),
        (QVector<int>{1, 0, 1, 1}));
    QCOMPARE(pButtons->spacing(), 6);
    QCOMPARE(pButtons->count(), 3);
    CHECK(CheckSpacer(pButtons->itemAt(0)));
    auto *pOk = qobject_cast<QPushButton *>(pButtons->itemAt(1)->widget());
    auto *pCancel = qobject_cast<QPushButton *>(pButtons->itemAt(2)->widget());
    QVERIFY(pOk && pCancel);
    QCOMPARE(pOk->objectName(), QStringLiteral("pushButtonOK"));
    QCOMPARE(pOk->text(), QStringLiteral("Ok"));
    QCOMPARE(pCancel->objectName(), QStringLiteral("pushButtonCancel"));
    QCOMPARE(pCancel->text(), QStringLiteral("Cancel"));
}

void TestDialogs::addModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("nameShown");
    QTest::addColumn<bool>("probabilityShown");
    QTest::addColumn<int>("minimum");
    QTest::newRow("decision") << 1 << "Add Decision Dialog"
                              << "Decision Name:"
                              << "Decision1" << true << false << 2;
    QTest::newRow("situation") << 2 << "Add Situation Dialog"
                               << "Situation Name:"
                               << "Situation1" << true << true << 2;
    QTest::newRow("option") << 3 << "Add Option Dialog"
                            << "Decision Name:"
                            << "Decision1" << false << true << 1;
    // Other codes keep the form as designed.
    QTest::newRow("root code") << 0 << "Add Decision Dialog"
                               << "Decision Name:"
                               << "Decision1" << true << true << 2;
    QTest::newRow("terminal code") << 4 << "Add Decision Dialog"
                                   << "Decision Name:"
                                   << "Decision1" << true << true << 2;
    QTest::newRow("negative code") << -1 << "Add Decision Dialog"
                                   << "Decision Name:"
                                   << "Decision1" << true << true << 2;
}

void TestDialogs::addModes()
{
    QFETCH(int, mode);
    QFETCH(QString, title);
    QFETCH(QString, label);
    QFETCH(QString, name);
    QFETCH(bool, nameShown);
    QFETCH(bool, probabilityShown);
    QFETCH(int, minimum);

    CAddNodeDialog dialog(mode, nullptr);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), title);
    auto *pLabel = Child<QLabel>(dialog, "labelName");
    auto *pEdit = Child<QLineEdit>(dialog, "lineEditName");
    QCOMPARE(pLabel->text(), label);
    QCOMPARE(pEdit->text(), name);
    QCOMPARE(pLabel->isVisible(), nameShown);
    QCOMPARE(pEdit->isVisible(), nameShown);
    QCOMPARE(dialog.GetName(), name);
    QCOMPARE(!Table(dialog)->isColumnHidden(1), probabilityShown);
    for (int nColumn : {0, 2, 3})
        QVERIFY(!Table(dialog)->isColumnHidden(nColumn));
    QCOMPARE(SpinBox(dialog)->minimum(), minimum);
    QCOMPARE(SpinBox(dialog)->value(), 2);

    // The name is handed on as typed, an empty one too.
    pEdit->setText(QString());
    QCOMPARE(dialog.GetName(), QString());
    pEdit->setText(QStringLiteral(" Wetter \u00e4 "));
    QCOMPARE(dialog.GetName(), QStringLiteral(" Wetter \u00e4 "));
}

void TestDialogs::addDefaultRows_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("secondProbability");
    QTest::newRow("decision") << 1 << 1.0;
    QTest::newRow("situation") << 2 << 0.0;
    QTest::newRow("option") << 3 << 0.0;
}

void TestDialogs::addDefaultRows()
{
    QFETCH(int, mode);
    QFETCH(double, secondProbability);
    CAddNodeDialog dialog(mode, nullptr);
    CHECK(CheckDefaultRows(*Table(dialog), 2));

    const QVector<OptionRow> rows = dialog.GetOptionRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].name, QStringLiteral("Yes"));
    QCOMPARE(rows[0].probability, 1.0);
    QCOMPARE(rows[0].payoff, 0.0);
    QCOMPARE(rows[0].payoffComment, QString());
    QCOMPARE(rows[1].name, QStringLiteral("No"));
    QCOMPARE(rows[1].probability, secondProbability);
    QCOMPARE(rows[1].payoff, 0.0);
    QCOMPARE(rows[1].payoffComment, QString());
}

void TestDialogs::addOptionCountLimits_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("minimum");
    QTest::newRow("decision") << 1 << 2;
    QTest::newRow("situation") << 2 << 2;
    QTest::newRow("option") << 3 << 1;
}

void TestDialogs::addOptionCountLimits()
{
    QFETCH(int, mode);
    QFETCH(int, minimum);
    CAddNodeDialog dialog(mode, nullptr);
    dialog.show();
    QSpinBox *pSpin = SpinBox(dialog);
    QTableWidget *pTable = Table(dialog);

    // Going down by keyboard stops at the minimum.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(pSpin, Qt::Key_Down);
    QCOMPARE(pSpin->value(), minimum);
    CHECK(CheckDefaultRows(*pTable, minimum));
    QCOMPARE(dialog.GetOptionRows().size(), minimum);

    pSpin->setValue(1000);
    QCOMPARE(pSpin->value(), 99);
    CHECK(CheckDefaultRows(*pTable, 99));
    QCOMPARE(dialog.GetOptionRows().size(), 99);
}

void TestDialogs::addCountChangeResetsRows()
{
    CAddNodeDialog dialog(ModeSituation, nullptr);
    dialog.show();
    QTableWidget *pTable = Table(dialog);
    QSpinBox *pSpin = SpinBox(dialog);

    CHECK(SetCell(pTable, 0, 0, QStringLiteral("Rain")));
    CHECK(SetCell(pTable, 0, 1, QStringLiteral("0.3")));
    CHECK(SetCell(pTable, 1, 2, QStringLiteral("-40")));
    CHECK(SetCell(pTable, 1, 3, QStringLiteral("wet")));
    QTest::keyClick(pSpin, Qt::Key_Up);
    QCOMPARE(pSpin->value(), 3);
    CHECK(CheckDefaultRows(*pTable, 3));

    CHECK(SetCell(pTable, 2, 0, QStringLiteral("Snow")));
    QTest::keyClick(pSpin, Qt::Key_Down);
    CHECK(CheckDefaultRows(*pTable, 2));
    QCOMPARE(dialog.GetOptionRows()[0].name, QStringLiteral("Yes"));
}

void TestDialogs::addDecisionProbabilityIsOne()
{
    CAddNodeDialog dialog(ModeDecision, nullptr);
    QTableWidget *pTable = Table(dialog);
    CHECK(SetCell(pTable, 0, 1, QStringLiteral("0.3")));
    CHECK(SetCell(pTable, 1, 1, QStringLiteral("abc")));
    CHECK(SetCell(pTable, 0, 2, QStringLiteral("12.5")));
    CHECK(SetCell(pTable, 1, 2, QStringLiteral("-7")));
    const QVector<OptionRow> rows = dialog.GetOptionRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].probability, 1.0);
    QCOMPARE(rows[1].probability, 1.0);
    QCOMPARE(rows[0].payoff, 12.5);
    QCOMPARE(rows[1].payoff, -7.0);
}

void TestDialogs::addNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("quarter") << "0.25" << 0.25;
    QTest::newRow("digits then letters") << "12abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("negative") << "-3.5" << -3.5;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("outside 0 to 1") << "50" << 50.0;
    QTest::newRow("blanks around") << " 7 " << 7.0;
    QTest::newRow("decimal comma") << "0,5" << 0.0;
    QTest::newRow("nan") << "nan" << 0.0;
    QTest::newRow("inf") << "inf" << 0.0;
    QTest::newRow("minus inf") << "-inf" << 0.0;
    QTest::newRow("overflow") << "1e999" << 0.0;
    QTest::newRow("largest finite") << "1.7976931348623157e308" << 1.7976931348623157e308;
}

void TestDialogs::addNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    CAddNodeDialog dialog(ModeSituation, nullptr);
    QTableWidget *pTable = Table(dialog);
    CHECK(SetCell(pTable, 1, 1, text));
    CHECK(SetCell(pTable, 1, 2, text));
    const OptionRow row = dialog.GetOptionRows().at(1);
    QCOMPARE(row.probability, value);
    QCOMPARE(row.payoff, value);
}

void TestDialogs::addTypedCellIsRead()
{
    // As a person does it: open a cell, type, and press Ok while still typing.
    CAddNodeDialog dialog(ModeOption, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTableWidget *pTable = Table(dialog);
    pTable->setFocus();
    pTable->editItem(pTable->item(1, 2));
    auto *pEditor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(pEditor);
    pEditor->selectAll();
    QTest::keyClicks(pEditor, QStringLiteral("250"));
    QTest::mouseClick(Child<QPushButton>(dialog, "pushButtonOK"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.GetOptionRows().at(1).payoff, 250.0);
}

void TestDialogs::addButtons_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << "pushButtonOK" << int(QDialog::Accepted);
    QTest::newRow("cancel") << "pushButtonCancel" << int(QDialog::Rejected);
    QTest::newRow("escape") << "" << int(QDialog::Rejected);
}

void TestDialogs::addButtons()
{
    QFETCH(QString, how);
    QFETCH(int, result);
    CAddNodeDialog dialog(ModeSituation, nullptr);
    QTimer::singleShot(0, &dialog, [&dialog, how] {
        if (how.isEmpty())
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.findChild<QPushButton *>(how)->click();
    });
    QCOMPARE(dialog.exec(), result);
    QVERIFY(!dialog.isVisible());
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
#include "tst_dialogs.moc"
