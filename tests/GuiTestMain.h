#pragma once

#include <QApplication>
#include <QtTest>

// Qt 5.15's offscreen platform never releases its screen when the application
// object goes, which the leak checker rightly reports. GUI tests therefore end
// through this main, which hands the screens back before QApplication dies.
void ReleaseOffscreenScreens();

#define RAMIFY_GUI_TEST_MAIN(TestObject)                                                           \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        int nResult = 0;                                                                           \
        {                                                                                          \
            TestObject testObject;                                                                 \
            QTEST_SET_MAIN_SOURCE_PATH                                                             \
            nResult = QTest::qExec(&testObject, argc, argv);                                       \
        }                                                                                          \
        ReleaseOffscreenScreens();                                                                 \
        return nResult;                                                                            \
    }
