#include "CTreePicture.h"
#include "CTreePrinter.h"
#include "GuiTest.h"
#include "TestTrees.h"

#include <QBuffer>
#include <QPrinter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

// Arranging, zooming and taking pictures of a real editor window.
class TestView : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void arrangedTreeHasNoOverlaps_data();
    void arrangedTreeHasNoOverlaps();
    void textsEditAtEveryZoom_data();
    void textsEditAtEveryZoom();
    void viewStaysPut();
    void opensAtTheTreeStart_data();
    void opensAtTheTreeStart();
    void valuesOutOfSightShowWhenDrawn();
    void windowDrawsWhatTheSceneHolds_data();
    void windowDrawsWhatTheSceneHolds();
    void pictureHoldsWholeTree();
    void printLayoutCoversTree();
    void printFillsPages_data();
    void printFillsPages();

private:
    QTemporaryDir dir;
};

using namespace GuiTest;

namespace {

const QString Party = QStringLiteral(RAMIFY_EXAMPLES_DIR "/Party.rmproj");

// Random branches at random path ends, with names of 1 to nLength letters.
void GrowRandom(TestWindow &w, quint32 nSeed, int nLength)
{
    QRandomGenerator rng(nSeed);
    auto name = [&] { return QString(1 + rng.bounded(nLength), QLatin1Char('W')); };
    for (int n = 0; n < 30; ++n) {
        std::vector<CNode *> ends;
        for (CNode *pNode : Attached(w.Root()))
            if (pNode->HasOnlyTerminalChild() && pNode->type != NodeType::Decision &&
                pNode->type != NodeType::Situation)
                ends.push_back(pNode);
        QVector<OptionRow> rows;
        for (int i = rng.bounded(2, 5); i > 0; --i)
            rows << Row(name(), 0.5, rng.bounded(2) ? 1234567.25 : 5);
        w.AddBranch(ends[size_t(rng.bounded(int(ends.size())))],
                    rng.bounded(2) ? NodeType::Decision : NodeType::Situation, name(), rows);
    }
}

QByteArray Contents(const QString &strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The font sizes a PDF's pages are drawn with ("/F1 17 Tf"), read from its
// compressed streams, and how many pages it has.
QPair<QSet<double>, int> PdfFontsAndPages(const QByteArray &pdf)
{
    QSet<double> sizes;
    const QRegularExpression font(QStringLiteral("/F\\w* ([0-9.]+) Tf"));
    for (int nAt = pdf.indexOf("stream\nx"); nAt >= 0; nAt = pdf.indexOf("stream\nx", nAt + 1)) {
        // qUncompress wants the length it may expect in front; it grows.
        const QByteArray zipped = QByteArray::fromHex("00010000") +
                                  pdf.mid(nAt + 7, pdf.indexOf("endstream", nAt) - nAt - 7);
        const QString strText = QString::fromLatin1(qUncompress(zipped));
        for (auto it = font.globalMatch(strText); it.hasNext();)
            sizes.insert(it.next().captured(1).toDouble());
    }
    return {sizes, int(pdf.count("/Type /Page\n"))};
}

// The canvas's text size in pixels: pictures must keep it beside the shapes.
double ScreenTextSize()
{
    return QFontInfo(QGuiApplication::font()).pixelSize();
}

} // namespace

void TestView::arrangedTreeHasNoOverlaps_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("nameLength");
    QTest::newRow("Party, whose subtrees opened on top of each other") << 0u << 0;
    for (quint32 nSeed = 1; nSeed <= 3; ++nSeed) {
        QTest::newRow(qPrintable(QStringLiteral("short names %1").arg(nSeed))) << nSeed << 3;
        QTest::newRow(qPrintable(QStringLiteral("long names %1").arg(nSeed))) << nSeed << 40;
    }
}

// Texts left out of a node's outline, or outlines kept per level while
// nodes differ in width, put names and numbers on top of each other; undo
// must put back every node, also the ones the arrangement did not move.
void TestView::arrangedTreeHasNoOverlaps()
{
    QFETCH(quint32, seed);
    QFETCH(int, nameLength);
    TestWindow w;
    CDecisionTreeWindow loaded(nullptr, QString());
    CDecisionTreeWindow &window = seed ? w.window : loaded;
    if (seed)
        GrowRandom(w, seed, nameLength);
    else
        QVERIFY(loaded.LoadProject(Party));
    const std::vector<NodePosition> before = window.TreeScene()->CurrentPositions();
    window.ArrangeTree();
    QVERIFY(window.isWindowModified());
    const QString strFault = OverlapFault(window);
    QVERIFY2(strFault.isEmpty(), qPrintable(strFault));

    window.GetUndoStack()->undo();
    const std::vector<NodePosition> after = window.TreeScene()->CurrentPositions();
    QVERIFY(std::equal(before.begin(), before.end(), after.begin(), after.end(),
                       [](auto a, auto b) { return a.pos == b.pos && a.x == b.x && a.y == b.y; }));
    // Whoever stores a place through the document, the drawing follows it.
    CNode *pRoot = window.GetDocument().GetRoot();
    window.GetDocument().SetPositions({{pRoot, 300, 200}});
    QCOMPARE(window.TreeScene()->GetItem(pRoot)->pos(), QPointF(300, 200));
}

void TestView::textsEditAtEveryZoom_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("25 %") << 0.25;
    QTest::newRow("400 %") << 4.0;
}

// A zoom that scales the picture but not where a click lands leaves texts
// that can no longer be double-clicked into.
void TestView::textsEditAtEveryZoom()
{
    QFETCH(double, zoom);
    TestWindow w;
    const PlanNodes plan = GrowPlan(w);
    QVERIFY(w.Show());
    CNodeGrapicsItem *pItem = w.Item(plan.s1);
    w.window.SetZoom(zoom, w.window.mapFromScene(pItem->sceneBoundingRect().center()));
    TypeInto(w.window, pItem, QStringLiteral("Shine"));
    QCOMPARE(plan.s1->name, std::string("Shine"));
}

// The scroll area grew with the tree and the view jumped on every added
// node; arranged, the node acted on must still keep its place on screen,
// and the scroll area must still grow.
void TestView::viewStaysPut()
{
    for (bool bArrange : {false, true}) {
        TestWindow w;
        const PlanNodes plan = GrowPlan(w);
        QVERIFY(w.Show());
        w.window.SetArrangeAutomatically(bArrange);
        const QPoint at = w.window.mapFromScene(w.Item(plan.s)->pos());
        for (int i = 0; i < 4; ++i)
            w.AddOptions(plan.s, {Row("X", 0.1, 1), Row("Y", 0.1, 2)});
        QCOMPARE(w.window.mapFromScene(w.Item(plan.s)->pos()), at);
        // And the scroll area reaches over all of the grown tree, once Qt has
        // measured what changed.
        QTRY_VERIFY(w.window.sceneRect().contains(w.window.scene()->itemsBoundingRect()));
    }
}

void TestView::opensAtTheTreeStart_data()
{
    QTest::addColumn<bool>("shownFirst");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("resized");
    QTest::newRow("read while hidden, the tree fits")
        << false << QSize(1000, 700) << QSize(900, 650);
    QTest::newRow("read while hidden, then too low for the tree and its Root")
        << false << QSize(1000, 700) << QSize(500, 160);
    QTest::newRow("read while shown, too low for the tree, not the Root")
        << true << QSize(500, 400) << QSize(1000, 700);
}

// A project opens with the left end of its tree in view: all of its height
// centred where it fits, else its top, or its Root centred where the top
// leaves the Root out of sight (a tall tree opened on blank canvas). It
// keeps its start in view as the window is resized, until the user moves.
// A window that looked for the start only before it showed opened wherever
// Qt put the scene.
void TestView::opensAtTheTreeStart()
{
    QFETCH(bool, shownFirst);
    QFETCH(QSize, size);
    QFETCH(QSize, resized);
    CDecisionTreeWindow window(nullptr, QString());
    window.resize(size);
    const auto show = [&window] {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    };
    if (shownFirst)
        QVERIFY(show());
    QVERIFY(window.LoadProject(Party));
    if (!shownFirst)
        QVERIFY(show());
    // How far the tree stands on screen from where its start belongs.
    const auto misplaced = [&window] {
        const QRect tree = window.mapFromScene(window.scene()->itemsBoundingRect()).boundingRect();
        const QRect root =
            window.mapFromScene(window.TreeScene()->RootItem()->sceneBoundingRect()).boundingRect();
        const QRect viewport = window.viewport()->rect();
        const int nOff = tree.height() + 40 <= viewport.height()
                             ? tree.center().y() - viewport.center().y()
                         : root.bottom() + 20 - (tree.top() - 20) > viewport.height()
                             ? root.center().y() - viewport.center().y()
                             : tree.top() - 20;
        return qMax(qAbs(tree.left() - 20), qAbs(nOff));
    };
    QVERIFY2(misplaced() <= 2, qPrintable(QString::number(misplaced())));
    window.resize(resized);
    QTRY_COMPARE(window.size(), resized);
    QVERIFY2(misplaced() <= 2, qPrintable(QString::number(misplaced())));
}

// A value that writes many nodes resizes at once only the texts in sight.
// Texts out of sight that show an old number to whoever walks the scene the
// moment a re-evaluation or an edit near the Root returns, or that are drawn
// stale in a picture.
void TestView::valuesOutOfSightShowWhenDrawn()
{
    // Texts written out of sight may wait for their sizes, never for their
    // numbers: the scene's items and a drawing of the tree show them.
    const auto picture = [](double dX, bool bChangeAfterShowing, bool bLookAtItems) {
        CDecisionTreeWindow window(nullptr, QString());
        window.resize(200, 150);
        CNode *pNear = CNode::CreateOption(
            CNode::CreateDecision(CNode::CreateRoot(nullptr, "Many"), "Near"), "Root's");
        CNode *pDecision = CNode::CreateDecision(pNear, "D");
        for (int i = 0; i < 100; ++i) {
            CNode *pOption = CNode::CreateOption(pDecision, "O");
            CNode::CreateTerminal(pOption, "");
            pOption->payoffFormula = "x * " + std::to_string(i);
        }
        window.GetDocument().ReplaceTree(pNear->parent->parent);
        window.show();
        CVariables variables;
        variables.Add({"x", bChangeAfterShowing ? 1.0 : dX, "", false, 0.0, false, 0.0, ""});
        window.GetDocument().SetVariables(variables);
        if (bChangeAfterShowing) {
            // Only a view on screen leaves numbers out of sight waiting.
            if (!QTest::qWaitForWindowExposed(&window))
                return std::make_pair(QImage(), QStringLiteral("not shown"));
            variables.SetValue(0, dX);
            window.GetDocument().SetVariables(variables);
            if (bLookAtItems) {
                QString strFault = ValueFault(window);
                // Every value below it changes: a path's payoffs add up.
                PayoffText(window.GetItem(pNear))->setPlainText(QStringLiteral("1000"));
                if (strFault.isEmpty())
                    strFault = ValueFault(window);
                return std::make_pair(QImage(), strFault);
            }
        }
        QImage image(window.scene()->itemsBoundingRect().size().toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        window.scene()->render(&painter, QRectF(), window.scene()->itemsBoundingRect());
        painter.end();
        return std::make_pair(image, QString());
    };
    QCOMPARE(picture(2.0, true, true).second, QString());
    QVERIFY(picture(2.0, true, false).first == picture(2.0, false, false).first);
}

void TestView::windowDrawsWhatTheSceneHolds_data()
{
    QTest::addColumn<QByteArray>("project");
    QTest::addColumn<bool>("large");
    QFile file(QStringLiteral(RAMIFY_EXAMPLES_DIR "/OilWithTest.rmproj"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QTest::newRow("a tree with an index") << file.readAll() << false;
    CDecisionTree chain;
    chain.SetRoot(MakeChain(31000));
    QTest::newRow("a tree too large for an index")
        << WriteBytes(chain, QStringLiteral("Deep")) << true;
}

// The window draws its items inside a clip of the area repainted, without
// saving the painter around each, and a tree too large for an index only
// from the items in sight: a clip in the wrong place, an item that leaves
// the painter changed for the next, or an item missed draws other pixels
// than Qt's own careful way. A selected node, an edited text and a fold,
// scrolled so that items are cut at the edges.
void TestView::windowDrawsWhatTheSceneHolds()
{
    QFETCH(QByteArray, project);
    QFETCH(bool, large);
    CDecisionTreeWindow window(nullptr, QString());
    window.resize(420, 260);
    QBuffer buffer(&project);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    window.ReadProject(buffer);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.scene()->itemIndexMethod(),
             large ? QGraphicsScene::NoIndex : QGraphicsScene::BspTreeIndex);
    CNode *pRoot = window.GetTree().GetRoot();
    CNode *pDecision = pRoot->children.front();
    CNode *pFolded = pDecision->children.front();
    for (int i = 0; large && i < 100; ++i)
        pFolded = pFolded->children.front();
    window.Fold(pFolded);
    window.GetItem(pDecision)->setSelected(true);
    // A text with a document draws through Qt's text control.
    QVERIFY(PayoffText(window.GetItem(pDecision->children.back()))->document());
    window.centerOn(window.GetItem(pDecision));
    const auto grab = [&window] {
        window.viewport()->update();
        return window.viewport()->grab().toImage();
    };
    const QImage drawn = grab();
    window.setOptimizationFlag(QGraphicsView::DontSavePainterState, false);
    window.setOptimizationFlag(QGraphicsView::IndirectPainting, false);
    const QImage careful = grab();
    QVERIFY(!drawn.isNull());
    QVERIFY(drawn == careful);
}

// Only what is on screen in the picture, a name missing from it, a picture
// at screen resolution, or texts smaller beside the shapes than on screen
// (SVG and PDF at their own 72 dpi).
void TestView::pictureHoldsWholeTree()
{
    CDecisionTreeWindow window(nullptr, QString());
    window.resize(200, 150);
    QVERIFY(window.LoadProject(Party));
    const QRectF tree = CTreePicture::Rect(*window.TreeScene());
    QString strError;
    for (const char *pName : {"tree.svg", "tree.png", "tree.pdf"})
        QVERIFY2(
            CTreePicture::Write(*window.TreeScene(), QString(), dir.filePath(pName), &strError),
            qPrintable(strError));

    const QString svg = QString::fromUtf8(Contents(dir.filePath("tree.svg")));
    for (const CNode *pNode : Attached(window.GetTree().GetRoot()))
        QVERIFY2(svg.contains(QString::fromStdString(pNode->name).toHtmlEscaped()),
                 pNode->name.c_str());
    QSet<double> svgSizes;
    const QRegularExpression fontSize(QStringLiteral("font-size=\"([0-9.]+)\""));
    for (auto it = fontSize.globalMatch(svg); it.hasNext();)
        svgSizes.insert(qRound(it.next().captured(1).toDouble()));
    QCOMPARE(svgSizes, QSet<double>{ScreenTextSize()});
    const QByteArray pdf = Contents(dir.filePath("tree.pdf"));
    QCOMPARE(PdfFontsAndPages(pdf).first, QSet<double>{ScreenTextSize()});

    const QSizeF png = QImage(dir.filePath("tree.png")).size();
    QVERIFY(qAbs(png.width() - 2 * tree.width()) <= 1 &&
            qAbs(png.height() - 2 * tree.height()) <= 1);
    QVERIFY(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF"));
    // One page the size of the tree on screen, in points.
    const QRegularExpressionMatch page =
        QRegularExpression("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")
            .match(QString::fromLatin1(pdf.constData(), pdf.size()));
    const double dPoint = 72.0 / CTreePicture::ScreenResolution();
    QVERIFY(qAbs(page.captured(1).toDouble() - tree.width() * dPoint) <= 1 &&
            qAbs(page.captured(2).toDouble() - tree.height() * dPoint) <= 1);
}

// Pages wasted on nothing, a tree cut off at a page's edge, a small tree
// blown up to poster size, or a ream of pages for a huge tree.
void TestView::printLayoutCoversTree()
{
    QRandomGenerator rng(7);
    for (int nTrial = 0; nTrial < 3000; ++nTrial) {
        // From a node to thousands of them, as many small trees as large.
        auto length = [&rng] { return std::round(std::pow(10.0, rng.bounded(5.3))); };
        const QSizeF tree(length() + 1, length() + 1);
        const QSizeF page(rng.bounded(20, 2000), rng.bounded(20, 2000));
        const int nAcross = rng.bounded(0, 5);
        const CTreePrinter::Layout layout = CTreePrinter::Plan(tree, page, nAcross);
        const QSizeF step = page - QSizeF(layout.overlap, layout.overlap);
        const QSizeF sheet(layout.across * step.width() + layout.overlap,
                           layout.down * step.height() + layout.overlap);
        const QSizeF drawn = tree * layout.scale;
        const QByteArray where =
            QString::asprintf("tree %gx%g, page %gx%g, %d across", tree.width(), tree.height(),
                              page.width(), page.height(), nAcross)
                .toUtf8();
        QVERIFY2(layout.scale > 0 && (nAcross > 1 || layout.scale <= 1) &&
                     layout.across * layout.down <= CTreePrinter::MaxPages &&
                     (nAcross < 2 || layout.across <= nAcross),
                 where.constData());
        QVERIFY2(layout.offset.x() >= -1e-6 && layout.offset.y() >= -1e-6 &&
                     layout.offset.x() + drawn.width() <= sheet.width() + 1e-6 &&
                     layout.offset.y() + drawn.height() <= sheet.height() + 1e-6,
                 where.constData());
        QVERIFY2((layout.across == 1 || drawn.width() > sheet.width() - step.width()) &&
                     (layout.down == 1 || drawn.height() > sheet.height() - step.height()),
                 where.constData());
    }
}

void TestView::printFillsPages_data()
{
    QTest::addColumn<int>("pagesAcross");
    QTest::addColumn<int>("pages");
    QTest::newRow("fit to one page") << 1 << 1;
    QTest::newRow("2 pages wide, 2 down") << 2 << 4;
    QTest::newRow("actual size") << int(CTreePrinter::ActualSize) << 2;
}

// A printer's own resolution drew texts ten times their size beside the
// shapes; a wide tree went on a portrait page.
void TestView::printFillsPages()
{
    QFETCH(int, pagesAcross);
    QFETCH(int, pages);
    CDecisionTreeWindow window(nullptr, QString());
    QVERIFY(window.LoadProject(Party));
    CTreePrinter treePrinter(&window);
    treePrinter.SetPagesAcross(pagesAcross);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("print.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    treePrinter.Prepare(&printer);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(treePrinter.Print(&printer));
    const auto [sizes, nPages] = PdfFontsAndPages(Contents(dir.filePath("print.pdf")));
    QCOMPARE(nPages, pages);
    QVERIFY(sizes.contains(ScreenTextSize()));
}

RAMIFY_GUI_TEST_MAIN(TestView)
#include "tst_view.moc"
