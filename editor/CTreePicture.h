#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QString>

class CTreeScene;
class QPainter;
class QRectF;

// Pictures of a scene's whole tree, not just of what is on screen: files in
// PNG, SVG or PDF, and images for the clipboard.
class CTreePicture
{
    Q_DECLARE_TR_FUNCTIONS(CTreePicture)

public:
    // Whether the file name ends in a suffix a picture can be written as.
    static bool HasKnownSuffix(const QString &strPath);
    // Writes the picture in the format named by the file's suffix; PNG at
    // twice the screen's resolution. False with a message naming the file
    // when it could not be written; an existing file is then left as it was.
    // strTitle names the picture inside the file.
    static bool Write(CTreeScene &scene, const QString &strTitle, const QString &strPath,
                      QString *pStrError);
    // The resolution the canvas lays out its texts at. Drawn on a device of
    // another resolution, texts change size beside the shapes around them.
    static int ScreenResolution();
    // The tree at the given scale, reduced where it would not fit in memory.
    static QImage Image(CTreeScene &scene, double dScale);
    // The whole tree with a margin: what a picture of it shows.
    static QRectF Rect(const CTreeScene &scene);
    // Paints the whole tree on a white ground into target, without selection
    // frames or a text cursor; a text being edited is finished first.
    static void Render(CTreeScene &scene, QPainter *pPainter, const QRectF &target);
};
