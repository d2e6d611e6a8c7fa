#include "CommandTestKit.h"
#include "GuiTestMain.h"
#include "RandomUser.h"

#include <QElapsedTimer>

using namespace CommandTestKit;

// Thousands of random edits, each checked at once against the rules that
// every edit must keep; then the whole history walked back and forth.
class TestRandomEdits : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void randomEdits_data();
    void randomEdits();
};

namespace {

// Why the window is not in a sound state; empty when it is.
QString Fault(TestWindow &w)
{
    QString strFault = TreeFault(w.window.GetTree());
    if (strFault.isEmpty())
        strFault = SceneFault(w.window);
    if (strFault.isEmpty())
        strFault = ValueFault(w.window);
    return strFault;
}

// Everything that undo and redo must bring back exactly. Values the solver
// owns count only where every Situation adds up: otherwise they are left as
// they were, and what they were depends on the way the tree got there.
std::vector<NodeState> State(TestWindow &w)
{
    return Capture(w.Root(), false, w.window.GetTree().IsProbabilityConsistent());
}

// The nodes that commands keep alive across undo and redo; Terminals are
// made afresh whenever a path ends.
std::vector<CNode *> KeptNodes(CNode *pRoot)
{
    std::vector<CNode *> nodes = Attached(pRoot);
    nodes.erase(std::remove_if(nodes.begin(), nodes.end(),
                               [](const CNode *p) { return p->type == NodeType::Terminal; }),
                nodes.end());
    return nodes;
}

} // namespace

void TestRandomEdits::randomEdits_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("fromPlan"); // start from the worked example, else a new project
    QTest::addColumn<int>("steps");
    const int nSteps = 1000;
    QTest::newRow("seed 1, new project") << 1u << false << nSteps;
    QTest::newRow("seed 2, worked example") << 2u << true << nSteps;
    QTest::newRow("seed 3, new project") << 3u << false << nSteps;
}

void TestRandomEdits::randomEdits()
{
    QFETCH(quint32, seed);
    QFETCH(bool, fromPlan);
    QFETCH(int, steps);
    QElapsedTimer clock;
    clock.start();

    TestWindow w;
    if (fromPlan)
        GrowPlan(w);
    const std::vector<NodeState> first = State(w);
    RandomUser user(w, seed);
    int nDone = 0;
    // The tree at each place in the history, as it was when that place was
    // first reached: undo and redo must come back to exactly that.
    std::vector<std::vector<NodeState>> states{first};
    for (int nStep = 1; nStep <= steps; ++nStep) {
        const int nBefore = w.Stack()->index();
        const QString strDone = user.Step();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString strFault = Fault(w);
        QVERIFY2(strFault.isEmpty(),
                 qPrintable(QStringLiteral("step %1 (%2): %3").arg(nStep).arg(strDone, strFault)));
        const bool bWalked = strDone == QLatin1String("undo") || strDone == QLatin1String("redo");
        const size_t nIndex = size_t(w.Stack()->index());
        if (!bWalked && int(nIndex) != nBefore) {
            states.resize(nIndex);
            states.push_back(State(w));
        } else if (State(w) != states[nIndex]) {
            qWarning("step %d (%s) changed the tree at place %d of the history", nStep,
                     qPrintable(strDone), int(nIndex));
            QCOMPARE(Lines(State(w)), Lines(states[nIndex]));
        }
        nDone += bWalked ? 0 : 1;
    }
    const std::vector<NodeState> last = State(w);
    const std::vector<CNode *> lastNodes = KeptNodes(w.Root());
    QUndoStack *pStack = w.Stack();
    const int nIndex = pStack->index();

    // Every step back and forth must meet the tree as it was at that place.
    while (pStack->canUndo()) {
        pStack->undo();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString strFault = Fault(w);
        QVERIFY2(strFault.isEmpty(),
                 qPrintable(QStringLiteral("undo to %1: %2").arg(pStack->index()).arg(strFault)));
        if (State(w) != states[size_t(pStack->index())])
            QCOMPARE(Lines(State(w)), Lines(states[size_t(pStack->index())]));
    }
    QCOMPARE(Lines(State(w)), Lines(first));

    while (pStack->index() < nIndex) {
        pStack->redo();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString strFault = Fault(w);
        QVERIFY2(strFault.isEmpty(),
                 qPrintable(QStringLiteral("redo to %1: %2").arg(pStack->index()).arg(strFault)));
        if (State(w) != states[size_t(pStack->index())])
            QCOMPARE(Lines(State(w)), Lines(states[size_t(pStack->index())]));
    }
    QCOMPARE(Lines(State(w)), Lines(last));
    QCOMPARE(KeptNodes(w.Root()), lastNodes);

    qInfo("%d steps (%d edits, %d in the history, %d nodes at the end) in %lld ms", steps, nDone,
          pStack->count(), int(Attached(w.Root()).size()), clock.elapsed());
}

RAMIFY_GUI_TEST_MAIN(TestRandomEdits)
#include "tst_randomedits.moc"
