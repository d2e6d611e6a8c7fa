#include "CEditRules.h"
#include "ContextAction.h"
#include "GuiTest.h"

#include <random>

using namespace GuiTest;

// Thousands of random edits of the kinds a user makes, each allowed exactly
// where the node menus allow it; after every step the window must be sound,
// and undo and redo must meet every earlier state exactly.
class TestRandomEdits : public QObject
{
    Q_OBJECT

private slots:
    void randomEdits_data();
    void randomEdits();
};

namespace {

class RandomUser
{
public:
    RandomUser(TestWindow &testWindow, quint32 nSeed) : w(testWindow), rng(nSeed) {}

    // Does one edit that the tree admits as it is; says what it did.
    QString Step()
    {
        using namespace ContextAction;
        // Menu actions, then typing (-1), undo (-2) and redo (-3), weighted;
        // a large tree stops growing.
        static const int weights[] = {2, 1, 2, 2, 1, 1, 2, 6, 3, 2};
        static const int actions[] = {ActionAddDecision,
                                      ActionAddSituation,
                                      ActionAddOption,
                                      ActionDelete,
                                      ActionCut,
                                      ActionCopy,
                                      ActionPaste,
                                      -1,
                                      -2,
                                      -3};
        std::discrete_distribution<int> choose(std::begin(weights), std::end(weights));
        const bool bGrow = Attached(w.Root()).size() < 80;
        for (;;) {
            const int nAction = actions[choose(rng)];
            const bool bAdds = nAction == ActionAddDecision || nAction == ActionAddSituation ||
                               nAction == ActionAddOption || nAction == ActionPaste;
            if (nAction == -2 && w.Stack()->canUndo()) {
                w.Stack()->undo();
                return QStringLiteral("undo");
            }
            if (nAction == -3 && w.Stack()->canRedo()) {
                w.Stack()->redo();
                return QStringLiteral("redo");
            }
            CNode *pNode = PickNode(nAction);
            if (!pNode || (bAdds && !bGrow))
                continue;
            if (nAction == -1) {
                const QString strDone = Edit(pNode);
                if (strDone.isEmpty())
                    continue;
                return strDone;
            }
            if (nAction == ActionAddDecision || nAction == ActionAddSituation) {
                const int nKind =
                    nAction == ActionAddDecision ? NodeType::Decision : NodeType::Situation;
                w.AddBranch(pNode, nKind, Name("B"), Rows(nKind, 2 + Pick(2)));
            } else if (nAction == ActionAddOption) {
                w.AddOptions(pNode, Rows(pNode->type, 1 + Pick(2)));
            } else {
                w.window.OnItemContextMenu(w.Item(pNode), nAction);
            }
            return QStringLiteral("action %1 on %2").arg(nAction).arg(Describe(pNode));
        }
    }

private:
    int Pick(int nCount) { return std::uniform_int_distribution<int>(0, nCount - 1)(rng); }

    // A node on which the action is allowed, by the rules the menus follow.
    CNode *PickNode(int nAction)
    {
        std::vector<CNode *> candidates;
        for (CNode *pNode : Attached(w.Root()))
            if (nAction < 0 ? pNode->type != NodeType::Terminal
                            : CEditRules::Allows(nAction, pNode, w.window.GetClipboard()))
                candidates.push_back(pNode);
        return candidates.empty() ? nullptr : candidates[size_t(Pick(int(candidates.size())))];
    }

    QString Name(const char *pPrefix)
    {
        static const QStringList extras{"", " ünï ✓", " a long name to widen the item"};
        return pPrefix + QString::number(++counter) + extras[Pick(extras.size())];
    }

    double Payoff()
    {
        const double values[] = {double(Pick(21) - 10), (Pick(400) - 100) * 0.25, -1234567.891,
                                 1.0 / 3};
        return values[Pick(4)];
    }

    // Six digits at most: a probability text rounds to six digits once edited.
    double Probability() { return Pick(10) ? Pick(11) / 10.0 : 0.25; }

    QVector<OptionRow> Rows(int nKind, int nCount)
    {
        // Shares that add up about half of the time.
        static const QVector<QVector<double>> shares{{}, {1.0}, {0.3, 0.7}, {0.2, 0.3, 0.5}};
        const bool bShares = Pick(2);
        QVector<OptionRow> rows;
        for (int i = 0; i < nCount; ++i)
            rows << Row(Name("O"),
                        nKind == NodeType::Decision ? 1
                        : bShares                   ? shares[nCount][i]
                                                    : Probability(),
                        Payoff(), Pick(2) ? QString() : QStringLiteral("note ✓"));
        return rows;
    }

    // Changes one text as typing does, and ends the edit the way a text
    // reports a finished one: with its text from before the edit. Changes
    // too small for undo to apply again are left out; nothing when none is
    // made.
    QString Edit(CNode *pNode)
    {
        CNodeGrapicsItem *pItem = w.Item(pNode);
        CQEditableGraphicsTextItem *pPayoff = PayoffText(pItem);
        CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem);
        const int nField = pNode->type == NodeType::Option ? Pick(pProbability ? 3 : 2) : 0;
        if (nField == 0) {
            const QString strOld = pItem->toPlainText();
            pItem->setPlainText(Pick(10) ? Name("N") : QString());
            emit static_cast<CQEditableGraphicsTextItem *>(pItem)->sig_focusOut(strOld);
        } else if (nField == 1) {
            const double dNew = Payoff();
            if (qAbs(dNew - pNode->payoff) < 0.01)
                return QString();
            const QString strOld = pPayoff->toPlainText();
            pPayoff->setPlainText(QString::number(dNew, 'g', 12));
            emit pPayoff->sig_focusOut(strOld);
        } else {
            const double dOld = pProbability->GetProbability();
            const double dNew = Probability();
            if (qAbs(dNew - dOld) < 0.01)
                return QString();
            pProbability->SetProbability(dNew);
            emit pProbability->sig_focusOut(QString::number(dOld, 'g', 6));
        }
        return QStringLiteral("edit ") + Describe(pNode);
    }

    TestWindow &w;
    std::mt19937 rng;
    int counter = 0;
};

// Everything undo and redo must bring back exactly. Terminals are made afresh
// whenever a path ends; values the solver owns count only where every
// Situation adds up, else they stay as the way there left them.
QStringList State(TestWindow &w, bool bArranged)
{
    return Lines(w.Root(), bArranged ? NoPlaces : NoTerminalPlaces,
                 w.window.GetTree().IsProbabilityConsistent());
}

} // namespace

void TestRandomEdits::randomEdits_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("fromPlan"); // the worked example, else a new project
    QTest::addColumn<bool>("arranged"); // Arrange Automatically on
    QTest::newRow("seed 1, new project") << 1u << false << false;
    QTest::newRow("seed 2, worked example") << 2u << true << false;
    QTest::newRow("seed 3, new project, arranged") << 3u << false << true;
}

void TestRandomEdits::randomEdits()
{
    QFETCH(quint32, seed);
    QFETCH(bool, fromPlan);
    QFETCH(bool, arranged);
    TestWindow w;
    if (fromPlan)
        GrowPlan(w);
    w.window.SetArrangeAutomatically(arranged);
    RandomUser user(w, seed);
    QUndoStack *pStack = w.Stack();
    // The tree at each place in the history, as it was first reached there.
    std::vector<QStringList> states{State(w, arranged)};
    const auto check = [&](const QString &strDone, bool bNewPlace) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QString strFault = WindowFault(w.window);
        if (strFault.isEmpty() && arranged)
            strFault = OverlapFault(w.window);
        QVERIFY2(strFault.isEmpty(), qPrintable(strDone + ": " + strFault));
        const size_t nIndex = size_t(pStack->index());
        if (bNewPlace) {
            states.resize(nIndex);
            states.push_back(State(w, arranged));
        } else if (State(w, arranged) != states[nIndex]) {
            qWarning("%s met another tree at place %d", qPrintable(strDone), int(nIndex));
            QCOMPARE(State(w, arranged), states[nIndex]);
        }
    };
    for (int nStep = 1; nStep <= 1000 && !QTest::currentTestFailed(); ++nStep) {
        const int nBefore = pStack->index();
        const QString strDone = user.Step();
        const bool bWalked = strDone == QLatin1String("undo") || strDone == QLatin1String("redo");
        check(QStringLiteral("step %1 (%2)").arg(nStep).arg(strDone),
              !bWalked && pStack->index() != nBefore);
    }
    // Every step back and forth must meet the tree as it was at that place.
    const int nTop = pStack->index();
    while (pStack->canUndo() && !QTest::currentTestFailed()) {
        pStack->undo();
        check(QStringLiteral("undo to %1").arg(pStack->index()), false);
    }
    while (pStack->index() < nTop && !QTest::currentTestFailed()) {
        pStack->redo();
        check(QStringLiteral("redo to %1").arg(pStack->index()), false);
    }
}

RAMIFY_GUI_TEST_MAIN(TestRandomEdits)
#include "tst_randomedits.moc"
