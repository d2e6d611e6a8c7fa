#include "CNode.h"
#include "CTreeArranger.h"
#include "TextNumber.h"

#include <QRandomGenerator>
#include <QtTest>

#include <unordered_map>

// The arrangement on trees whose node outlines are drawn at random: names
// and texts of every width, texts above, below and far right of the node.
class TestArrange : public QObject
{
    Q_OBJECT

private slots:
    void rulesHoldOnRandomTrees_data();
    void rulesHoldOnRandomTrees();
    void deepChainNeedsNoRecursion();
    void numbersKeepTheirIntegerDigits_data();
    void numbersKeepTheirIntegerDigits();
};

void TestArrange::rulesHoldOnRandomTrees_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 nSeed = 1; nSeed <= 40; ++nSeed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(nSeed))) << nSeed;
}

// Overlapping subtrees, an outline kept per level instead of along x, a
// parent off the middle of its children, siblings crowded closer than the
// rule allows, or children that do not clear their parent's texts.
void TestArrange::rulesHoldOnRandomTrees()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    std::unordered_map<const CNode *, NodeExtent> extents;
    CNode *pRoot = CNode::CreateRoot(nullptr, "");
    std::vector<CNode *> open{pRoot};
    for (int n = 0; n < 60 && !open.empty(); ++n) {
        CNode *pParent = open[rng.bounded(int(open.size()))];
        for (int i = rng.bounded(1, 5); i > 0; --i)
            open.push_back(CNode::CreateOption(pParent, ""));
    }
    for (CNode *pNode : open) {
        const double dWidth = rng.bounded(5, 200), dHeight = rng.bounded(10, 60);
        // Some nodes show no texts at all, some reach far past the anchor.
        const double dAbove = rng.bounded(2) * rng.bounded(40);
        const QRectF box(0, -dAbove, dWidth + rng.bounded(2) * rng.bounded(160),
                         dAbove + dHeight + rng.bounded(2) * rng.bounded(40));
        extents[pNode] = {box, QPointF(dWidth, dHeight / 2)};
    }
    const std::vector<NodePlacement> placed =
        CTreeArranger::Arrange(pRoot, QPointF(7, -3), [&](const CNode *p) { return extents[p]; });
    QCOMPARE(placed.size(), open.size());
    QCOMPARE(QPoint(placed[0].x, placed[0].y), QPoint(7, -3));

    std::unordered_map<const CNode *, QPointF> at;
    for (const NodePlacement &p : placed)
        at[p.node] = QPointF(p.x, p.y);
    auto box = [&](const CNode *p) { return extents[p].box.translated(at[p]); };
    auto centre = [&](const CNode *p) { return at[p].y() + extents[p].rightAnchor.y(); };
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j)
            QVERIFY2(!box(placed[i].node).intersects(box(placed[j].node)),
                     qPrintable(QStringLiteral("nodes %1 and %2 overlap").arg(i).arg(j)));
    for (const CNode *pNode : open) {
        const std::vector<CNode *> &children = pNode->children;
        if (children.empty())
            continue;
        const double dAnchor = at[pNode].x() + extents[pNode].rightAnchor.x();
        const bool bTextsInTheWay = box(pNode).right() + CTreeArranger::Gap > dAnchor + 100;
        for (size_t i = 0; i < children.size(); ++i) {
            const double dX = at[children[i]].x();
            QVERIFY(dX >= dAnchor + 100 && dX > box(pNode).right());
            QVERIFY(bTextsInTheWay || dX < dAnchor + 101);
            QVERIFY(i == 0 || centre(children[i]) - centre(children[i - 1]) >= 100);
        }
        const double dMiddle = (centre(children.front()) + centre(children.back())) / 2;
        QVERIFY(qAbs(centre(pNode) - dMiddle) <= 0.5);
    }
    CNode::FreeSubtree(pRoot);
}

// A file can hold a chain 100,000 nodes deep; a recursive walk overflows the stack.
void TestArrange::deepChainNeedsNoRecursion()
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "");
    CNode *pTail = pRoot;
    for (int i = 0; i < 100000; ++i)
        pTail = CNode::CreateOption(pTail, "");
    const NodeExtent extent{QRectF(0, 0, 40, 20), QPointF(40, 10)};
    const auto placed =
        CTreeArranger::Arrange(pRoot, QPointF(), [&](const CNode *) { return extent; });
    QCOMPARE(placed.back().y, 0);
    QCOMPARE(placed.back().x, 100000 * 140);
    CNode::FreeSubtree(pRoot);
}

void TestArrange::numbersKeepTheirIntegerDigits_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("seven digits") << 1164567.0 << "1164567";
    QTest::newRow("rounds into a seventh digit") << 999999.7 << "999999.7";
    QTest::newRow("from 1e15 on, an exponent") << 2e15 << "2e+15";
}

// Six significant digits showed 1164567 as "1.16457e+06", which reads as 1164570.
void TestArrange::numbersKeepTheirIntegerDigits()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(NumberToText(value), text);
}

QTEST_APPLESS_MAIN(TestArrange)
#include "tst_arrange.moc"
