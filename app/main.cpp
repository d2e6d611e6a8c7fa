#include "CCommandLine.h"
#include "CRamify.h"
#include "CRecoveryStore.h"
#include "RamifyResources.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include <cstdio>

namespace {

// Qt 5.15's offscreen platform, used for pictures, never releases its screen
// when the application object goes; hand it back so that a leak checker
// sees a clean exit. Other platforms release their screens themselves.
int ReleasingOffscreenScreens(int nStatus)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QScreen *> screens = QGuiApplication::screens();
        for (QScreen *pScreen : screens)
            QWindowSystemInterface::handleScreenRemoved(pScreen->handle());
    }
    return nStatus;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Help, version and pictures need no display: decided before Qt looks for one.
    const CCommandLine early = CCommandLine::Parse(arguments);
    if (early.mode == CCommandLine::Help || early.mode == CCommandLine::Version) {
        const QString strText = early.mode == CCommandLine::Help ? CCommandLine::HelpText()
                                                                 : CCommandLine::VersionText();
        std::fputs(qPrintable(strText), stdout);
        return 0;
    }
    if (CCommandLine::AsksForExport(arguments))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    // Where the program's own choices (recent files and the like) are kept.
    QCoreApplication::setOrganizationName(QStringLiteral("Ramify"));
    QCoreApplication::setApplicationName(QStringLiteral("Ramify"));
    InitRamifyResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/Ramify/Resources/image/arrow.png")));
    // Qt's own options (-platform, -style...) are gone from these.
    const CCommandLine request = CCommandLine::Parse(QCoreApplication::arguments());
    if (request.mode == CCommandLine::UsageError) {
        std::fprintf(stderr, "ramify: %s\nTry 'ramify --help'.\n", qPrintable(request.error));
        return ReleasingOffscreenScreens(2);
    }
    if (request.mode == CCommandLine::Export)
        return ReleasingOffscreenScreens(request.RunExport());

    CRamify window;
    window.show();
    window.StartRecovery(CRecoveryStore::DefaultFolder());
    // Opened once the window is up, so that a message about a file that
    // cannot be read shows over it.
    QTimer::singleShot(0, &window, [&window, files = request.files] {
        for (const QString &strPath : files)
            window.OpenProject(strPath);
    });
    return QApplication::exec();
}
