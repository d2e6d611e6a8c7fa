#include "tst_items.h"
#include "GuiTestMain.h"

#include "ItemCanvas.h"
#include "ItemFixtures.h"

#include <QtTest>

#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using namespace ItemFixtures;

// ---------------------------------------------------------------- editable texts

void TestItems::doubleClickStartsEditing_data()
{
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("switchedOff");
    QTest::addColumn<bool>("expectEditing");
    QTest::newRow("editable") << true << false << true;
    QTest::newRow("created read-only") << false << false << false;
    QTest::newRow("SetEditable(false)") << true << true << false;
}

void TestItems::doubleClickStartsEditing()
{
    QFETCH(bool, editable);
    QFETCH(bool, switchedOff);
    QFETCH(bool, expectEditing);
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pText = new CQEditableGraphicsTextItem(nullptr, "text", false, editable);
    canvas.scene.addItem(pText);
    pText->setPos(100, 100);
    QCOMPARE(pText->textInteractionFlags(), Qt::NoTextInteraction);
    if (switchedOff)
        pText->SetEditable(false);

    canvas.DoubleClick(pText);
    QCOMPARE(pText->hasFocus(), expectEditing);
    QCOMPARE(pText->textInteractionFlags(),
             expectEditing ? Qt::TextEditorInteraction : Qt::NoTextInteraction);
    canvas.Key(Qt::Key_End);
    canvas.Type("x");
    QCOMPARE(pText->toPlainText(),
             expectEditing ? QStringLiteral("textx") : QStringLiteral("text"));
}

void TestItems::enterEndsEditWithoutLineBreak()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pText = new CQEditableGraphicsTextItem(nullptr, "Old", false, true);
    canvas.scene.addItem(pText);
    pText->setPos(100, 100);
    auto *pOther = new CQEditableGraphicsTextItem(nullptr, "other", false, true);
    canvas.scene.addItem(pOther);
    pOther->setPos(300, 100);
    pOther->setSelected(true);
    QSignalSpy focusOut(pText, &CQEditableGraphicsTextItem::sig_focusOut);

    canvas.DoubleClick(pText);
    canvas.Key(Qt::Key_End);
    canvas.Type("er");
    canvas.Key(Qt::Key_Return);
    QVERIFY(!pText->hasFocus());
    QCOMPARE(pText->textInteractionFlags(), Qt::NoTextInteraction);
    QCOMPARE(pText->toPlainText(), QStringLiteral("Older"));
    QVERIFY(canvas.scene.selectedItems().isEmpty());
    QCOMPARE(focusOut.count(), 1);
    QCOMPARE(focusOut.at(0).at(0).toString(), QStringLiteral("Old"));

    // The keypad's Enter ends the next edit just the same.
    canvas.DoubleClick(pText);
    canvas.Type("!");
    QTest::keyClick(&canvas.view, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(pText->textCursor().hasSelection());
    canvas.Key(Qt::Key_Enter);
    QVERIFY(!pText->textCursor().hasSelection());
    QCOMPARE(pText->toPlainText(), QStringLiteral("Older!"));
    QCOMPARE(pText->document()->blockCount(), 1);
    QCOMPARE(focusOut.count(), 2);
    QCOMPARE(focusOut.at(1).at(0).toString(), QStringLiteral("Older"));
}

void TestItems::unchangedTextEmitsNothing()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pText = new CQEditableGraphicsTextItem(nullptr, "Same", false, true);
    canvas.scene.addItem(pText);
    pText->setPos(100, 100);
    QSignalSpy focusOut(pText, &CQEditableGraphicsTextItem::sig_focusOut);

    canvas.DoubleClick(pText);
    canvas.Key(Qt::Key_End);
    canvas.Type("x");
    canvas.Key(Qt::Key_Backspace);
    canvas.ClickElsewhere();
    QVERIFY(!pText->hasFocus());
    QCOMPARE(pText->textInteractionFlags(), Qt::NoTextInteraction);
    QCOMPARE(focusOut.count(), 0);
}

void TestItems::movableTextAnnouncesEachDragStep()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pMovable = new CQEditableGraphicsTextItem(nullptr, "drag me", true, false);
    auto *pFixed = new CQEditableGraphicsTextItem(nullptr, "fixed", false, false);
    canvas.scene.addItem(pMovable);
    canvas.scene.addItem(pFixed);
    pMovable->setPos(100, 100);
    pFixed->setPos(300, 100);
    QSignalSpy moved(pMovable, &CQEditableGraphicsTextItem::sig_positionChanged);
    QSignalSpy fixedMoved(pFixed, &CQEditableGraphicsTextItem::sig_positionChanged);

    // The announced position is the one the step sets, sent while the item
    // still stands where it was.
    QPointF announcedFrom;
    connect(pMovable, &CQEditableGraphicsTextItem::sig_positionChanged, this,
            [&announcedFrom, pMovable] { announcedFrom = pMovable->pos(); });
    QPoint pnt = canvas.At(pMovable);
    QTest::mousePress(canvas.view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);
    for (int nStep = 1; nStep <= 3; ++nStep) {
        const QPointF before = pMovable->pos();
        pnt += QPoint(10, 5);
        canvas.DragTo(pnt);
        QCOMPARE(moved.count(), nStep);
        QCOMPARE(moved.last().at(0).toPointF(), before + QPointF(10, 5));
        QCOMPARE(pMovable->pos(), before + QPointF(10, 5));
        QCOMPARE(announcedFrom, before);
    }
    QTest::mouseRelease(canvas.view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);
    pFixed->setPos(310, 100);
    QCOMPARE(fixedMoved.count(), 0);
}

void TestItems::probabilityFormats_data()
{
    QTest::addColumn<double>("probability");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("edited");
    QTest::newRow("half") << 0.5 << "50%"
                          << "0.5";
    QTest::newRow("third") << 1.0 / 3 << "33.33%"
                           << "0.333333";
    QTest::newRow("certain") << 1.0 << "100%"
                             << "1";
    QTest::newRow("many digits") << 0.123456789 << "12.35%"
                                 << "0.123457";
    QTest::newRow("typed as percent") << 50.0 << "5000%"
                                      << "50";
    QTest::newRow("zero") << 0.0 << "0%"
                          << "0";
}

void TestItems::probabilityFormats()
{
    QFETCH(double, probability);
    QFETCH(QString, shown);
    QFETCH(QString, edited);
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pText = new CProbabilityGraphicsTextItem(nullptr, "0.75", false, true);
    canvas.scene.addItem(pText);
    pText->setPos(100, 100);
    QCOMPARE(pText->toPlainText(), QStringLiteral("75%"));
    QCOMPARE(pText->GetProbability(), 0.75);

    QSignalSpy focusOut(pText, &CQEditableGraphicsTextItem::sig_focusOut);
    pText->SetProbability(probability);
    QCOMPARE(pText->toPlainText(), shown);
    QCOMPARE(pText->GetProbability(), probability);
    canvas.DoubleClick(pText);
    QCOMPARE(pText->toPlainText(), edited);
    QCOMPARE(pText->GetProbability(), probability);
    QCOMPARE(focusOut.count(), 0);
}

void TestItems::probabilityEditCycle_data()
{
    QTest::addColumn<double>("before");
    QTest::addColumn<QString>("typed"); // replaces the edit text; null keeps it
    QTest::addColumn<double>("committed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("oldValue"); // the sig_focusOut argument; null for none
    // Entering and leaving without typing keeps the value behind the rounded text.
    QTest::newRow("left untouched")
        << 0.123456789 << QString() << 0.123456789 << "12.35%" << QString();
    QTest::newRow("within tolerance") << 0.4 << "0.400009" << 0.400009 << "40%" << QString();
    QTest::newRow("changed") << 0.4 << "0.6" << 0.6 << "60%"
                             << "0.4";
    QTest::newRow("emptied") << 0.4 << "" << 0.0 << "0%"
                             << "0.4";
    QTest::newRow("percent typed") << 0.5 << "50" << 50.0 << "5000%"
                                   << "0.5";
}

void TestItems::probabilityEditCycle()
{
    QFETCH(double, before);
    QFETCH(QString, typed);
    QFETCH(double, committed);
    QFETCH(QString, shown);
    QFETCH(QString, oldValue);
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pText =
        new CProbabilityGraphicsTextItem(nullptr, QString::number(before, 'g', 17), false, true);
    canvas.scene.addItem(pText);
    pText->setPos(100, 100);
    QSignalSpy focusOut(pText, &CQEditableGraphicsTextItem::sig_focusOut);

    canvas.DoubleClick(pText);
    if (!typed.isNull()) {
        QTest::keyClick(&canvas.view, Qt::Key_A, Qt::ControlModifier);
        canvas.Key(Qt::Key_Delete);
        canvas.Type(typed);
        QCOMPARE(pText->GetProbability(), typed.toDouble());
    }
    canvas.Key(Qt::Key_Return);
    QCOMPARE(pText->GetProbability(), committed);
    QCOMPARE(pText->toPlainText(), shown);
    QCOMPARE(pText->textInteractionFlags(), Qt::NoTextInteraction);
    QCOMPARE(focusOut.count(), oldValue.isNull() ? 0 : 1);
    if (!oldValue.isNull())
        QCOMPARE(focusOut.at(0).at(0).toString(), oldValue);
}

void TestItems::notANumberReadsAsZero_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters") << "abc";
    QTest::newRow("nan") << "nan";
    QTest::newRow("infinity") << "inf";
    QTest::newRow("overflow") << "1e999";
}

void TestItems::notANumberReadsAsZero()
{
    QFETCH(QString, typed);
    auto pProbability = std::make_unique<CProbabilityGraphicsTextItem>(nullptr, typed, false, true);
    QCOMPARE(pProbability->GetProbability(), 0.0);
    QCOMPARE(pProbability->toPlainText(), QStringLiteral("0%"));

    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    CNode *pOption = CNode::CreateOption(nullptr, "O");
    pOption->payoff = 7;
    auto *pItem = new CNodeGrapicsItem(pOption, nullptr, true);
    canvas.scene.addItem(pItem);
    pItem->setPos(100, 100);
    CQEditableGraphicsTextItem *pPayoff = PayoffText(pItem);
    QVERIFY(pPayoff);
    canvas.DoubleClick(pPayoff);
    QTest::keyClick(&canvas.view, Qt::Key_A, Qt::ControlModifier);
    canvas.Type(typed);
    QCOMPARE(pOption->payoff, 0.0);
    delete pItem;
    CNode::FreeSubtree(pOption);
}

RAMIFY_GUI_TEST_MAIN(TestItems)
