#include "CChartExport.h"

#include <QChartView>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWidget>

namespace {

constexpr int Margin = 10;
constexpr int TextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

QFont TitleFont(const QWidget *pView)
{
    QFont font = pView->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    return font;
}

} // namespace

CChartExport::CChartExport(QtCharts::QChartView *pView, const QString &strTitle,
                           const QStringList &lines, QWidget *pLegend)
    : view(pView), legend(pLegend), title(strTitle), text(lines.join(QLatin1Char('\n')))
{
}

int CChartExport::LegendHeight() const
{
    if (!legend)
        return 0;
    // Wrapped to the chart's width, as tall as its names need.
    const int nHeight = legend->hasHeightForWidth() ? legend->heightForWidth(view->width())
                                                    : legend->sizeHint().height();
    return nHeight + Margin;
}

QRect CChartExport::TitleRect() const
{
    // Texts wrap to the chart's width; a long option name or a list of many
    // break-even points makes the picture taller, never cut.
    const QRect bounds(Margin, Margin, view->width() - 2 * Margin, 100000);
    return QFontMetrics(TitleFont(view)).boundingRect(bounds, TextFlags, title);
}

QRect CChartExport::LinesRect() const
{
    const int nTop = TitleRect().bottom() + Margin + view->height() + LegendHeight() + Margin;
    if (text.isEmpty())
        return QRect(Margin, nTop, 0, 0);
    const QRect bounds(Margin, nTop, view->width() - 2 * Margin, 100000);
    return QFontMetrics(view->font()).boundingRect(bounds, TextFlags, text);
}

QSize CChartExport::Size() const
{
    return QSize(view->width(), LinesRect().bottom() + Margin);
}

void CChartExport::Paint(QPainter *pPainter) const
{
    pPainter->fillRect(QRect(QPoint(0, 0), Size()), Qt::white);
    pPainter->setPen(Qt::black);
    pPainter->setFont(TitleFont(view));
    pPainter->drawText(TitleRect(), TextFlags, title);
    const int nChartTop = TitleRect().bottom() + Margin;
    view->render(pPainter, QRectF(QPointF(0, nChartTop), view->size()));
    if (legend) {
        const QSize size(view->width(), LegendHeight() - Margin);
        const QSize shown = legend->size();
        legend->resize(size);
        legend->render(pPainter, QPoint(0, nChartTop + view->height() + Margin), QRegion(),
                       QWidget::DrawChildren);
        legend->resize(shown);
    }
    pPainter->setFont(view->font());
    pPainter->drawText(LinesRect(), TextFlags, text);
}

bool CChartExport::Save(const QString &strPath, QString *pError) const
{
    // Written through a save file, so that a failed save leaves an earlier
    // file as it was.
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly)) {
        *pError = tr("\"%1\" could not be opened for writing: %2").arg(strPath, file.errorString());
        return false;
    }
    const QSize size = Size();
    if (strPath.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator generator;
        // At the screen's resolution texts keep their size beside the lines
        // and boxes; at the generator's own 72 dpi they shrink.
        generator.setResolution(view->logicalDpiY());
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(title);
        QPainter painter;
        if (!painter.begin(&generator)) {
            *pError = tr("\"%1\" could not be drawn.").arg(strPath);
            file.cancelWriting();
            return false;
        }
        Paint(&painter);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        Paint(&painter);
        painter.end();
        if (image.isNull() || !image.save(&file, "PNG")) {
            *pError = tr("\"%1\" could not be written as an image.").arg(strPath);
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        *pError = tr("\"%1\" could not be written: %2").arg(strPath, file.errorString());
        return false;
    }
    return true;
}
