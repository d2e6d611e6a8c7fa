#include "CEditRules.h"
#include "CTreeScene.h"
#include "ContextAction.h"
#include "GuiTest.h"

#include <cmath>
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
        // Menu actions, then typing (-1), undo (-2), redo (-3) and a
        // variable (-4), weighted; a large tree stops growing.
        static const int weights[] = {2, 1, 2, 2, 1, 1, 2, 1, 1, 6, 3, 2, 1};
        static const int actions[] = {ActionAddDecision,
                                      ActionAddSituation,
                                      ActionAddOption,
                                      ActionDelete,
                                      ActionCut,
                                      ActionCopy,
                                      ActionPaste,
                                      ActionFold,
                                      ActionUnfold,
                                      -1,
                                      -2,
                                      -3,
                                      -4};
        std::discrete_distribution<int> choose(std::begin(weights), std::end(weights));
        const bool bGrow = Attached(w.Root()).size() < 80;
        // A Situation left off by a deletion is mostly mended by typing the
        // rest into its last option shown.
        if (Pick(2))
            for (CNode *pNode : Attached(w.Root()))
                if (pNode->type == NodeType::Situation && !pNode->ChildProbabilitiesAddUp() &&
                    !pNode->folded && !CTreeScene::IsHidden(pNode)) {
                    const QString strDone = Mend(pNode);
                    if (!strDone.isEmpty())
                        return strDone;
                }
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
            if (nAction == -4)
                return EditVariable();
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
                // Mostly new options of nothing, so that their Situation
                // still adds up.
                QVector<OptionRow> rows = Rows(pNode->type, 1 + Pick(2));
                if (pNode->type == NodeType::Situation && Pick(10))
                    for (OptionRow &row : rows)
                        row.probability = 0;
                w.AddOptions(pNode, rows);
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
            if (CTreeScene::IsHidden(pNode))
                continue;
            else if (nAction < 0 ? pNode->type != NodeType::Terminal
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
        // Shares that add up nine times in ten: only a tree that adds up
        // everywhere has its rollback checked.
        static const QVector<QVector<double>> shares{{}, {1.0}, {0.3, 0.7}, {0.2, 0.3, 0.5}};
        const bool bShares = Pick(10);
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
    QString Edit(CNode *pNode, int nChosenField = -1, double dProbability = -1)
    {
        CNodeGrapicsItem *pItem = w.Item(pNode);
        CQEditableGraphicsTextItem *pPayoff = PayoffText(pItem);
        CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem);
        const int nField = nChosenField >= 0                 ? nChosenField
                           : pNode->type == NodeType::Option ? Pick(pProbability ? 3 : 2)
                                                             : 0;
        if (nField == 0) {
            const QString strOld = pItem->toPlainText();
            pItem->setPlainText(Pick(10) ? Name("N") : QString());
            emit static_cast<CQEditableGraphicsTextItem *>(pItem)->sig_focusOut(strOld);
        } else if (nField == 1) {
            const CVariables &variables = w.window.GetDocument().GetVariables();
            const QString strOld = pPayoff->toPlainText();
            if (!variables.IsEmpty() && !Pick(4)) {
                // A formula of a variable, computed as it is typed.
                const std::string &strName = variables.At(Pick(variables.Count())).name;
                pPayoff->setPlainText(QString::fromStdString(strName) + QStringLiteral(" * 2 + 1"));
            } else {
                const double dNew = Payoff();
                if (qAbs(dNew - pNode->payoff) < 0.01)
                    return QString();
                pPayoff->setPlainText(QString::number(dNew, 'g', 12));
            }
            emit pPayoff->sig_focusOut(strOld);
        } else {
            const double dOld = pProbability->GetProbability();
            // Mostly the share that makes its Situation add up again.
            double dRest = 1;
            for (const CNode *pSibling : pNode->parent->children)
                dRest -= pSibling == pNode ? 0 : pSibling->probability;
            dRest = std::round(dRest * 1e6) / 1e6;
            const double dNew = dProbability >= 0                     ? dProbability
                                : dRest >= 0 && dRest <= 1 && Pick(5) ? dRest
                                                                      : Probability();
            if (qAbs(dNew - dOld) < 0.01)
                return QString();
            pProbability->SetProbability(dNew);
            emit pProbability->sig_focusOut(QString::number(dOld, 'g', 6));
        }
        return QStringLiteral("edit ") + Describe(pNode);
    }

    // Types into an option of Situation pNode the rest that makes it add
    // up; where no option can take it, the largest share goes to 0 first.
    QString Mend(CNode *pNode)
    {
        CNode *pLargest = nullptr;
        for (CNode *pOption : pNode->children) {
            double dRest = 1;
            for (const CNode *pSibling : pNode->children)
                dRest -= pSibling == pOption ? 0 : pSibling->probability;
            if (dRest >= 0 && dRest <= 1)
                return Edit(pOption, 2, std::round(dRest * 1e6) / 1e6);
            if (!pLargest || pOption->probability > pLargest->probability)
                pLargest = pOption;
        }
        return Edit(pLargest, 2, 0);
    }

    // Adds a variable or sets one's value, as one step of the history.
    QString EditVariable()
    {
        CVariables variables = w.window.GetDocument().GetVariables();
        if (variables.IsEmpty() || !Pick(3)) {
            const std::string strName = "v" + std::to_string(++counter);
            variables.Add({strName, Payoff(), "", false, 0, false, 0, ""});
        } else {
            const int n = Pick(variables.Count());
            CVariables::Variable changed = variables.At(n);
            changed.value = Payoff();
            variables.Set(n, changed);
        }
        w.window.ChangeVariables(QStringLiteral("Variable"), variables, {});
        return QStringLiteral("variables");
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
    QStringList lines = Lines(w.Root(), bArranged ? NoPlaces : NoTerminalPlaces,
                              w.window.GetTree().IsProbabilityConsistent());
    for (const CNode *pNode : Attached(w.Root()))
        lines << QString::fromStdString(pNode->payoffFormula + " | " + pNode->probabilityFormula);
    const CVariables &variables = w.window.GetDocument().GetVariables();
    for (int n = 0; n < variables.Count(); ++n)
        lines << QString::fromStdString(variables.At(n).name) + QLatin1Char('=') +
                     QString::number(variables.At(n).value, 'g', 17);
    return lines;
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
    // A fold is no step of the history, but an unfold places nodes drawn for
    // the first time: every other place is then met afresh.
    std::vector<std::optional<QStringList>> states{State(w, arranged)};
    int nChecks = 0;
    int nRolledBack = 0;
    const auto check = [&](const QString &strDone, bool bNewPlace) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        bool bRolledBack = false;
        QString strFault = WindowFault(w.window, &bRolledBack);
        ++nChecks;
        nRolledBack += bRolledBack;
        if (strFault.isEmpty() && arranged)
            strFault = OverlapFault(w.window);
        QVERIFY2(strFault.isEmpty(), qPrintable(strDone + ": " + strFault));
        const size_t nIndex = size_t(pStack->index());
        if (bNewPlace) {
            states.resize(nIndex);
            states.push_back(State(w, arranged));
        } else if (!states[nIndex]) {
            states[nIndex] = State(w, arranged);
        } else if (State(w, arranged) != *states[nIndex]) {
            qWarning("%s met another tree at place %d", qPrintable(strDone), int(nIndex));
            QCOMPARE(State(w, arranged), *states[nIndex]);
        }
    };
    for (int nStep = 1; nStep <= 1000 && !QTest::currentTestFailed(); ++nStep) {
        const int nBefore = pStack->index();
        const QString strDone = user.Step();
        const bool bWalked = strDone == QLatin1String("undo") || strDone == QLatin1String("redo");
        if (strDone.startsWith(QStringLiteral("action %1 ").arg(ContextAction::ActionFold)) ||
            strDone.startsWith(QStringLiteral("action %1 ").arg(ContextAction::ActionUnfold)))
            for (std::optional<QStringList> &state : states)
                state.reset();
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
    // A tree that seldom adds up would leave the rollback unchecked.
    QVERIFY2(
        nRolledBack * 2 >= nChecks,
        qPrintable(QStringLiteral("%1 of %2 steps rolled back").arg(nRolledBack).arg(nChecks)));
}

RAMIFY_GUI_TEST_MAIN(TestRandomEdits)
#include "tst_randomedits.moc"
