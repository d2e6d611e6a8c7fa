// A node item's second number, in a project of two criteria.
#include "CNodeGrapicsItem.h"

#include "CNode.h"
#include "CPayoff2GraphicsTextItem.h"

void CNodeGrapicsItem::ShowSecondPayoff(bool bOn)
{
    CPayoff2GraphicsTextItem *pText = Payoff2Item();
    if (!payoffItem || bOn == (pText != nullptr))
        return;
    const qreal dExit = ExitAnchor().x();
    if (bOn) {
        // Typed on an option only, as the first payoff is. Blue, where the
        // first is black, and greyish blue under a grey value: the two
        // criteria are told apart at a glance.
        const bool bValue = NodeType::IsOwner(node->type);
        pText = new CPayoff2GraphicsTextItem(payoffItem, PayoffIsInput(),
                                             bValue ? QColor(100, 110, 190) : QColor(0, 0, 170));
        payoff2Item = pText;
        if (valueGeometryWaits)
            pText->DeferGeometry();
        if (pText->IsEditable())
            connect(pText, &CQEditableGraphicsTextItem::sig_focusOut, this, [this, pText] {
                // Whatever becomes of this text, an earlier refusal is no longer the news.
                refusal.clear();
                AboutToSignal();
                emit sig_payoff2Typed(pText->TakeTyped());
            });
        ShowPayoff2(pText, node->type == NodeType::Option ? node->payoff2 : node->expected2);
        PlaceValueTexts();
    } else {
        if (refusedText == pText)
            refusedText = nullptr;
        // Gone with its edit: what was typed is no step to take.
        pText->disconnect(this);
        payoff2Item = nullptr;
        delete pText;
    }
    if (ExitAnchor().x() != dExit)
        ExitMoved();
}

void CNodeGrapicsItem::SetPayoff2(double dValue)
{
    CPayoff2GraphicsTextItem *pText = Payoff2Item();
    if (!pText || dValue == pText->Value())
        return;
    if (valueGeometryWaits) {
        ShowPayoff2(pText, dValue);
        return;
    }
    // The arrows leave past the texts.
    const qreal dExit = ExitAnchor().x();
    ShowPayoff2(pText, dValue);
    if (ExitAnchor().x() != dExit)
        ExitMoved();
}

void CNodeGrapicsItem::ShowPayoff2(CPayoff2GraphicsTextItem *pText, double dValue)
{
    pText->Show(dValue, numberFormat,
                pText->IsEditable() ? QString::fromStdString(node->payoff2Formula) : QString());
}

void CNodeGrapicsItem::RefuseTypedPayoff2(const QString &strWhy)
{
    Refuse(Payoff2Item(), strWhy);
}
