#include "tst_items.h"

#include "ContextAction.h"
#include "ItemCanvas.h"
#include "ItemFixtures.h"

#include <QtTest>

using namespace ItemFixtures;

void TestItems::menuEntries()
{
    QGraphicsScene scene;
    SmallTree tree(scene);
    QMenu *pMenu = tree.Item("D")->GetMenu();
    QVERIFY(pMenu);
    QCOMPARE(pMenu->parent(), nullptr);
    QStringList texts;
    QList<int> codes;
    for (const QAction *pAction : pMenu->actions()) {
        texts << (pAction->isSeparator() ? QStringLiteral("|") : pAction->text());
        if (!pAction->isSeparator())
            codes << pAction->property("type").toInt();
    }
    QCOMPARE(texts, QStringList({"Add Decision", "Add Situation", "Add Option", "|", "Copy", "Cut",
                                 "Paste", "Delete", "Change Payoff Comment"}));
    QCOMPARE(codes, QList<int>({0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(tree.Item("D")->GetMenu(), pMenu);
    QVERIFY(tree.Item("T1")->GetMenu()->actions().isEmpty());

    // A chosen entry reports the item and its own code.
    QSignalSpy chosen(tree.Item("D"), &CNodeGrapicsItem::sig_contextMenu);
    for (QAction *pAction : pMenu->actions())
        pAction->trigger();
    QCOMPARE(chosen.count(), 8);
    for (int nCode = 0; nCode < 8; ++nCode) {
        QCOMPARE(chosen.at(nCode).at(0).value<CNodeGrapicsItem *>(), tree.Item("D"));
        QCOMPARE(chosen.at(nCode).at(1).toInt(), nCode);
    }
}

void TestItems::menuEnabling_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<std::optional<QList<int>>>("enabled"); // nothing: no menu pops up
    using namespace ContextAction;
    using Codes = std::optional<QList<int>>;
    QTest::newRow("Root with Terminal child")
        << "R2" << Codes({ActionAddDecision, ActionAddSituation, ActionPaste});
    QTest::newRow("Root with Decision child") << "R" << Codes(QList<int>());
    QTest::newRow("Decision") << "D"
                              << Codes({ActionAddOption, ActionCopy, ActionCut, ActionPaste,
                                        ActionDelete});
    QTest::newRow("Situation") << "S"
                               << Codes({ActionAddOption, ActionCopy, ActionCut, ActionPaste,
                                         ActionDelete});
    QTest::newRow("option, one of two, Terminal child")
        << "A"
        << Codes({ActionAddDecision, ActionAddSituation, ActionCopy, ActionCut, ActionPaste,
                  ActionDelete, ActionChangePayoffComment});
    QTest::newRow("option with Situation child")
        << "B" << Codes({ActionCopy, ActionCut, ActionDelete, ActionChangePayoffComment});
    QTest::newRow("only option") << "S1"
                                 << Codes({ActionAddDecision, ActionAddSituation, ActionCopy,
                                           ActionPaste, ActionChangePayoffComment});
    QTest::newRow("Terminal") << "T1" << Codes();
}

void TestItems::menuEnabling()
{
    QFETCH(QString, node);
    QFETCH(std::optional<QList<int>>, enabled);
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    SmallTree tree(canvas.scene);
    CNodeGrapicsItem *pItem = tree.Item(node);
    QSignalSpy aboutToShow(pItem, &CNodeGrapicsItem::sig_menuAboutToShow);
    QCOMPARE(canvas.ContextMenu(pItem), enabled);
    QCOMPARE(aboutToShow.count(), enabled ? 1 : 0);
}
