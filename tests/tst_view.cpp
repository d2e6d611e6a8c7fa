#include "CTreePicture.h"
#include "GuiTest.h"

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
    void pictureHoldsWholeTree();

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
    const std::vector<NodePosition> before = window.CurrentPositions();
    window.ArrangeTree();
    QVERIFY(window.isWindowModified());
    const QString strFault = OverlapFault(window);
    QVERIFY2(strFault.isEmpty(), qPrintable(strFault));

    window.GetUndoStack()->undo();
    const std::vector<NodePosition> after = window.CurrentPositions();
    QVERIFY(std::equal(before.begin(), before.end(), after.begin(), after.end(),
                       [](auto a, auto b) { return a.pos == b.pos && a.x == b.x && a.y == b.y; }));
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
// node; arranged, the node acted on must still keep its place on screen.
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
    }
}

// Only what is on screen in the picture, a name missing from it, or a
// picture at screen resolution.
void TestView::pictureHoldsWholeTree()
{
    CDecisionTreeWindow window(nullptr, QString());
    window.resize(200, 150);
    QVERIFY(window.LoadProject(Party));
    const QRectF tree = window.PictureRect();
    QString strError;
    for (const char *pName : {"tree.svg", "tree.png", "tree.pdf"})
        QVERIFY2(CTreePicture::Write(&window, dir.filePath(pName), &strError),
                 qPrintable(strError));

    QFile svgFile(dir.filePath("tree.svg"));
    QVERIFY(svgFile.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(svgFile.readAll());
    for (const CNode *pNode : Attached(window.GetTree().GetRoot()))
        QVERIFY2(svg.contains(QString::fromStdString(pNode->name).toHtmlEscaped()),
                 pNode->name.c_str());

    const QSizeF png = QImage(dir.filePath("tree.png")).size();
    QVERIFY(qAbs(png.width() - 2 * tree.width()) <= 1 &&
            qAbs(png.height() - 2 * tree.height()) <= 1);
    QFile pdfFile(dir.filePath("tree.pdf"));
    QVERIFY(pdfFile.open(QIODevice::ReadOnly));
    const QByteArray pdf = pdfFile.readAll();
    QVERIFY(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF"));
    // One page the size of the tree.
    const QRegularExpressionMatch page =
        QRegularExpression("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")
            .match(QString::fromLatin1(pdf.constData(), pdf.size()));
    QVERIFY(qAbs(page.captured(1).toDouble() - tree.width()) <= 1 &&
            qAbs(page.captured(2).toDouble() - tree.height()) <= 1);
}

RAMIFY_GUI_TEST_MAIN(TestView)
#include "tst_view.moc"
