#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>

class CNode;
class CTreeScene;
class QGraphicsView;

// Where a view on a tree stands: its zoom, a scroll area that reaches over
// the tree and over what is on screen, the start of the tree shown until the
// user moves, and the node acted on kept at its place on screen while the
// tree changes round it.
class CViewPlacement
{
public:
    // Zoom levels are kept between 5 % and 800 %.
    static constexpr double MinZoom = 0.05;
    static constexpr double MaxZoom = 8.0;
    // One press of Zoom In or one notch of the wheel.
    static constexpr double ZoomStep = 1.25;

    CViewPlacement(QGraphicsView &view, const CTreeScene &scene);

    double Zoom() const { return zoom; }
    // Zooms about a point of the viewport, which keeps its place on screen;
    // false when dZoom is no number to zoom to.
    bool SetZoom(double dZoom, QPointF pntViewport);
    // Zooms so that rect fills the viewport, centred; false for an empty rect.
    bool Fit(const QRectF &rect);

    // Shows the start of the tree from now on until the user scrolls, zooms
    // or edits.
    void ShowStart();
    void StopShowingStart() { showStart = false; }
    // After the viewport changed its size or showed.
    void ViewportChanged();

    // Remembers where on screen pNode stands, unless a node is remembered
    // already; the view keeps it there when the tree has changed round it.
    void NoteActedNode(const CNode *pNode);
    void KeepActedNodeInPlace();
    void ForgetActedNode() { actedNode = nullptr; }

    // The scroll area always reaches over the tree and over what is on
    // screen now: the view never jumps when the tree grows or shrinks.
    void UpdateSceneRect();

private:
    void KeepOnScreen(QPointF pntScene, QPointF pntViewport);
    // The same within the scroll area as it stands.
    void Scroll(QPointF pntScene, QPointF pntViewport);
    void ShowTreeStart();

    QGraphicsView &view;
    const CTreeScene &scene;
    double zoom = 1.0;
    const CNode *actedNode = nullptr;
    QPointF actedAt;
    bool showStart = false;
    // The viewport's size when the start was last shown.
    QSize placedFor;
};
