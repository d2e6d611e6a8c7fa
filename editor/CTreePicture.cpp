#include "CTreePicture.h"

#include "CNodeGrapicsItem.h"
#include "CTreeScene.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

// A tree of thousands of nodes is tens of thousands of pixels long. Images
// stay below these bounds (about 400 MB) and get a smaller scale instead.
constexpr double MaxImageSide = 30000.0;
constexpr double MaxImagePixels = 100e6;
// PDF readers refuse pages longer than 200 inches.
constexpr double MaxPdfSide = 14400.0;
// Room round the tree in a picture of it.
constexpr double PictureMargin = 20.0;

QString Suffix(const QString &strPath)
{
    return QFileInfo(strPath).suffix().toLower();
}

} // namespace

bool CTreePicture::HasKnownSuffix(const QString &strPath)
{
    const QString strSuffix = Suffix(strPath);
    return strSuffix == QLatin1String("png") || strSuffix == QLatin1String("svg") ||
           strSuffix == QLatin1String("pdf");
}

int CTreePicture::ScreenResolution()
{
    // A new image has the resolution font metrics without a device use,
    // which is the one the canvas measures its texts at.
    return QImage(1, 1, QImage::Format_RGB32).logicalDpiY();
}

QRectF CTreePicture::Rect(const CTreeScene &scene)
{
    QRectF rect;
    for (const auto &[pNode, pItem] : scene.Items())
        if (pItem->isVisible())
            rect |= scene.ExtentOf(pNode).box.translated(pItem->pos());
    if (rect.isEmpty())
        return rect;
    return rect.adjusted(-PictureMargin, -PictureMargin, PictureMargin, PictureMargin);
}

void CTreePicture::Render(CTreeScene &scene, QPainter *pPainter, const QRectF &target)
{
    if (scene.focusItem())
        scene.clearFocus();
    const QList<QGraphicsItem *> selected = scene.selectedItems();
    scene.clearSelection();
    pPainter->fillRect(target, Qt::white);
    scene.render(pPainter, target, Rect(scene), Qt::KeepAspectRatio);
    for (QGraphicsItem *pItem : selected)
        pItem->setSelected(true);
}

QImage CTreePicture::Image(CTreeScene &scene, double dScale)
{
    const QRectF source = Rect(scene);
    if (source.isEmpty())
        return QImage();
    const double dWidth = source.width(), dHeight = source.height();
    dScale = std::min({dScale, MaxImageSide / dWidth, MaxImageSide / dHeight,
                       std::sqrt(MaxImagePixels / (dWidth * dHeight))});
    QImage image(std::max(1, int(std::ceil(dWidth * dScale))),
                 std::max(1, int(std::ceil(dHeight * dScale))), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    Render(scene, &painter, QRectF(QPointF(0, 0), image.size()));
    return image;
}

bool CTreePicture::Write(CTreeScene &scene, const QString &strTitle, const QString &strPath,
                         QString *pStrError)
{
    auto fail = [&](const QString &strWhy) {
        if (pStrError)
            *pStrError = tr("Could not write the picture \"%1\": %2").arg(strPath, strWhy);
        return false;
    };
    const QString strSuffix = Suffix(strPath);
    if (!HasKnownSuffix(strPath))
        return fail(tr("the name must end in .png, .svg or .pdf."));
    const QRectF source = Rect(scene);
    if (source.isEmpty())
        return fail(tr("there is no tree to show."));
    // Written aside and put in place at the end: a failed export never
    // leaves half a picture where a whole one stood.
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());

    if (strSuffix == QLatin1String("png")) {
        const QImage image = Image(scene, 2.0);
        if (image.isNull() || !image.save(&file, "PNG"))
            return fail(image.isNull() ? tr("the picture is too large.") : file.errorString());
    } else if (strSuffix == QLatin1String("svg")) {
        // At the canvas's resolution a text takes the room it has on screen;
        // at the generator's own 72 dpi it shrank to three quarters of it.
        QSvgGenerator svg;
        svg.setResolution(ScreenResolution());
        svg.setOutputDevice(&file);
        svg.setSize(source.size().toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), source.size()));
        svg.setTitle(strTitle);
        QPainter painter(&svg);
        Render(scene, &painter, QRectF(QPointF(0, 0), source.size()));
    } else {
        // One page the size of the tree on screen: a scene unit is a pixel
        // of the canvas's resolution, so texts keep their size beside the
        // shapes.
        const int nDpi = ScreenResolution();
        QPdfWriter pdf(&file);
        pdf.setResolution(nDpi);
        pdf.setTitle(strTitle);
        pdf.setCreator(QStringLiteral("Ramify"));
        const double dScale = std::min({1.0, MaxPdfSide * nDpi / 72 / source.width(),
                                        MaxPdfSide * nDpi / 72 / source.height()});
        const QSizeF target = source.size() * dScale;
        pdf.setPageSize(
            QPageSize(target * 72 / nDpi, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        Render(scene, &painter, QRectF(QPointF(0, 0), target));
    }
    if (file.error() != QFileDevice::NoError || !file.commit())
        return fail(file.errorString());
    return true;
}
