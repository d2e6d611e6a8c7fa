#include "CChartExport.h"

#include <QChartView>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QSvgGenerator>

bool CChartExport::Save(QtCharts::QChartView *pView, const QString &strPath, QString *pError)
{
    // Written through a save file, so that a failed save leaves an earlier
    // file as it was.
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly)) {
        *pError = tr("\"%1\" could not be opened for writing: %2").arg(strPath, file.errorString());
        return false;
    }
    if (strPath.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(pView->size());
        generator.setViewBox(pView->rect());
        generator.setTitle(pView->chart() ? pView->chart()->title() : QString());
        QPainter painter;
        if (!painter.begin(&generator)) {
            *pError = tr("\"%1\" could not be drawn.").arg(strPath);
            file.cancelWriting();
            return false;
        }
        pView->render(&painter);
        painter.end();
    } else if (!pView->grab().save(&file, "PNG")) {
        *pError = tr("\"%1\" could not be written as an image.").arg(strPath);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *pError = tr("\"%1\" could not be written: %2").arg(strPath, file.errorString());
        return false;
    }
    return true;
}
