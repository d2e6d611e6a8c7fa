// Arranging the tree, zooming, keeping the view steady, and the picture of
// the whole tree.
#include "CArrangeCommand.h"
#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CQGraphicsArrowLineItem.h"
#include "CTreePicture.h"
#include "CTreeScene.h"

#include <QGraphicsScene>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// One press of Zoom In or one notch of the wheel.
constexpr double ZoomStep = 1.25;
// Where the start of the tree shows, in pixels from the viewport's edges.
constexpr double StartMargin = 20.0;

bool SamePlace(const NodePosition &a, const NodePosition &b)
{
    return a.pos == b.pos && a.x == b.x && a.y == b.y;
}

} // namespace

void CDecisionTreeWindow::ArrangeTree()
{
    FinishEditing();
    std::vector<NodePosition> before = CurrentPositions();
    std::vector<NodePosition> after = treeScene->ArrangedPositions();
    if (after.size() != before.size() ||
        std::equal(before.begin(), before.end(), after.begin(), SamePlace))
        return;
    NoteActedNode(document.GetRoot());
    undoStack.push(new CArrangeCommand(this, std::move(before), std::move(after)));
}

bool CDecisionTreeWindow::ArrangeInPlace()
{
    const std::vector<NodePosition> before = CurrentPositions();
    const std::vector<NodePosition> after = treeScene->ArrangedPositions();
    if (after.size() != before.size() ||
        std::equal(before.begin(), before.end(), after.begin(), SamePlace))
        return false;
    ApplyPositions(after);
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
    UpdateSceneRect();
}

void CDecisionTreeWindow::OnHistoryStep()
{
    showStart = false;
    // A Terminal made afresh or a renamed node changes the outlines: the whole
    // tree is arranged again, after undo and redo as after the edit itself.
    if (arrangeAutomatically)
        ArrangeInPlace();
    KeepActedNodeInPlace();
}

void CDecisionTreeWindow::NoteActedNode(CNode *pNode)
{
    const CNodeGrapicsItem *pItem = GetItem(pNode);
    if (actedNode || !pItem)
        return;
    actedNode = pNode;
    actedAt = viewportTransform().map(pItem->pos());
}

void CDecisionTreeWindow::KeepActedNodeInPlace()
{
    if (const CNodeGrapicsItem *pItem = GetItem(actedNode))
        KeepOnScreen(pItem->pos(), actedAt);
    else
        UpdateSceneRect();
    actedNode = nullptr;
}

void CDecisionTreeWindow::UpdateSceneRect()
{
    const QRectF visible = mapToScene(viewport()->rect()).boundingRect();
    // Half a screen of room round the tree lets it be scrolled near any edge.
    const double dWidth = visible.width() / 2;
    const double dHeight = visible.height() / 2;
    setSceneRect(scene()->sceneRect().adjusted(-dWidth, -dHeight, dWidth, dHeight) | visible);
}

void CDecisionTreeWindow::KeepOnScreen(QPointF pntScene, QPointF pntViewport)
{
    UpdateSceneRect();
    // The scroll area must reach over what will be on screen, or the scroll
    // bars stop short and the point lands elsewhere.
    const QPointF shift = pntScene - viewportTransform().inverted().map(pntViewport);
    setSceneRect(sceneRect() | mapToScene(viewport()->rect()).boundingRect().translated(shift));
    const QPointF offset = viewportTransform().map(pntScene) - pntViewport;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + qRound(offset.x()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + qRound(offset.y()));
}

void CDecisionTreeWindow::ShowTreeStart()
{
    const QRectF rect = scene()->itemsBoundingRect();
    if (!showStart || rect.isEmpty())
        return;
    const QSizeF viewport = QSizeF(this->viewport()->size()) / zoom;
    const double dMargin = StartMargin / zoom;
    // The left end of the tree, and all of its height if that fits.
    const double dY = rect.height() + 2 * dMargin <= viewport.height()
                          ? rect.center().y() - viewport.height() / 2
                          : rect.top() - dMargin;
    KeepOnScreen(QPointF(rect.left() - dMargin, dY), QPointF(0, 0));
}

void CDecisionTreeWindow::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    UpdateSceneRect();
    ShowTreeStart();
}

void CDecisionTreeWindow::showEvent(QShowEvent *event)
{
    QGraphicsView::showEvent(event);
    UpdateSceneRect();
    ShowTreeStart();
}

void CDecisionTreeWindow::mousePressEvent(QMouseEvent *event)
{
    showStart = false;
    QGraphicsView::mousePressEvent(event);
}

void CDecisionTreeWindow::wheelEvent(QWheelEvent *event)
{
    showStart = false;
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    const double dNotches = event->angleDelta().y() / 120.0;
    SetZoom(zoom * std::pow(ZoomStep, dNotches), event->position());
    event->accept();
}

void CDecisionTreeWindow::SetZoom(double dZoom, QPointF pntViewport)
{
    if (!std::isfinite(dZoom))
        return;
    showStart = false;
    const QPointF pntScene = viewportTransform().inverted().map(pntViewport);
    zoom = std::clamp(dZoom, MinZoom, MaxZoom);
    setTransform(QTransform::fromScale(zoom, zoom));
    KeepOnScreen(pntScene, pntViewport);
    emit sig_zoomChanged(zoom);
}

void CDecisionTreeWindow::ZoomIn()
{
    SetZoom(zoom * ZoomStep, QRectF(viewport()->rect()).center());
}

void CDecisionTreeWindow::ZoomOut()
{
    SetZoom(zoom / ZoomStep, QRectF(viewport()->rect()).center());
}

void CDecisionTreeWindow::ActualSize()
{
    SetZoom(1.0, QRectF(viewport()->rect()).center());
}

void CDecisionTreeWindow::FitTree()
{
    const QRectF rect = CTreePicture::Rect(*treeScene);
    if (rect.isEmpty())
        return;
    const QPointF centre = QRectF(viewport()->rect()).center();
    SetZoom(std::min(viewport()->width() / rect.width(), viewport()->height() / rect.height()),
            centre);
    KeepOnScreen(rect.center(), centre);
}
