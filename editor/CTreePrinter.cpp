#include "CTreePrinter.h"

#include "CDecisionTreeWindow.h"
#include "CTreePicture.h"

#include <QComboBox>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace {

// Pages needed for a length when each page after the first repeats the
// overlap of the one before. The tolerance keeps a tree that fills exactly
// N pages from asking for one more through rounding.
int PagesFor(double dLength, double dPage, double dOverlap)
{
    return std::max(1, int(std::ceil((dLength - dOverlap) / (dPage - dOverlap) - 1e-9)));
}

} // namespace

CTreePrinter::CTreePrinter(CDecisionTreeWindow *pWindow) : window(pWindow) {}

void CTreePrinter::SetPagesAcross(int nPagesAcross)
{
    pagesAcross = std::max(ActualSize, nPagesAcross);
}

CTreePrinter::Layout CTreePrinter::Plan(const QSizeF &tree, const QSizeF &page, int nPagesAcross)
{
    Layout layout;
    if (tree.isEmpty() || page.isEmpty())
        return layout;
    const double dWidth = tree.width(), dHeight = tree.height();
    if (nPagesAcross != 1) {
        // A tiny page keeps most of itself for the tree.
        const double dOverlap = std::min({Overlap, page.width() / 4, page.height() / 4});
        double dScale = nPagesAcross == ActualSize
                            ? 1.0
                            : (nPagesAcross * (page.width() - dOverlap) + dOverlap) / dWidth;
        // Each round shrinks by the square root of the excess, so a few
        // suffice; the bound only guards against a count that rounding
        // keeps high, and one page is left then.
        for (int nRound = 0; nRound < 50; ++nRound) {
            layout.across = PagesFor(dWidth * dScale, page.width(), dOverlap);
            layout.down = PagesFor(dHeight * dScale, page.height(), dOverlap);
            const double dPages = double(layout.across) * layout.down;
            if (dPages <= MaxPages) {
                layout.scale = dScale;
                layout.overlap = dOverlap;
                // The tree in the middle of the sheet the pages make together.
                layout.offset =
                    QPointF(layout.across * (page.width() - dOverlap) + dOverlap - dWidth * dScale,
                            layout.down * (page.height() - dOverlap) + dOverlap -
                                dHeight * dScale) /
                    2;
                return layout;
            }
            dScale *= std::sqrt(MaxPages / dPages) * 0.99;
        }
        layout = Layout();
    }
    // Shrunk to fit, but a small tree is not blown up beyond its size on
    // screen: its texts would come out at poster size.
    layout.scale = std::min({1.0, page.width() / dWidth, page.height() / dHeight});
    layout.offset =
        QPointF(page.width() - dWidth * layout.scale, page.height() - dHeight * layout.scale) / 2;
    return layout;
}

void CTreePrinter::Prepare(QPrinter *pPrinter) const
{
    pPrinter->setResolution(CTreePicture::ScreenResolution());
    pPrinter->setDocName(window->GetProjectName());
    const QRectF tree = CTreePicture::Rect(*window->TreeScene());
    pPrinter->setPageOrientation(tree.width() > tree.height() ? QPageLayout::Landscape
                                                              : QPageLayout::Portrait);
}

bool CTreePrinter::Print(QPrinter *pPrinter) const
{
    const QRectF tree = CTreePicture::Rect(*window->TreeScene());
    if (tree.isEmpty())
        return false;
    // A printer's own resolution makes texts, measured in points, larger or
    // smaller beside the shapes than on screen; the print dialog may have
    // brought its own since Prepare.
    const int nDpi = CTreePicture::ScreenResolution();
    if (pPrinter->resolution() != nDpi)
        pPrinter->setResolution(nDpi);
    QPainter painter;
    if (!painter.begin(pPrinter))
        return false;
    const QSizeF area = pPrinter->pageLayout().paintRectPixels(pPrinter->resolution()).size();
    QFont footerFont = QGuiApplication::font();
    footerFont.setPointSizeF(8);
    const bool bSeveral = pagesAcross != 1;
    const double dFooter = bSeveral ? QFontMetricsF(footerFont, pPrinter).height() * 1.5 : 0.0;
    const QSizeF page(area.width(), area.height() - dFooter);
    const Layout layout = Plan(tree.size(), page, pagesAcross);
    const double dOverlap = layout.overlap;
    const QSizeF whole = tree.size() * layout.scale;
    auto corner = [&](int nRow, int nColumn) {
        return QPointF(nColumn * (page.width() - dOverlap), nRow * (page.height() - dOverlap));
    };
    // A page of the sheet that holds nothing of the tree but the white
    // around it is left out; its neighbours still say where they belong.
    QVector<QPair<int, int>> printed;
    for (int nRow = 0; nRow < layout.down; ++nRow)
        for (int nColumn = 0; nColumn < layout.across; ++nColumn) {
            const QRectF shown((corner(nRow, nColumn) - layout.offset) / layout.scale +
                                   tree.topLeft(),
                               page / layout.scale);
            if (!bSeveral || !window->scene()->items(shown).isEmpty())
                printed.append({nRow, nColumn});
        }
    const int nPages = printed.size();
    for (int nPage = 0; nPage < nPages; ++nPage) {
        const auto [nRow, nColumn] = printed[nPage];
        if (nPage > 0 && !pPrinter->newPage())
            return false;
        painter.save();
        painter.setClipRect(QRectF(QPointF(0, 0), page));
        CTreePicture::Render(*window->TreeScene(), &painter,
                             QRectF(layout.offset - corner(nRow, nColumn), whole));
        painter.restore();
        if (!bSeveral)
            continue;
        // Where the neighbour's page begins or ends: put together, the
        // marks of two pages lie on top of each other.
        painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
        if (nColumn > 0)
            painter.drawLine(QLineF(dOverlap, 0, dOverlap, page.height()));
        if (nColumn + 1 < layout.across)
            painter.drawLine(
                QLineF(page.width() - dOverlap, 0, page.width() - dOverlap, page.height()));
        if (nRow > 0)
            painter.drawLine(QLineF(0, dOverlap, page.width(), dOverlap));
        if (nRow + 1 < layout.down)
            painter.drawLine(
                QLineF(0, page.height() - dOverlap, page.width(), page.height() - dOverlap));
        painter.setPen(Qt::black);
        painter.setFont(footerFont);
        painter.drawText(QRectF(0, page.height(), page.width(), dFooter),
                         Qt::AlignLeft | Qt::AlignBottom,
                         tr("%1: page %2 of %3, row %4 of %5, column %6 of %7")
                             .arg(window->GetProjectName())
                             .arg(nPage + 1)
                             .arg(nPages)
                             .arg(nRow + 1)
                             .arg(layout.down)
                             .arg(nColumn + 1)
                             .arg(layout.across));
    }
    return painter.end();
}

void CTreePrinter::Preview(CDecisionTreeWindow *pWindow, QWidget *pParent)
{
    CTreePrinter treePrinter(pWindow);
    QPrinter printer(QPrinter::HighResolution);
    treePrinter.Prepare(&printer);
    QPrintPreviewDialog dialog(&printer, pParent);
    dialog.setWindowTitle(tr("Print Preview: %1").arg(pWindow->GetProjectName()));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&treePrinter](QPrinter *pPrinter) { treePrinter.Print(pPrinter); });
    // The dialog has no place for options of its own; its tool bar takes one.
    auto *pPages = new QComboBox(&dialog);
    pPages->setObjectName(QStringLiteral("comboBoxPages"));
    pPages->addItem(tr("Fit to one page"), 1);
    pPages->addItem(tr("Actual size, over several pages"), ActualSize);
    for (int nAcross = 2; nAcross <= 4; ++nAcross)
        pPages->addItem(tr("%1 pages wide").arg(nAcross), nAcross);
    if (auto *pBar = dialog.findChild<QToolBar *>()) {
        pBar->addSeparator();
        pBar->addWidget(new QLabel(tr("Pages: "), pBar));
        pBar->addWidget(pPages);
    }
    auto *pView = dialog.findChild<QPrintPreviewWidget *>();
    QObject::connect(pPages, qOverload<int>(&QComboBox::currentIndexChanged), &dialog,
                     [&treePrinter, pPages, pView] {
                         treePrinter.SetPagesAcross(pPages->currentData().toInt());
                         if (pView)
                             pView->updatePreview();
                     });
    dialog.exec();
}
