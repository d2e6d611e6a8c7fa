#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectFile.h"
#include "CTreePicture.h"
#include "GuiTest.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

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
    void pictureHoldsWholeTree();
    void exportFromCommandLine_data();
    void exportFromCommandLine();

private:
    QTemporaryDir dir;
};

namespace {

const QString Party = QStringLiteral(RAMIFY_EXAMPLES_DIR "/Party.rmproj");

std::vector<CNodeGrapicsItem *> NodeItems(CDecisionTreeWindow &window)
{
    std::vector<CNodeGrapicsItem *> nodes;
    for (QGraphicsItem *pItem : window.scene()->items())
        if (auto *pNode = qobject_cast<CNodeGrapicsItem *>(pItem->toGraphicsObject()))
            nodes.push_back(pNode);
    return nodes;
}

// A node item with every text of it that shows, in scene coordinates.
QRectF Outline(const QGraphicsItem *pItem)
{
    QRectF rect = pItem->sceneBoundingRect();
    for (const QGraphicsItem *pText : pItem->childItems())
        if (pText->isVisible())
            rect |= Outline(pText);
    return rect;
}

// Decisions, Situations and options of random depth, with names from one
// letter to a long sentence, saved without positions.
QString RandomProject(const QString &strPath, quint32 nSeed, int nNameLength)
{
    QRandomGenerator rng(nSeed);
    auto name = [&] { return std::string(size_t(1 + rng.bounded(nNameLength)), 'W'); };
    CDecisionTree tree;
    tree.SetRoot(CNode::CreateRoot(nullptr, name()));
    std::vector<CNode *> ends{tree.GetRoot()};
    for (int n = 0; n < 40; ++n) {
        const size_t nEnd = size_t(rng.bounded(int(ends.size())));
        CNode *pEnd = ends[nEnd];
        ends.erase(ends.begin() + long(nEnd));
        CNode *pBranch = rng.bounded(2) ? CNode::CreateDecision(pEnd, name())
                                        : CNode::CreateSituation(pEnd, name());
        for (int i = rng.bounded(2, 5); i > 0; --i) {
            CNode *pOption = CNode::CreateOption(pBranch, name());
            pOption->payoff = rng.bounded(2) ? 1234567.25 : 5;
            ends.push_back(pOption);
        }
    }
    for (CNode *pEnd : ends)
        CNode::CreateTerminal(pEnd, "");
    CProjectFile::Write(strPath, tree, QStringLiteral("Random"));
    return strPath;
}

} // namespace

void TestView::arrangedTreeHasNoOverlaps_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("Party, whose subtrees opened on top of each other") << Party;
    for (quint32 nSeed = 1; nSeed <= 3; ++nSeed) {
        QTest::newRow(qPrintable(QStringLiteral("short names %1").arg(nSeed)))
            << RandomProject(dir.filePath(QStringLiteral("short%1.rmproj").arg(nSeed)), nSeed, 3);
        QTest::newRow(qPrintable(QStringLiteral("long names %1").arg(nSeed)))
            << RandomProject(dir.filePath(QStringLiteral("long%1.rmproj").arg(nSeed)), nSeed, 40);
    }
}

// Texts left out of a node's outline, or outlines kept per level while
// nodes differ in width, put names and numbers on top of each other; undo
// must put back every node, also the ones the arrangement did not move.
void TestView::arrangedTreeHasNoOverlaps()
{
    QFETCH(QString, path);
    CDecisionTreeWindow window(nullptr, QString());
    QVERIFY(window.LoadProject(path));
    const std::vector<NodePosition> before = window.CurrentPositions();
    window.ArrangeTree();
    QVERIFY(window.isWindowModified());
    const std::vector<CNodeGrapicsItem *> nodes = NodeItems(window);
    QCOMPARE(nodes.size(), before.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        for (size_t j = i + 1; j < nodes.size(); ++j)
            QVERIFY2(!Outline(nodes[i]).intersects(Outline(nodes[j])),
                     qPrintable(nodes[i]->toPlainText() + " / " + nodes[j]->toPlainText()));

    window.GetUndoStack()->undo();
    const std::vector<NodePosition> after = window.CurrentPositions();
    for (size_t i = 0; i < before.size(); ++i)
        QVERIFY(before[i].pos == after[i].pos && before[i].x == after[i].x &&
                before[i].y == after[i].y);
}

void TestView::textsEditAtEveryZoom_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("25 %") << 0.25;
    QTest::newRow("400 %") << 4.0;
}

// A zoom that scales the view but not what a click hits leaves texts that
// can no longer be double-clicked into.
void TestView::textsEditAtEveryZoom()
{
    QFETCH(double, zoom);
    CDecisionTreeWindow window(nullptr, QString());
    window.resize(800, 600);
    window.setWindowTitle(QStringLiteral("Party[*]"));
    QVERIFY(window.LoadProject(Party));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CNode *pSun = window.GetTree().GetRoot()->children[0]->children[0];
    CNodeGrapicsItem *pItem = window.GetItem(pSun);
    window.SetZoom(zoom, window.mapFromScene(pItem->sceneBoundingRect().center()));
    const QPoint at = window.mapFromScene(pItem->sceneBoundingRect().center());
    QVERIFY(window.viewport()->rect().contains(at));
    QTest::mousePress(window.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(window.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(window.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTRY_VERIFY(pItem->hasFocus());
    QTest::keyClick(window.viewport(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window.viewport(), QStringLiteral("Shine"));
    QTest::keyClick(window.viewport(), Qt::Key_Return);
    QCOMPARE(QString::fromStdString(pSun->name), QStringLiteral("Shine"));
}

// Only what is on screen in the picture, a name missing from it, or a
// picture at screen resolution.
void TestView::pictureHoldsWholeTree()
{
    CDecisionTreeWindow window(nullptr, QString());
    window.resize(200, 150);
    QVERIFY(window.LoadProject(Party));
    window.ArrangeTree();
    const QRectF tree = window.PictureRect();
    QString strError;
    for (const char *pName : {"tree.svg", "tree.png", "tree.pdf"})
        QVERIFY2(CTreePicture::Write(&window, dir.filePath(pName), &strError),
                 qPrintable(strError));

    QFile svg(dir.filePath("tree.svg"));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QStringList texts;
    for (QXmlStreamReader xml(&svg); !xml.atEnd();)
        if (xml.readNext() == QXmlStreamReader::Characters)
            texts << xml.text().toString().trimmed();
    for (const CNodeGrapicsItem *pItem : NodeItems(window))
        QVERIFY2(texts.contains(pItem->toPlainText()), qPrintable(pItem->toPlainText()));

    const QImage png(dir.filePath("tree.png"));
    QVERIFY(qAbs(png.width() - 2 * tree.width()) <= 1 &&
            qAbs(png.height() - 2 * tree.height()) <= 1);
    QFile pdf(dir.filePath("tree.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    const QString strPdf = QString::fromLatin1(bytes.constData(), bytes.size());
    QVERIFY(strPdf.startsWith("%PDF-") && strPdf.trimmed().endsWith("%%EOF"));
    // One page, a point to a scene unit.
    const QRegularExpressionMatch page =
        QRegularExpression("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]").match(strPdf);
    QVERIFY(qAbs(page.captured(1).toDouble() - tree.width()) <= 1 &&
            qAbs(page.captured(2).toDouble() - tree.height()) <= 1);
}

void TestView::exportFromCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::newRow("written") << QStringList{"--export", dir.filePath("1.pdf"), "--arrange", Party}
                             << 0;
    QTest::newRow("no such project")
        << QStringList{"--export", dir.filePath("2.png"), dir.filePath("none")} << 1;
    QTest::newRow("no such folder")
        << QStringList{"--export", dir.filePath("no/3.png"), Party} << 1;
    QTest::newRow("unknown kind of picture")
        << QStringList{"--export", dir.filePath("4.gif"), Party} << 2;
    QTest::newRow("two projects") << QStringList{"--export", dir.filePath("5.svg"), Party, Party}
                                  << 2;
}

// A failure reported as success, or a program that needs a display to write a file.
void TestView::exportFromCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(RAMIFY_PATH), arguments);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), status);
    // Every failure says so, naming the file that failed.
    const QString strError = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY(status == 0 || strError.contains(QStringLiteral("ramify: ")));
    QVERIFY(status != 1 || strError.contains(QDir::toNativeSeparators(arguments[1])) ||
            strError.contains(arguments.last()));
    QCOMPARE(QFile::exists(arguments[1]), status == 0);
}

RAMIFY_GUI_TEST_MAIN(TestView)
#include "tst_view.moc"
