#include <QGuiApplication>
#include <QScreen>
#include <qpa/qwindowsysteminterface.h>

// Declared in GuiTest.h, which needs the editor; this part needs only Qt.
void ReleaseOffscreenScreens()
{
    // Other platforms release their screens themselves; doing it twice would
    // free them twice.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        return;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *pScreen : screens)
        QWindowSystemInterface::handleScreenRemoved(pScreen->handle());
}
