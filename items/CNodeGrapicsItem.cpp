#include "CNodeGrapicsItem.h"

#include "CNode.h"
#include "CNodeItemWiring.h"
#include "CPayoff2GraphicsTextItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CQGraphicsArrowLineItem.h"
#include "TextNumber.h"

#include <QGraphicsScene>

#include <algorithm>
#include <utility>

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
        listening = true;
        menuPending = true;
    }
}

CNodeGrapicsItem::~CNodeGrapicsItem()
{
    // The text items outlive this part of the object (the base deletes them);
    // nothing they send then may reach a slot of a half-destroyed item. They
    // send to this item alone, so blocking them is enough, and costs nothing
    // beside disconnecting when a whole tree of items goes; texts never
    // connected (most of a large tree's) send to nobody.
    if (partsConnected || payoff2Item) {
        if (probabilityItem)
            probabilityItem->blockSignals(true);
        if (payoffItem)
            payoffItem->blockSignals(true);
        if (payoff2Item)
            payoff2Item->blockSignals(true);
    }
    if (nameConnected)
        disconnect(this, nullptr, this, nullptr);
    if (arrow)
        arrow->ForgetItem(this);
    for (CQGraphicsArrowLineItem *pArrow : outgoing)
        pArrow->ForgetItem(this);
}

void CNodeGrapicsItem::CreateValueTexts()
{
    const bool bTerminal = node->type == NodeType::Terminal;
    if (IsLeafKind(node->type)) {
        // Options of a Decision carry no probability of their own. An option
        // without a parent keeps its probability on show.
        if (!node->parent || node->parent->type != NodeType::Decision) {
            probabilityItem =
                new CProbabilityGraphicsTextItem(this, node->probability, false, !bTerminal);
            probabilityItem->setDefaultTextColor(Qt::darkGreen);
        }
        payoffItem =
            new CQEditableGraphicsTextItem(this, NumberToText(node->payoff), false, !bTerminal);
        payoffItem->setDefaultTextColor(Qt::black);
        if (!bTerminal) {
            UpdatePayoffEditText();
            if (probabilityItem)
                probabilityItem->SetEditText(QString::fromStdString(node->probabilityFormula));
        }
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
        // The next line of the same text, as it would stand in one document.
        if (CPayoff2GraphicsTextItem *pPayoff2 = Payoff2Item())
            pPayoff2->setPos(0, payoffItem->boundingRect().height() - 2 * Margin());
    }
}

bool CNodeGrapicsItem::ConnectPart(CQEditableGraphicsTextItem *pPart)
{
    // Texts report their contents themselves: they have a document only once
    // they are edited. Until the item is made, nothing they say is heard.
    if (!IsListening())
        return true;
    if (!listening || (pPart != probabilityItem && pPart != payoffItem))
        return false;
    connect(pPart, &CQEditableGraphicsTextItem::sig_contentsChanged, this,
            &CNodeGrapicsItem::OnContentChanged);
    connect(pPart, &CQEditableGraphicsTextItem::sig_focusOut, this, &CNodeGrapicsItem::OnFocusOut);
    if (pPart == probabilityItem)
        connect(probabilityItem, &CProbabilityGraphicsTextItem::sig_notNumber, this,
                [this](const QString &strText) { AskForFormula(true, strText); });
    partsConnected = true;
    return true;
}

CQGraphicsArrowLineItem *CNodeGrapicsItem::GetArrow() const
{
    return arrow;
}

void CNodeGrapicsItem::SetArrow(CQGraphicsArrowLineItem *pArrow)
{
    arrow = pArrow;
}

void CNodeGrapicsItem::AddOutgoing(CQGraphicsArrowLineItem *pArrow)
{
    outgoing.push_back(pArrow);
}

void CNodeGrapicsItem::RemoveOutgoing(CQGraphicsArrowLineItem *pArrow)
{
    outgoing.erase(std::remove(outgoing.begin(), outgoing.end(), pArrow), outgoing.end());
}

void CNodeGrapicsItem::PositionChanging(QPointF pntNewPos)
{
    if (arrow)
        arrow->UpdateGeometry(this, pntNewPos);
    for (CQGraphicsArrowLineItem *pArrow : outgoing)
        pArrow->UpdateGeometry(this, pntNewPos);
}

void CNodeGrapicsItem::RedrawArrows(bool bIncoming)
{
    if (bIncoming && arrow)
        arrow->UpdateGeometry();
    for (CQGraphicsArrowLineItem *pArrow : outgoing)
        pArrow->UpdateGeometry();
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
    ShowTextColours();
}

void CNodeGrapicsItem::ShowFormulas(const QString &strPayoffProblem,
                                    const QString &strProbabilityProblem,
                                    const QString &strPayoff2Problem)
{
    if (!node || !IsListening())
        return;
    UpdatePayoffEditText();
    if (CPayoff2GraphicsTextItem *pPayoff2 = Payoff2Item()) {
        ShowPayoff2(pPayoff2, pPayoff2->Value());
        pPayoff2->ShowProblem(strPayoff2Problem);
    }
    if (probabilityItem &&
        probabilityItem->EditText() != QLatin1String(node->probabilityFormula.c_str()))
        probabilityItem->SetEditText(QString::fromStdString(node->probabilityFormula));
    // Every change of a variable comes here for every option with a formula.
    if (payoffProblem == strPayoffProblem && probabilityProblem == strProbabilityProblem)
        return;
    payoffProblem = strPayoffProblem;
    probabilityProblem = strProbabilityProblem;
    ShowTextColours();
}

void CNodeGrapicsItem::ShowTextColours()
{
    // Red as the probabilities that do not add up: a number that is not what
    // its formula says is as little to be trusted.
    if (probabilityItem) {
        const bool bWarned = (errorItem && errorItem->isVisible()) || !probabilityProblem.isEmpty();
        probabilityItem->setDefaultTextColor(bWarned ? Qt::red : Qt::darkGreen);
    }
    if (payoffItem && IsListening())
        payoffItem->setDefaultTextColor(payoffProblem.isEmpty() ? Qt::black : Qt::red);
}

void CNodeGrapicsItem::AskForFormula(bool bProbability, const QString &strText)
{
    // Whatever becomes of this text, an earlier refusal is no longer the news.
    refusal.clear();
    AboutToSignal();
    emit sig_formulaTyped(bProbability, strText);
}

void CNodeGrapicsItem::AboutToSignal()
{
    if (signalsBlocked())
        return;
    if (listening && !nameConnected) {
        nameConnected = true;
        connect(this, &CQEditableGraphicsTextItem::sig_contentsChanged, this,
                &CNodeGrapicsItem::OnContentChanged);
        connect(this, &CQEditableGraphicsTextItem::sig_focusOut, this,
                &CNodeGrapicsItem::OnFocusOut);
    }
    if (connected)
        return;
    if (auto *pWiring = dynamic_cast<CNodeItemWiring *>(scene())) {
        connected = true;
        pWiring->ConnectItem(this);
    }
}

void CNodeGrapicsItem::EmitValueSignals()
{
    AboutToSignal();
    emit sig_probabilityChanged();
    emit sig_payoffChanged();
}

void CNodeGrapicsItem::PrepareGeometryChange()
{
    prepareGeometryChange();
}

bool CNodeGrapicsItem::IsListening() const
{
    // A Terminal's texts are not connected: they show, but never write back.
    return node && node->type != NodeType::Terminal;
}

bool CNodeGrapicsItem::PayoffIsInput() const
{
    return IsListening() && payoffItem && payoffItem->IsEditable();
}
