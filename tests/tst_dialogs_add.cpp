#include "CAddNodeDialog.h"
#include "DialogTestSupport.h"
#include "TestDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

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
