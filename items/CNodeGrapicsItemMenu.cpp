// A node item's context menu and tool tips.
#include "CNodeGrapicsItem.h"

#include "CEditRules.h"
#include "CNode.h"
#include "CNodeSummary.h"
#include "CPayoff2GraphicsTextItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "ContextAction.h"

#include <QAction>
#include <QGraphicsSceneContextMenuEvent>

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
        {ActionSecondPayoff, QT_TR_NOOP("Second Payoff...")},
        {ActionSensitivity, QT_TR_NOOP("Sensitivity...")},
        {ActionFlip, QT_TR_NOOP("Flip Uncertainties")},
        {ActionFold, QT_TR_NOOP("Fold")},
        {ActionUnfold, QT_TR_NOOP("Unfold")},
    };
    for (const auto &entry : entries) {
        QAction *pAction = menu->addAction(tr(entry.pText));
        pAction->setProperty("type", entry.nCode);
        connect(pAction, &QAction::triggered, this, &CNodeGrapicsItem::OnContextMenu);
        // Building, clipboard and comment, the entries that look at or turn
        // around the uncertainties, then what shows.
        if (entry.nCode == ActionAddOption || entry.nCode == ActionSecondPayoff ||
            entry.nCode == ActionFlip)
            menu->addSeparator();
    }
}

QMenu *CNodeGrapicsItem::GetMenu()
{
    // The menu tells the window as it shows, whoever pops it up.
    AboutToSignal();
    FillMenu();
    if (!menu)
        menu = std::make_unique<QMenu>();
    return menu.get();
}

void CNodeGrapicsItem::OnContextMenu()
{
    const auto *pAction = qobject_cast<const QAction *>(sender());
    if (!pAction)
        return;
    AboutToSignal();
    emit sig_contextMenu(this, pAction->property("type").toInt());
}

void CNodeGrapicsItem::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    AboutToSignal();
    FillMenu();
    // Without a node there are no rules; an empty menu would pop up as a blank box.
    if (!node || !menu || menu->isEmpty())
        return;
    for (QAction *pAction : menu->actions())
        if (!pAction->isSeparator())
            pAction->setEnabled(CEditRules::Offers(pAction->property("type").toInt(), node));
    menu->exec(event->screenPos());
}

QString CNodeGrapicsItem::ToolTipFor(const QGraphicsItem *pPart) const
{
    if (!node)
        return QString();
    if (errorItem && pPart == errorItem)
        return CNodeSummary::ProbabilityProblem(node->parent);
    if (!refusal.isEmpty() && pPart == refusedText)
        return refusal;
    if (!payoffProblem.isEmpty() && pPart == payoffItem)
        return payoffProblem;
    if (!probabilityProblem.isEmpty() && pPart == probabilityItem)
        return probabilityProblem;
    const CPayoff2GraphicsTextItem *pPayoff2 = Payoff2Item();
    if (pPayoff2 && pPart == pPayoff2 && !pPayoff2->Problem().isEmpty())
        return pPayoff2->Problem();
    QString strTip = CNodeSummary::Describe(node, numberFormat);
    if (!node->payoffComment.empty())
        strTip += QLatin1Char('\n') + QString::fromStdString(node->payoffComment);
    // The canvas shows a formula's value; the formula itself is told here.
    if (!node->payoffFormula.empty())
        strTip +=
            QLatin1Char('\n') + tr("Payoff = %1").arg(QString::fromStdString(node->payoffFormula));
    if (pPayoff2 && pPayoff2->IsEditable() && !node->payoff2Formula.empty())
        strTip += QLatin1Char('\n') +
                  tr("Second payoff = %1").arg(QString::fromStdString(node->payoff2Formula));
    if (!node->probabilityFormula.empty())
        strTip += QLatin1Char('\n') +
                  tr("Probability = %1").arg(QString::fromStdString(node->probabilityFormula));
    return strTip;
}
