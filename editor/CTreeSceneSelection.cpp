// What the canvas tells about the nodes under the mouse and in the selection.
#include "CTreeScene.h"

#include "CNodeGrapicsItem.h"
#include "CNodeSummary.h"
#include "CProjectDocument.h"

#include <QGraphicsSceneHelpEvent>
#include <QGraphicsView>
#include <QTextDocument>
#include <QToolTip>

CNodeGrapicsItem *CTreeScene::NodeItemOf(QGraphicsItem *pItem)
{
    return pItem ? qobject_cast<CNodeGrapicsItem *>(pItem->topLevelItem()->toGraphicsObject())
                 : nullptr;
}

CNodeGrapicsItem *CTreeScene::SelectedNodeItem() const
{
    CNodeGrapicsItem *pFound = nullptr;
    const QList<QGraphicsItem *> selected = selectedItems();
    for (QGraphicsItem *pSelected : selected) {
        CNodeGrapicsItem *pItem = NodeItemOf(pSelected);
        if (!pItem || (pFound && pFound != pItem))
            return nullptr;
        pFound = pItem;
    }
    return pFound;
}

void CTreeScene::helpEvent(QGraphicsSceneHelpEvent *event)
{
    QWidget *pViewport = event->widget();
    auto *pView = pViewport ? qobject_cast<QGraphicsView *>(pViewport->parentWidget()) : nullptr;
    if (!pView) {
        QGraphicsScene::helpEvent(event);
        return;
    }
    const QPoint pntAt = pViewport->mapFromGlobal(event->screenPos());
    for (QGraphicsItem *pPart : pView->items(pntAt)) {
        CNodeGrapicsItem *pItem = NodeItemOf(pPart);
        QString strTip = pItem ? pItem->ToolTipFor(pPart) : QString();
        if (!strTip.isEmpty())
            strTip += CNodeSummary::RiskNote(pItem->GetNode(), document.GetSettings().rule,
                                             document.GetSettings().numbers) +
                      CNodeSummary::CriteriaNote(pItem->GetNode(), document.GetSettings().criteria);
        if (strTip.isEmpty())
            continue;
        // Shown until the mouse leaves the part that it is about.
        const QRect rect = pView->mapFromScene(pPart->sceneBoundingRect()).boundingRect();
        QToolTip::showText(event->screenPos(), Qt::convertFromPlainText(strTip), pViewport, rect);
        event->accept();
        return;
    }
    QToolTip::hideText();
    event->ignore();
}
