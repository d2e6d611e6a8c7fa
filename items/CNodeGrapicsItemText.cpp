// A node item's texts: values shown, edits written into the node, and moving
// from one text to the next.
#include "CNodeGrapicsItem.h"

#include "CNode.h"
#include "CProbabilityGraphicsTextItem.h"
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
        node->probability = probabilityItem->GetProbability();
        emit sig_probabilityChanged();
    } else if (payoffItem && pText == payoffItem) {
        const QString strText = payoffItem->toPlainText();
        payoffTyped = strText != shownPayoffText;
        node->payoff = PayoffFromText(strText);
        emit sig_payoffChanged();
    }
}

double CNodeGrapicsItem::PayoffFromText(const QString &strText) const
{
    return strText == shownPayoffText ? shownPayoff : TextToNumber(strText);
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
        dOldProbability = TextToNumber(strOldValue);
    else if (payoffItem && pSender == payoffItem)
        dOldPayoff = PayoffFromText(strOldValue);
    emit sig_focusOut(strOldName, dOldProbability, dOldPayoff);
}
