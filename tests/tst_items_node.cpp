#include "tst_items.h"

#include "ItemCanvas.h"
#include "ItemFixtures.h"

#include <QtTest>

#include <memory>

using namespace ItemFixtures;

namespace {

bool IsEditing(const QGraphicsTextItem *pText)
{
    return pText->hasFocus() && pText->textInteractionFlags() == Qt::TextEditorInteraction;
}

// Double-clicks the text and reports whether that started an edit; ends it again.
bool StartsEditing(ItemCanvas &canvas, QGraphicsTextItem *pText)
{
    canvas.DoubleClick(pText);
    const bool bEditing = IsEditing(pText);
    canvas.ClickElsewhere();
    return bEditing;
}

void SelectAllAndType(ItemCanvas &canvas, const QString &text)
{
    QTest::keyClick(&canvas.view, Qt::Key_A, Qt::ControlModifier);
    canvas.Type(text);
}

} // namespace

void TestItems::textsPerKind_data()
{
    QTest::addColumn<int>("parentType"); // -1: no parent node
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("hasProbability");
    QTest::addColumn<bool>("hasPayoff");
    QTest::addColumn<bool>("editable");   // the name and the value texts
    QTest::addColumn<bool>("valueUnder"); // a Decision's or Situation's value
    using namespace NodeType;
    QTest::newRow("Root") << -1 << int(Root) << false << false << true << false;
    QTest::newRow("Decision") << int(Option) << int(Decision) << false << true << true << true;
    QTest::newRow("Situation") << int(Root) << int(Situation) << false << true << true << true;
    QTest::newRow("option of Decision")
        << int(Decision) << int(Option) << false << true << true << false;
    QTest::newRow("option of Situation")
        << int(Situation) << int(Option) << true << true << true << false;
    QTest::newRow("option without parent") << -1 << int(Option) << true << true << true << false;
    QTest::newRow("Terminal of option")
        << int(Option) << int(Terminal) << true << true << false << false;
    QTest::newRow("Terminal of Root")
        << int(Root) << int(Terminal) << true << true << false << false;
    QTest::newRow("Terminal of Decision")
        << int(Decision) << int(Terminal) << false << true << false << false;
}

void TestItems::textsPerKind()
{
    QFETCH(int, parentType);
    QFETCH(int, type);
    QFETCH(bool, hasProbability);
    QFETCH(bool, hasPayoff);
    QFETCH(bool, editable);
    QFETCH(bool, valueUnder);
    std::unique_ptr<CNode> pParent;
    if (parentType >= 0) {
        pParent = std::make_unique<CNode>(nullptr, "parent");
        pParent->type = parentType;
    }
    CNode node(pParent.get(), "Node");
    node.type = type;
    node.probability = 0.125;
    node.payoff = 1250000;
    node.payoffComment = "why";

    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pItem = new CNodeGrapicsItem(&node, nullptr, true);
    canvas.scene.addItem(pItem);
    pItem->setPos(100, 150);
    QCOMPARE(pItem->GetNode(), &node);
    QCOMPARE(pItem->toPlainText(), QStringLiteral("Node"));
    QVERIFY(pItem->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(pItem->flags() & QGraphicsItem::ItemIsSelectable);
    const QRectF r = pItem->boundingRect();

    CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem);
    CQEditableGraphicsTextItem *pPayoff = PayoffText(pItem);
    QCOMPARE(pProbability != nullptr, hasProbability);
    // The warning text is only made once a warning is first shown.
    QVERIFY(!ErrorText(pItem));
    QCOMPARE(pPayoff != nullptr, hasPayoff);
    QCOMPARE(pItem->childItems().size(), int(hasProbability) + int(hasPayoff));
    if (pProbability) {
        QCOMPARE(pProbability->toPlainText(), QStringLiteral("12.5%"));
        QCOMPARE(pProbability->defaultTextColor(), QColor(Qt::darkGreen));
        QCOMPARE(pProbability->pos(),
                 QPointF(r.width(), r.height() / 2 - pProbability->boundingRect().height()));
        QVERIFY(!(pProbability->flags() & QGraphicsItem::ItemIsMovable));
        QVERIFY(pProbability->flags() & QGraphicsItem::ItemIsSelectable);
        pItem->SetProbabilityError(true);
        pItem->SetProbabilityError(false);
        CQEditableGraphicsTextItem *pError = ErrorText(pItem);
        QVERIFY(pError);
        QCOMPARE(pError->toPlainText(), QStringLiteral("Error Value!"));
        QCOMPARE(pError->defaultTextColor(), QColor(Qt::red));
        QVERIFY(!pError->isVisible());
        QCOMPARE(pError->pos(), QPointF(0, -pError->boundingRect().height()));
        QCOMPARE(StartsEditing(canvas, pProbability), editable);
    }
    if (pPayoff) {
        QCOMPARE(pPayoff->toPlainText(), QStringLiteral("1250000"));
        QCOMPARE(pPayoff->defaultTextColor(), QColor(valueUnder ? Qt::gray : Qt::black));
        QCOMPARE(pPayoff->pos(),
                 valueUnder ? QPointF(0, r.height()) : QPointF(r.width(), r.height() / 2));
        QCOMPARE(pPayoff->toolTip(), valueUnder ? QString() : QStringLiteral("why"));
        QCOMPARE(StartsEditing(canvas, pPayoff), editable && !valueUnder);
    }
    QCOMPARE(StartsEditing(canvas, pItem), editable);
    // Showing the texts leaves the node's values as they were.
    QCOMPARE(node.probability, 0.125);
    QCOMPARE(node.payoff, 1250000.0);
    delete pItem;
}

void TestItems::textsFollowRename()
{
    CNode situation(nullptr, "S");
    situation.type = NodeType::Situation;
    CNode *pOption = CNode::CreateOption(&situation, "O");
    CNodeGrapicsItem option(pOption, nullptr, true);
    CNodeGrapicsItem value(&situation, nullptr, true);
    QSignalSpy renamed(&option, &CNodeGrapicsItem::sig_nameChanged);
    const qreal dShortWidth = option.boundingRect().width();

    option.setPlainText(QString::fromUtf8("A much longer name, Zürich"));
    value.setPlainText(QStringLiteral("A much longer name"));
    QVERIFY(renamed.count() >= 1);
    QCOMPARE(pOption->name, std::string("A much longer name, Z\xc3\xbcrich"));
    const QRectF r = option.boundingRect();
    QVERIFY(r.width() > dShortWidth + 50);
    CProbabilityGraphicsTextItem *pProbability = ProbabilityText(&option);
    QCOMPARE(pProbability->pos(),
             QPointF(r.width(), r.height() / 2 - pProbability->boundingRect().height()));
    QCOMPARE(PayoffText(&option)->pos(), QPointF(r.width(), r.height() / 2));
    QCOMPARE(PayoffText(&value)->pos(), QPointF(0, value.boundingRect().height()));
    QCOMPARE(situation.name, std::string("A much longer name"));
    delete pOption;
    situation.children.clear();
}

void TestItems::renameWritesNodeAndReportsOldName()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    SmallTree tree(canvas.scene);
    CNodeGrapicsItem *pItem = tree.Item("S1");
    QSignalSpy renamed(pItem, &CNodeGrapicsItem::sig_nameChanged);
    QSignalSpy edited(pItem, &CNodeGrapicsItem::sig_focusOut);
    QSignalSpy textEdited(static_cast<CQEditableGraphicsTextItem *>(pItem),
                          &CQEditableGraphicsTextItem::sig_focusOut);

    canvas.DoubleClick(pItem);
    QVERIFY(IsEditing(pItem));
    canvas.Key(Qt::Key_End);
    canvas.Type("x");
    QCOMPARE(tree.s1->name, std::string("S1x"));
    QCOMPARE(renamed.count(), 1);
    canvas.Type("y");
    QCOMPARE(tree.s1->name, std::string("S1xy"));
    QCOMPARE(renamed.count(), 2);
    canvas.Key(Qt::Key_Return);

    QCOMPARE(textEdited.count(), 1);
    QCOMPARE(edited.count(), 1);
    const QList<QVariant> args = edited.takeFirst();
    QCOMPARE(args.at(0).toString(), QStringLiteral("S1"));
    QCOMPARE(args.at(1).toDouble(), 0.25);
    QCOMPARE(args.at(2).toDouble(), 3.0);
    QCOMPARE(tree.s1->name, std::string("S1xy"));
}

void TestItems::payoffTypingWritesNode()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    SmallTree tree(canvas.scene);
    CNodeGrapicsItem *pItem = tree.Item("A");
    QSignalSpy payoffChanged(pItem, &CNodeGrapicsItem::sig_payoffChanged);
    QSignalSpy edited(pItem, &CNodeGrapicsItem::sig_focusOut);

    canvas.DoubleClick(PayoffText(pItem));
    QVERIFY(IsEditing(PayoffText(pItem)));
    int nBefore = payoffChanged.count();
    SelectAllAndType(canvas, "o");
    QCOMPARE(tree.a->payoff, 0.0);
    QVERIFY(payoffChanged.count() > nBefore);
    nBefore = payoffChanged.count();
    canvas.Type("k");
    QCOMPARE(payoffChanged.count(), nBefore + 1);
    QCOMPARE(tree.a->payoff, 0.0);
    SelectAllAndType(canvas, "-2.5");
    QCOMPARE(tree.a->payoff, -2.5);
    canvas.ClickElsewhere();

    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.at(0).at(0).toString(), QStringLiteral("A"));
    QCOMPARE(edited.at(0).at(1).toDouble(), 1.0);
    QCOMPARE(edited.at(0).at(2).toDouble(), 10.0);
}

void TestItems::probabilityTypingWritesNode()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    SmallTree tree(canvas.scene);
    CNodeGrapicsItem *pItem = tree.Item("S1");
    tree.s1->probability = 0.123456789;
    pItem->SetProbability(0.123456789);
    QSignalSpy probabilityChanged(pItem, &CNodeGrapicsItem::sig_probabilityChanged);
    QSignalSpy edited(pItem, &CNodeGrapicsItem::sig_focusOut);
    CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem);

    // Entering the field shows a rounded edit text, but the node keeps its value.
    canvas.DoubleClick(pProbability);
    QCOMPARE(pProbability->toPlainText(), QStringLiteral("0.123457"));
    QCOMPARE(tree.s1->probability, 0.123456789);
    SelectAllAndType(canvas, "0.7");
    QCOMPARE(tree.s1->probability, 0.7);
    QVERIFY(probabilityChanged.count() >= 3);
    canvas.Key(Qt::Key_Return);

    QCOMPARE(pProbability->toPlainText(), QStringLiteral("70%"));
    QCOMPARE(tree.s1->probability, 0.7);
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.at(0).at(0).toString(), QStringLiteral("S1"));
    QCOMPARE(edited.at(0).at(1).toDouble(), 0.123456789);
    QCOMPARE(edited.at(0).at(2).toDouble(), 3.0);
}

void TestItems::programmaticValues()
{
    QGraphicsScene scene;
    SmallTree tree(scene);
    CNodeGrapicsItem *pItem = tree.Item("S1");
    QStringList order;
    connect(pItem, &CNodeGrapicsItem::sig_probabilityChanged, this, [&] { order << "p"; });
    connect(pItem, &CNodeGrapicsItem::sig_payoffChanged, this, [&] { order << "v"; });

    pItem->SetPayoff(1234567.5);
    QCOMPARE(PayoffText(pItem)->toPlainText(), QStringLiteral("1234568"));
    // The text is rounded for showing; the value behind it is not.
    QCOMPARE(tree.s1->payoff, 1234567.5);
    pItem->SetProbability(0.5);
    QCOMPARE(ProbabilityText(pItem)->toPlainText(), QStringLiteral("50%"));
    QCOMPARE(tree.s1->probability, 0.5);
    QCOMPARE(order, QStringList({"v", "p"}));

    // Blocked, the node is still written but nothing is announced.
    order.clear();
    pItem->blockSignals(true);
    pItem->SetPayoff(8);
    pItem->SetProbability(0.75);
    pItem->blockSignals(false);
    QVERIFY(order.isEmpty());
    QCOMPARE(tree.s1->payoff, 8.0);
    QCOMPARE(tree.s1->probability, 0.75);

    pItem->EmitValueSignals();
    QCOMPARE(order, QStringList({"p", "v"}));
    pItem->SetPayoffToolTip("comment");
    QCOMPARE(PayoffText(pItem)->toolTip(), QStringLiteral("comment"));

    // The Root has no value texts: these do nothing.
    CNodeGrapicsItem *pRoot = tree.Item("R");
    pRoot->SetPayoff(5);
    pRoot->SetProbability(0.5);
    pRoot->SetPayoffToolTip("x");
    pRoot->SetProbabilityError(true);
    QCOMPARE(tree.r->payoff, 0.0);
    QCOMPARE(tree.r->probability, 1.0);
    QVERIFY(pRoot->childItems().isEmpty());
}

void TestItems::probabilityError()
{
    QGraphicsScene scene;
    SmallTree tree(scene);
    CNodeGrapicsItem *pItem = tree.Item("S1");
    pItem->SetProbabilityError(false);
    QVERIFY(!ErrorText(pItem));
    pItem->SetProbabilityError(true);
    QVERIFY(ErrorText(pItem)->isVisible());
    QCOMPARE(ProbabilityText(pItem)->defaultTextColor(), QColor(Qt::red));
    pItem->SetProbabilityError(false);
    QVERIFY(!ErrorText(pItem)->isVisible());
    QCOMPARE(ProbabilityText(pItem)->defaultTextColor(), QColor(Qt::darkGreen));
    tree.Item("A")->SetProbabilityError(true);
    QCOMPARE(tree.Item("A")->childItems().size(), 1);
}

void TestItems::setNodePos()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    SmallTree tree(canvas.scene);
    CNodeGrapicsItem *pItem = tree.Item("D");
    QSignalSpy moved(pItem, &CQEditableGraphicsTextItem::sig_positionChanged);

    pItem->SetNodePos(30, -40, true);
    QCOMPARE(pItem->pos(), QPointF(30, -40));
    QCOMPARE(tree.d->x, 30);
    QCOMPARE(tree.d->y, -40);
    QCOMPARE(moved.count(), 0);
    QVERIFY(!pItem->signalsBlocked());

    pItem->SetNodePos(50, 60, false);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toPointF(), QPointF(50, 60));
    QCOMPARE(tree.d->x, 50);

    // A caller's own blocking outlasts the call.
    pItem->blockSignals(true);
    pItem->SetNodePos(1, 2, true);
    QVERIFY(pItem->signalsBlocked());
    pItem->blockSignals(false);
}

void TestItems::nullNode()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    auto *pItem = new CNodeGrapicsItem(nullptr, nullptr, true);
    canvas.scene.addItem(pItem);
    pItem->SetNodePos(100, 100, true);
    QCOMPARE(pItem->GetNode(), nullptr);
    QVERIFY(pItem->toPlainText().isEmpty());
    QVERIFY(pItem->childItems().isEmpty());
    QVERIFY(pItem->GetMenu()->isEmpty());
    QCOMPARE(pItem->LeftAnchor(), QPointF(0, 0));
    QCOMPARE(pItem->RightAnchor(), QPointF(0, 0));
    pItem->SetProbability(0.5);
    pItem->SetPayoff(1);
    pItem->SetPayoffToolTip("x");
    pItem->SetProbabilityError(true);
    pItem->OnContentChanged();
    QCOMPARE(canvas.ContextMenu(pItem), std::optional<QList<int>>());

    // No outline: the item's area stays white.
    const QRectF r = pItem->sceneBoundingRect();
    const QImage image = RenderScene(canvas.scene, QRect(0, 0, 300, 300));
    QCOMPARE(image.pixelColor(int(r.center().x()), int(r.top()) + 2), QColor(Qt::white));
}

void TestItems::deletedWhileEditing()
{
    ItemCanvas canvas;
    QVERIFY(canvas.Show());
    SmallTree tree(canvas.scene);
    for (const QString &strName : {QStringLiteral("S1"), QStringLiteral("A")}) {
        CNodeGrapicsItem *pItem = tree.Item(strName);
        QGraphicsTextItem *pText =
            strName == "S1" ? static_cast<QGraphicsTextItem *>(ProbabilityText(pItem)) : pItem;
        canvas.DoubleClick(pText);
        QVERIFY(IsEditing(pText));
        canvas.Type("9");
        delete pItem;
        QCOMPARE(canvas.scene.focusItem(), nullptr);
    }
}
