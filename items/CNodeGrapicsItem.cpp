#include "CNodeGrapicsItem.h"

#include "CEditRules.h"
#include "CNode.h"
#include "CNodeSummary.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CQGraphicsArrowLineItem.h"
#include "CTypedNumber.h"
#include "ContextAction.h"
#include "TextNumber.h"

#include <QAction>
#include <QFontMetricsF>
#include <QGraphicsSceneContextMenuEvent>
#include <QPainter>
#include <QPolygonF>
#include <QTextDocument>

#include <algorithm>
#include <string>
#include <vector>

const QMap<int, NodeStyle> CNodeGrapicsItem::nodeStyles = {
    {NodeType::Root, {NodeType::Root, NodeShape::Rectangle, 40, 40, 255, 0, 0}},
    {NodeType::Decision, {NodeType::Decision, NodeShape::Rectangle, 40, 40, 0, 255, 0}},
    {NodeType::Situation, {NodeType::Situation, NodeShape::Ellipse, 40, 40, 200, 100, 255}},
    {NodeType::Option, {NodeType::Option, NodeShape::RoundedRectangle, 40, 20, 255, 255, 0}},
    {NodeType::Terminal, {NodeType::Terminal, NodeShape::Rectangle, 20, 40, 0, 0, 0}},
};

namespace {

bool IsLeafKind(int nType)
{
    return nType == NodeType::Option || nType == NodeType::Terminal;
}

} // namespace

CNodeGrapicsItem::CNodeGrapicsItem(CNode *pNode, QGraphicsItem *parent, bool bEditable)
    : CQEditableGraphicsTextItem(parent, QString(), bEditable, bEditable), node(pNode)
{
    if (!node)
        return;
    setPlainText(QString::fromStdString(node->name));
    style = nodeStyles.value(node->type);
    CreateValueTexts();
    if (node->type == NodeType::Terminal) {
        SetEditable(false);
    } else {
        ConnectSignals();
        menuPending = true;
    }
}

CNodeGrapicsItem::~CNodeGrapicsItem()
{
    // The text items outlive this part of the object (the base deletes them);
    // nothing they send then may reach a slot of a half-destroyed item.
    if (probabilityItem)
        probabilityItem->disconnect(this);
    if (payoffItem)
        payoffItem->disconnect(this);
    disconnect(this, nullptr, this, nullptr);
}

void CNodeGrapicsItem::CreateValueTexts()
{
    const bool bTerminal = node->type == NodeType::Terminal;
    if (IsLeafKind(node->type)) {
        // Options of a Decision carry no probability of their own. An option
        // without a parent keeps its probability on show.
        if (!node->parent || node->parent->type != NodeType::Decision) {
            probabilityItem = new CProbabilityGraphicsTextItem(
                this, NumberToText(node->probability), false, !bTerminal);
            probabilityItem->setDefaultTextColor(Qt::darkGreen);
            // The text above carries 6 digits only; the item keeps the exact value.
            probabilityItem->SetProbability(node->probability);
        }
        payoffItem =
            new CQEditableGraphicsTextItem(this, NumberToText(node->payoff), false, !bTerminal);
        payoffItem->setDefaultTextColor(Qt::black);
    } else if (node->type == NodeType::Decision || node->type == NodeType::Situation) {
        payoffItem = new CQEditableGraphicsTextItem(this, NumberToText(node->payoff), false, false);
        payoffItem->setDefaultTextColor(Qt::gray);
    }
    if (payoffItem) {
        shownPayoff = node->payoff;
        shownPayoffText = payoffItem->toPlainText();
    }
    PlaceValueTexts();
}

void CNodeGrapicsItem::PlaceValueTexts()
{
    const QRectF r = boundingRect();
    if (probabilityItem)
        probabilityItem->setPos(r.width(),
                                r.height() / 2 - probabilityItem->boundingRect().height());
    if (payoffItem) {
        const bool bUnder =
            node && (node->type == NodeType::Decision || node->type == NodeType::Situation);
        payoffItem->setPos(bUnder ? QPointF(0, r.height()) : QPointF(r.width(), r.height() / 2));
    }
}

void CNodeGrapicsItem::ConnectSignals()
{
    // The texts report their contents themselves: they have a document only
    // once they are edited.
    for (CQEditableGraphicsTextItem *pText :
         {static_cast<CQEditableGraphicsTextItem *>(this),
          static_cast<CQEditableGraphicsTextItem *>(probabilityItem), payoffItem})
        if (pText)
            connect(pText, &CQEditableGraphicsTextItem::sig_contentsChanged, this,
                    &CNodeGrapicsItem::OnContentChanged);

    connect(this, &CQEditableGraphicsTextItem::sig_focusOut, this, &CNodeGrapicsItem::OnFocusOut);
    if (probabilityItem) {
        connect(probabilityItem, &CQEditableGraphicsTextItem::sig_focusOut, this,
                &CNodeGrapicsItem::OnFocusOut);
        connect(probabilityItem, &CProbabilityGraphicsTextItem::sig_refused, this,
                [this](const QString &strWhy) { Refuse(probabilityItem, strWhy); });
    }
    if (payoffItem)
        connect(payoffItem, &CQEditableGraphicsTextItem::sig_focusOut, this,
                &CNodeGrapicsItem::OnFocusOut);
}

void CNodeGrapicsItem::FillMenu()
{
    if (!menuPending)
        return;
    menuPending = false;
    menu = std::make_unique<QMenu>();
    connect(menu.get(), &QMenu::aboutToShow, this, &CNodeGrapicsItem::sig_menuAboutToShow);
    using namespace ContextAction;
    const struct
    {
        int nCode;
        const char *pText;
    } entries[] = {
        {ActionAddDecision, QT_TR_NOOP("Add Decision")},
        {ActionAddSituation, QT_TR_NOOP("Add Situation")},
        {ActionAddOption, QT_TR_NOOP("Add Option")},
        {ActionCopy, QT_TR_NOOP("Copy")},
        {ActionCut, QT_TR_NOOP("Cut")},
        {ActionPaste, QT_TR_NOOP("Paste")},
        {ActionDelete, QT_TR_NOOP("Delete")},
        {ActionChangePayoffComment, QT_TR_NOOP("Change Payoff Comment")},
        {ActionSensitivity, QT_TR_NOOP("Sensitivity...")},
    };
    for (const auto &entry : entries) {
        QAction *pAction = menu->addAction(tr(entry.pText));
        pAction->setProperty("type", entry.nCode);
        connect(pAction, &QAction::triggered, this, &CNodeGrapicsItem::OnContextMenu);
        // Building, clipboard and comment, then the one entry that only looks.
        if (entry.nCode == ActionAddOption || entry.nCode == ActionChangePayoffComment)
            menu->addSeparator();
    }
}

QMenu *CNodeGrapicsItem::GetMenu()
{
    FillMenu();
    if (!menu)
        menu = std::make_unique<QMenu>();
    return menu.get();
}

CQGraphicsArrowLineItem *CNodeGrapicsItem::GetArrow() const
{
    return arrow.data();
}

void CNodeGrapicsItem::SetArrow(CQGraphicsArrowLineItem *pArrow)
{
    arrow = pArrow;
}

void CNodeGrapicsItem::SetProbability(double dProbability)
{
    if (!probabilityItem)
        return;
    // When the text does not change, the document stays silent; the node is
    // then told here what a changed text would have told it.
    if (!probabilityItem->SetProbability(dProbability) && IsListening()) {
        node->probability = probabilityItem->GetProbability();
        emit sig_probabilityChanged();
    }
}

void CNodeGrapicsItem::SetPayoff(double dPayoff)
{
    if (!payoffItem)
        return;
    // What the text shows is known without reading it back; a text that did
    // not change is not laid out again, and the node still gets the value.
    if (payoffTyped || dPayoff != shownPayoff) {
        const QString strText = NumberToText(dPayoff);
        shownPayoff = dPayoff;
        if (payoffTyped || strText != shownPayoffText) {
            shownPayoffText = strText;
            payoffItem->setPlainText(strText);
            return;
        }
    }
    if (IsListening()) {
        node->payoff = dPayoff;
        emit sig_payoffChanged();
    }
}

void CNodeGrapicsItem::SetNodePos(int nX, int nY, bool bBlockSignals)
{
    if (node) {
        node->x = nX;
        node->y = nY;
    }
    const bool bWasBlocked = bBlockSignals ? blockSignals(true) : signalsBlocked();
    setPos(nX, nY);
    blockSignals(bWasBlocked);
}

void CNodeGrapicsItem::SetProbabilityError(bool bOn)
{
    // The warning is made when it is first needed: a hidden text item under
    // every probability makes opening a large tree markedly slower.
    if (bOn && probabilityItem && !errorItem) {
        errorItem =
            new CQEditableGraphicsTextItem(probabilityItem, tr("Error Value!"), false, false);
        errorItem->setPos(0, -errorItem->boundingRect().height());
        errorItem->setDefaultTextColor(Qt::red);
    }
    if (errorItem)
        errorItem->setVisible(bOn);
    if (probabilityItem)
        probabilityItem->setDefaultTextColor(bOn ? Qt::red : Qt::darkGreen);
}

void CNodeGrapicsItem::EmitValueSignals()
{
    emit sig_probabilityChanged();
    emit sig_payoffChanged();
}

void CNodeGrapicsItem::PrepareGeometryChange()
{
    prepareGeometryChange();
}

bool CNodeGrapicsItem::EditNextText(const QGraphicsItem *pCurrent, bool bForward)
{
    std::vector<CQEditableGraphicsTextItem *> texts;
    for (CQEditableGraphicsTextItem *pText :
         {static_cast<CQEditableGraphicsTextItem *>(this),
          static_cast<CQEditableGraphicsTextItem *>(probabilityItem), payoffItem})
        if (pText && pText->IsEditable())
            texts.push_back(pText);
    const auto at = std::find(texts.begin(), texts.end(), pCurrent);
    if (at == texts.end())
        return false;
    const size_t nCount = texts.size();
    const size_t nAt = size_t(at - texts.begin());
    // Taking the focus ends the current edit, which becomes its own undo step.
    texts[(nAt + (bForward ? 1 : nCount - 1)) % nCount]->StartEditing(true);
    return true;
}

QString CNodeGrapicsItem::ToolTipFor(const QGraphicsItem *pPart) const
{
    if (!node)
        return QString();
    if (errorItem && pPart == errorItem)
        return CNodeSummary::ProbabilityProblem(node->parent);
    if (!refusal.isEmpty() && pPart == refusedText)
        return refusal;
    QString strTip = CNodeSummary::Describe(node);
    if (!node->payoffComment.empty())
        strTip += QLatin1Char('\n') + QString::fromStdString(node->payoffComment);
    return strTip;
}

bool CNodeGrapicsItem::HasAnchors() const
{
    return style.shape >= NodeShape::Rectangle && style.shape <= NodeShape::Triangle;
}

QPointF CNodeGrapicsItem::LeftAnchor() const
{
    if (!HasAnchors())
        return QPointF(0, 0);
    const QRectF r = boundingRect();
    return QPointF(r.x(), r.y() + r.height() * 0.5);
}

QPointF CNodeGrapicsItem::RightAnchor() const
{
    if (!HasAnchors())
        return QPointF(0, 0);
    const QRectF r = boundingRect();
    return QPointF(r.x() + r.width(), r.y() + r.height() * 0.5);
}

QRectF CNodeGrapicsItem::OutlineRect() const
{
    QRectF rect = boundingRect();
    for (const QGraphicsItem *pText : {static_cast<const QGraphicsItem *>(probabilityItem),
                                       static_cast<const QGraphicsItem *>(payoffItem)})
        if (pText && pText->isVisible())
            rect |= mapRectFromItem(pText, pText->boundingRect());
    if (probabilityItem && probabilityItem->isVisible()) {
        // Its room counts whether it was ever made or not: the arrangement
        // must not depend on what was shown before.
        QRectF warning(QPointF(0, 0), TextSize(tr("Error Value!")));
        warning.moveTopLeft(QPointF(0, -warning.height()));
        rect |= mapRectFromItem(probabilityItem, warning);
    }
    return rect;
}

QRectF CNodeGrapicsItem::boundingRect() const
{
    return CQEditableGraphicsTextItem::boundingRect();
}

QPainterPath CNodeGrapicsItem::shape() const
{
    return CQEditableGraphicsTextItem::shape();
}

void CNodeGrapicsItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                             QWidget *widget)
{
    if (HasAnchors()) {
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(
            QBrush(QColor(style.red, style.green, style.blue, 255), Qt::SolidPattern));
        const QRectF r = boundingRect();
        switch (style.shape) {
        case NodeShape::Rectangle:
            painter->drawRect(r);
            break;
        case NodeShape::Ellipse:
            painter->drawPie(r, 0, 5760);
            break;
        case NodeShape::RoundedRectangle:
            painter->drawRoundedRect(r, 25, 25, Qt::RelativeSize);
            break;
        case NodeShape::Triangle: {
            QPolygonF triangle;
            triangle << QPointF(r.x() + r.width(), r.y())
                     << QPointF(r.x() + r.width(), r.y() + r.height())
                     << QPointF(r.x(), r.y() + r.height() * 0.5);
            painter->drawPolygon(triangle, Qt::OddEvenFill);
            break;
        }
        default:
            break;
        }
        painter->restore();
    }
    CQEditableGraphicsTextItem::paint(painter, option, widget);
}

void CNodeGrapicsItem::OnContentChanged()
{
    if (!node)
        return;
    const QObject *pText = sender();
    if (!pText)
        return;
    if (pText == this) {
        PlaceValueTexts();
        node->name = toPlainText().toStdString();
        emit sig_nameChanged();
    } else if (probabilityItem && pText == probabilityItem) {
        // Half a number typed so far ("-", "1e") leaves the node at the last
        // value that read; focus-out refuses what still does not.
        if (!probabilityItem->Typed().IsNumber())
            return;
        node->probability = probabilityItem->GetProbability();
        emit sig_probabilityChanged();
    } else if (payoffItem && pText == payoffItem) {
        const QString strText = payoffItem->toPlainText();
        payoffTyped = strText != shownPayoffText;
        const CTypedNumber typed = PayoffFromText(strText);
        if (!typed.IsNumber())
            return;
        node->payoff = typed.ValueOr(node->payoff);
        emit sig_payoffChanged();
    }
}

bool CNodeGrapicsItem::IsListening() const
{
    // A Terminal's texts are not connected: they show, but never write back.
    return node && node->type != NodeType::Terminal;
}

CTypedNumber CNodeGrapicsItem::PayoffFromText(const QString &strText) const
{
    if (strText == shownPayoffText)
        return CTypedNumber(shownPayoff);
    return CTypedNumber::Read(strText, CTypedNumber::Kind::Amount);
}

void CNodeGrapicsItem::Refuse(const QGraphicsItem *pText, const QString &strWhy)
{
    refusedText = pText;
    refusal = strWhy;
    emit sig_numberRefused(strWhy);
}

void CNodeGrapicsItem::OnFocusOut(const QString &strOldValue)
{
    if (!node)
        return;
    QString strOldName = QString::fromStdString(node->name);
    double dOldProbability = node->probability;
    double dOldPayoff = node->payoff;
    const QObject *pSender = sender();
    if (pSender == this)
        strOldName = strOldValue;
    else if (probabilityItem && pSender == probabilityItem)
        // Written by the probability item with every digit, not typed.
        dOldProbability = strOldValue.toDouble();
    if (payoffItem && pSender == payoffItem) {
        const CTypedNumber typed = PayoffFromText(payoffItem->toPlainText());
        if (!typed.IsNumber()) {
            // The old text brings the node back to the value it had.
            payoffItem->setPlainText(strOldValue);
            Refuse(payoffItem, typed.Refusal());
            return;
        }
        dOldPayoff = PayoffFromText(strOldValue).ValueOr(shownPayoff);
    }
    refusal.clear();
    emit sig_focusOut(strOldName, dOldProbability, dOldPayoff);
    // "1,500" was read as 1500; show it so, as every payoff is shown.
    if (payoffItem && pSender == payoffItem && payoffTyped)
        SetPayoff(node->payoff);
}

void CNodeGrapicsItem::OnContextMenu()
{
    const auto *pAction = qobject_cast<const QAction *>(sender());
    if (!pAction)
        return;
    emit sig_contextMenu(this, pAction->property("type").toInt());
}

void CNodeGrapicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    FillMenu();
    // Without a node there are no rules; an empty menu would pop up as a blank box.
    if (!node || !menu || menu->isEmpty())
        return;
    for (QAction *pAction : menu->actions())
        if (!pAction->isSeparator())
            pAction->setEnabled(CEditRules::Offers(pAction->property("type").toInt(), node));
    menu->exec(event->screenPos());
}
