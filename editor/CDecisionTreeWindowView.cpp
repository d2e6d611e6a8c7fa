// Arranging the tree, zooming, and keeping the view steady.
#include "CArrangeCommand.h"
#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CQGraphicsArrowLineItem.h"
#include "CTreePicture.h"
#include "CTreeScene.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

bool SamePlace(const NodePlacement &a, const NodePlacement &b)
{
    return a.x == b.x && a.y == b.y;
}

} // namespace

bool CDecisionTreeWindow::ArrangementMoves(std::vector<NodePlacement> &before,
                                           std::vector<NodePlacement> &after) const
{
    before = CTreeArranger::Placed(document.GetRoot());
    after = treeScene->ArrangedPositions();
    return after.size() == before.size() &&
           !std::equal(before.begin(), before.end(), after.begin(), SamePlace);
}

void CDecisionTreeWindow::ArrangeTree()
{
    FinishEditing();
    std::vector<NodePlacement> before, after;
    if (!ArrangementMoves(before, after))
        return;
    placement.NoteActedNode(document.GetRoot());
    undoStack.push(new CArrangeCommand(document, document.GetRoot(), before, after));
}

bool CDecisionTreeWindow::ArrangeInPlace()
{
    std::vector<NodePlacement> before, after;
    if (!ArrangementMoves(before, after))
        return false;
    document.SetPositions(after);
    return true;
}

void CDecisionTreeWindow::SetArrangeAutomatically(bool bOn)
{
    if (bOn == arrangeAutomatically)
        return;
    arrangeAutomatically = bOn;
    // The nodes move to their new places: the project no longer matches its file.
    if (bOn && ArrangeInPlace())
        MarkModified();
    placement.UpdateSceneRect();
}

void CDecisionTreeWindow::OnHistoryStep()
{
    placement.StopShowingStart();
    // A Terminal made afresh or a renamed node changes the outlines: the whole
    // tree is arranged again, after undo and redo as after the edit itself.
    if (arrangeAutomatically)
        ArrangeInPlace();
    placement.KeepActedNodeInPlace();
}

void CDecisionTreeWindow::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    placement.ViewportChanged();
}

void CDecisionTreeWindow::showEvent(QShowEvent *event)
{
    QGraphicsView::showEvent(event);
    placement.ViewportChanged();
}

void CDecisionTreeWindow::drawBackground(QPainter *painter, const QRectF &rect)
{
    QGraphicsView::drawBackground(painter, rect);
    // The raster engine strokes and fills shapes several times faster inside
    // a clip rectangle than with none, the widget's own region not counting:
    // on a large tree the arrows alone took a third of a repaint. The clip
    // is the area repainted, so nothing drawn changes.
    painter->setClipRect(rect, Qt::IntersectClip);
}

void CDecisionTreeWindow::mousePressEvent(QMouseEvent *event)
{
    placement.StopShowingStart();
    QGraphicsView::mousePressEvent(event);
}

void CDecisionTreeWindow::wheelEvent(QWheelEvent *event)
{
    placement.StopShowingStart();
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    const double dNotches = event->angleDelta().y() / 120.0;
    SetZoom(GetZoom() * std::pow(CViewPlacement::ZoomStep, dNotches), event->position());
    event->accept();
}

void CDecisionTreeWindow::SetZoom(double dZoom, QPointF pntViewport)
{
    if (placement.SetZoom(dZoom, pntViewport))
        emit sig_zoomChanged(placement.Zoom());
}

void CDecisionTreeWindow::ZoomIn()
{
    SetZoom(GetZoom() * CViewPlacement::ZoomStep, QRectF(viewport()->rect()).center());
}

void CDecisionTreeWindow::ZoomOut()
{
    SetZoom(GetZoom() / CViewPlacement::ZoomStep, QRectF(viewport()->rect()).center());
}

void CDecisionTreeWindow::ActualSize()
{
    SetZoom(1.0, QRectF(viewport()->rect()).center());
}

void CDecisionTreeWindow::FitTree()
{
    if (placement.Fit(CTreePicture::Rect(*treeScene)))
        emit sig_zoomChanged(placement.Zoom());
}
