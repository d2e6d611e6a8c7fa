#pragma once

#include <QCoreApplication>
#include <QPointF>
#include <QSizeF>

class CDecisionTreeWindow;
class QPrinter;
class QWidget;

// Prints a window's whole tree: on one page, at its size on screen over as
// many pages as it takes, or across a chosen number of pages. Pages of a
// tree spread over several overlap a little and carry glue marks, so that
// they can be put together into one sheet.
class CTreePrinter
{
    Q_DECLARE_TR_FUNCTIONS(CTreePrinter)

public:
    // What SetPagesAcross takes besides a number of pages.
    static constexpr int ActualSize = 0;
    // A tree too large for this many pages at its size on screen is made
    // smaller instead of wasting a ream.
    static constexpr int MaxPages = 100;
    // The strip each page repeats of its neighbours, in screen pixels (a
    // centimetre at 96 dpi).
    static constexpr double Overlap = 38.0;

    // How the tree lies on the pages: its scale (1 is its size on screen),
    // the number of pages across and down, where on the first page the tree
    // starts and the strip each page shares with the next, all in screen
    // pixels.
    struct Layout
    {
        double scale = 1.0;
        int across = 1;
        int down = 1;
        QPointF offset;
        double overlap = 0.0;
    };

    explicit CTreePrinter(CDecisionTreeWindow *pWindow);

    // 1 fits the tree on one page (shrunk, never enlarged), ActualSize
    // prints it at its size on screen, and N > 1 fills N pages across.
    void SetPagesAcross(int nPagesAcross);
    int PagesAcross() const { return pagesAcross; }
    // Sets the printer to the canvas's resolution (texts then keep their size
    // beside the shapes), the project's name, and landscape pages for a
    // tree wider than tall.
    void Prepare(QPrinter *pPrinter) const;
    // Prints every page. False when the printer could not be started or
    // there is no tree.
    bool Print(QPrinter *pPrinter) const;
    // Where a tree of this size goes on pages whose printable area is page.
    static Layout Plan(const QSizeF &tree, const QSizeF &page, int nPagesAcross);

    // The print preview, with the choice of pages in its tool bar.
    static void Preview(CDecisionTreeWindow *pWindow, QWidget *pParent);

private:
    CDecisionTreeWindow *window;
    int pagesAcross = 1;
};
