#pragma once

#include <QtTest>

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTimer>

#include <optional>

Q_DECLARE_METATYPE(std::optional<QList<int>>)

namespace QTest {
// Lets a failed comparison of menu states show both sides.
template <> inline char *toString(const std::optional<QList<int>> &codes)
{
    if (!codes)
        return qstrdup("no menu");
    QStringList texts;
    for (int nCode : *codes)
        texts << QString::number(nCode);
    return qstrdup(qPrintable("{" + texts.join(", ") + "}"));
}
} // namespace QTest

// A shown, active view on a scene, so that items can take keyboard focus and
// be driven with mouse and key events at scene points.
struct ItemCanvas
{
    QGraphicsScene scene{0, 0, 600, 400};
    QGraphicsView view{&scene};
    // Something to click that is not a text: it takes the mouse, never the focus.
    QGraphicsRectItem *elsewhere = nullptr;

    bool Show()
    {
        elsewhere = scene.addRect(570, 370, 20, 20);
        elsewhere->setFlag(QGraphicsItem::ItemIsSelectable);
        view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        view.resize(640, 440);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return false;
        QApplication::setActiveWindow(&view);
        view.setFocus();
        return QTest::qWaitForWindowActive(&view) && scene.isActive();
    }

    QPoint At(const QGraphicsItem *pItem) const
    {
        return view.mapFromScene(pItem->sceneBoundingRect().center());
    }

    void DoubleClick(const QGraphicsItem *pItem)
    {
        const QPoint pnt = At(pItem);
        QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, pnt);
    }

    void ClickElsewhere()
    {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, At(elsewhere));
    }

    // A move with the left button held. QTest's own mouseMove on a widget only
    // places the cursor, which the offscreen platform never turns into events.
    void DragTo(const QPoint &pnt)
    {
        QMouseEvent move(QEvent::MouseMove, pnt, view.viewport()->mapToGlobal(pnt), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
    }

    void Type(const QString &text) { QTest::keyClicks(&view, text); }
    void Key(Qt::Key key) { QTest::keyClick(&view, key); }

    // Sends a context-menu request to the item's middle. The item's menu, if it
    // pops up, is read and closed from a zero-delay timer; returns the codes of
    // the enabled entries, or nothing when no menu showed.
    std::optional<QList<int>> ContextMenu(const QGraphicsItem *pItem)
    {
        std::optional<QList<int>> enabled;
        QTimer answer;
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, [&enabled] {
            auto *pMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!pMenu)
                return;
            enabled.emplace();
            for (const QAction *pAction : pMenu->actions())
                if (!pAction->isSeparator() && pAction->isEnabled())
                    enabled->append(pAction->property("type").toInt());
            pMenu->close();
        });
        answer.start(0);
        const QPoint pnt = At(pItem);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pnt, view.viewport()->mapToGlobal(pnt));
        QApplication::sendEvent(view.viewport(), &event);
        QCoreApplication::processEvents();
        return enabled;
    }
};

// Renders a scene region 1:1 onto white.
inline QImage RenderScene(QGraphicsScene &scene, const QRect &region)
{
    QImage image(region.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    scene.render(&painter, QRectF(image.rect()), QRectF(region));
    painter.end();
    return image;
}
