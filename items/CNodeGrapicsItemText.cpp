// A node item's texts: values shown, edits written into the node, and moving
// from one text to the next.
#include "CNodeGrapicsItem.h"

#include "CNode.h"
#include "CPayoff2GraphicsTextItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CTypedNumber.h"
#include "TextNumber.h"

#include <algorithm>
#include <vector>

void CNodeGrapicsItem::SetProbability(double dProbability)
{
    if (!probabilityItem)
        return;
    // When the text does not change, the document stays silent; the node is
    // then told here what a changed text would have told it.
    if (!probabilityItem->SetProbability(dProbability) && IsListening()) {
        node->probability = probabilityItem->GetProbability();
        AboutToSignal();
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
        const QString strText =
            numberFormat ? NumberToText(dPayoff, *numberFormat) : NumberToText(dPayoff);
        shownPayoff = dPayoff;
        if (payoffTyped || strText != shownPayoffText) {
            shownPayoffText = strText;
            SetPayoffText(strText);
            UpdatePayoffEditText();
            return;
        }
    }
    if (PayoffIsInput()) {
        node->payoff = dPayoff;
        AboutToSignal();
        emit sig_payoffChanged();
    }
}

void CNodeGrapicsItem::SetNumberFormat(const NumberFormat *pFormat)
{
    numberFormat = pFormat;
    if (CPayoff2GraphicsTextItem *pPayoff2 = Payoff2Item())
        ShowPayoff2(pPayoff2, pPayoff2->Value());
    if (!payoffItem || payoffTyped)
        return;
    // Only the wording changes: the node keeps its exact value.
    const QString strText =
        numberFormat ? NumberToText(shownPayoff, *numberFormat) : NumberToText(shownPayoff);
    if (strText == shownPayoffText)
        return;
    shownPayoffText = strText;
    const bool bWasBlocked = payoffItem->blockSignals(true);
    SetPayoffText(strText);
    payoffItem->blockSignals(bWasBlocked);
    UpdatePayoffEditText();
    PlaceValueTexts();
}

void CNodeGrapicsItem::DeferValueGeometry()
{
    valueGeometryWaits = true;
    for (CQEditableGraphicsTextItem *pText :
         {static_cast<CQEditableGraphicsTextItem *>(probabilityItem), payoffItem,
          static_cast<CQEditableGraphicsTextItem *>(Payoff2Item())})
        if (pText)
            pText->DeferGeometry();
}

void CNodeGrapicsItem::CatchUpValueGeometry()
{
    if (!valueGeometryWaits)
        return;
    valueGeometryWaits = false;
    const std::initializer_list<CQEditableGraphicsTextItem *> texts = {probabilityItem, payoffItem,
                                                                       Payoff2Item()};
    if (std::none_of(texts.begin(), texts.end(), [](const CQEditableGraphicsTextItem *pText) {
            return pText && pText->SizeWaits();
        })) {
        for (CQEditableGraphicsTextItem *pText : texts)
            if (pText)
                pText->CatchUpGeometry();
        return;
    }
    const qreal dExit = ExitAnchor().x();
    for (CQEditableGraphicsTextItem *pText : texts)
        if (pText)
            pText->CatchUpGeometry();
    if (ExitAnchor().x() != dExit)
        ExitMoved();
}

void CNodeGrapicsItem::ExitMoved()
{
    emit sig_exitMoved();
    if (!signalsBlocked())
        RedrawArrows(false);
}

void CNodeGrapicsItem::SetPayoffText(const QString &strText)
{
    if (valueGeometryWaits) {
        payoffItem->setPlainText(strText);
        return;
    }
    // The arrows leave past the texts, beside the node or under it.
    const qreal dExit = ExitAnchor().x();
    payoffItem->setPlainText(strText);
    if (ExitAnchor().x() != dExit)
        ExitMoved();
}

void CNodeGrapicsItem::UpdatePayoffEditText()
{
    if (!payoffItem || !payoffItem->IsEditable())
        return;
    QString strEdit = QString::fromStdString(node->payoffFormula);
    if (strEdit.isEmpty() && numberFormat) {
        const QString strPlain = NumberToText(shownPayoff);
        if (strPlain != shownPayoffText)
            strEdit = strPlain;
    }
    if (payoffItem->EditText() != strEdit)
        payoffItem->SetEditText(strEdit);
}

bool CNodeGrapicsItem::EditNextText(const QGraphicsItem *pCurrent, bool bForward)
{
    std::vector<CQEditableGraphicsTextItem *> texts;
    for (CQEditableGraphicsTextItem *pText :
         {static_cast<CQEditableGraphicsTextItem *>(this),
          static_cast<CQEditableGraphicsTextItem *>(probabilityItem), payoffItem,
          static_cast<CQEditableGraphicsTextItem *>(Payoff2Item())})
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
        if (!signalsBlocked())
            RedrawArrows(true);
    } else if (probabilityItem && pText == probabilityItem) {
        // Half a number typed so far ("-", "1e") leaves the node at the last
        // value that read; focus-out refuses what still does not.
        if (!probabilityItem->Typed().IsNumber())
            return;
        node->probability = probabilityItem->GetProbability();
        AboutToSignal();
        emit sig_probabilityChanged();
    } else if (payoffItem && pText == payoffItem && PayoffIsInput()) {
        const QString strText = payoffItem->toPlainText();
        payoffTyped = strText != shownPayoffText;
        const CTypedNumber typed = PayoffFromText(strText);
        if (!typed.IsNumber())
            return;
        node->payoff = typed.ValueOr(node->payoff);
        AboutToSignal();
        emit sig_payoffChanged();
    }
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
    AboutToSignal();
    emit sig_numberRefused(strWhy);
}

void CNodeGrapicsItem::RefuseTyped(bool bProbability, const QString &strWhy)
{
    Refuse(bProbability ? static_cast<QGraphicsItem *>(probabilityItem) : payoffItem, strWhy);
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
        const QString strTyped = payoffItem->toPlainText();
        if (!PayoffFromText(strTyped).IsNumber()) {
            // The value shown before brings the node back to the value it had.
            payoffItem->setPlainText(shownPayoffText);
            AskForFormula(false, strTyped);
            return;
        }
        // The edit may have started from a formula, which stood for the value shown.
        dOldPayoff = PayoffFromText(strOldValue).ValueOr(shownPayoff);
    }
    refusal.clear();
    AboutToSignal();
    emit sig_focusOut(strOldName, dOldProbability, dOldPayoff);
    // "1,500" was read as 1500; show it so, as every payoff is shown.
    if (payoffItem && pSender == payoffItem && payoffTyped)
        SetPayoff(node->payoff);
}
