#include "CViewPlacement.h"

#include "CNodeGrapicsItem.h"
#include "CTreeScene.h"

#include <QGraphicsView>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// Where the start of the tree shows, in pixels from the viewport's edges.
constexpr double StartMargin = 20.0;

} // namespace

CViewPlacement::CViewPlacement(QGraphicsView &graphicsView, const CTreeScene &treeScene)
    : view(graphicsView), scene(treeScene)
{
}

bool CViewPlacement::SetZoom(double dZoom, QPointF pntViewport)
{
    if (!std::isfinite(dZoom))
        return false;
    showStart = false;
    const QPointF pntScene = view.viewportTransform().inverted().map(pntViewport);
    zoom = std::clamp(dZoom, MinZoom, MaxZoom);
    view.setTransform(QTransform::fromScale(zoom, zoom));
    KeepOnScreen(pntScene, pntViewport);
    return true;
}

bool CViewPlacement::Fit(const QRectF &rect)
{
    if (rect.isEmpty())
        return false;
    const QWidget *pViewport = view.viewport();
    const QPointF centre = QRectF(pViewport->rect()).center();
    SetZoom(std::min(pViewport->width() / rect.width(), pViewport->height() / rect.height()),
            centre);
    KeepOnScreen(rect.center(), centre);
    return true;
}

void CViewPlacement::ShowStart()
{
    actedNode = nullptr;
    showStart = true;
    placedFor = QSize();
    // Finding the tree's extent looks at every item; a view not yet on screen
    // does it once it shows, at the size it shows at.
    if (view.isVisible())
        ShowTreeStart();
}

void CViewPlacement::ViewportChanged()
{
    UpdateSceneRect();
    // Showing again at the same size finds the start where it was left.
    if (view.viewport()->size() != placedFor)
        ShowTreeStart();
}

void CViewPlacement::NoteActedNode(const CNode *pNode)
{
    const CNodeGrapicsItem *pItem = scene.GetItem(pNode);
    if (actedNode || !pItem)
        return;
    actedNode = pNode;
    actedAt = view.viewportTransform().map(pItem->pos());
}

void CViewPlacement::KeepActedNodeInPlace()
{
    // Asking the scene for its rectangle here, right after an edit, would
    // have Qt measure every item again (tens of milliseconds on a large
    // tree); it measures only the changed ones as it turns to repaint, and
    // says so through sceneRectChanged, which widens the view then.
    if (const CNodeGrapicsItem *pItem = scene.GetItem(actedNode))
        Scroll(pItem->pos(), actedAt);
    actedNode = nullptr;
}

void CViewPlacement::UpdateSceneRect()
{
    const QRectF visible = view.mapToScene(view.viewport()->rect()).boundingRect();
    // Half a screen of room round the tree lets it be scrolled near any edge.
    const double dWidth = visible.width() / 2;
    const double dHeight = visible.height() / 2;
    view.setSceneRect(scene.sceneRect().adjusted(-dWidth, -dHeight, dWidth, dHeight) | visible);
}

void CViewPlacement::KeepOnScreen(QPointF pntScene, QPointF pntViewport)
{
    UpdateSceneRect();
    Scroll(pntScene, pntViewport);
}

void CViewPlacement::Scroll(QPointF pntScene, QPointF pntViewport)
{
    // The scroll area must reach over what will be on screen, or the scroll
    // bars stop short and the point lands elsewhere.
    const QPointF shift = pntScene - view.viewportTransform().inverted().map(pntViewport);
    view.setSceneRect(view.sceneRect() |
                      view.mapToScene(view.viewport()->rect()).boundingRect().translated(shift));
    const QPointF offset = view.viewportTransform().map(pntScene) - pntViewport;
    QScrollBar *pHorizontal = view.horizontalScrollBar();
    QScrollBar *pVertical = view.verticalScrollBar();
    pHorizontal->setValue(pHorizontal->value() + qRound(offset.x()));
    pVertical->setValue(pVertical->value() + qRound(offset.y()));
}

void CViewPlacement::ShowTreeStart()
{
    if (!showStart)
        return;
    placedFor = view.viewport()->size();
    const QRectF rect = scene.itemsBoundingRect();
    if (rect.isEmpty())
        return;
    const QSizeF viewport = QSizeF(view.viewport()->size()) / zoom;
    const double dMargin = StartMargin / zoom;
    // The left end of the tree, and all of its height if that fits, else
    // its top; but never the empty corner above the Root of a tall tree,
    // which opened as a blank canvas: then the Root, centred.
    double dY = rect.center().y() - viewport.height() / 2;
    if (rect.height() + 2 * dMargin > viewport.height()) {
        dY = rect.top() - dMargin;
        const CNodeGrapicsItem *pRoot = scene.RootItem();
        const QRectF root = pRoot ? pRoot->sceneBoundingRect() : QRectF();
        if (pRoot && root.bottom() + dMargin > dY + viewport.height())
            dY = root.center().y() - viewport.height() / 2;
    }
    KeepOnScreen(QPointF(rect.left() - dMargin, dY), QPointF(0, 0));
}
