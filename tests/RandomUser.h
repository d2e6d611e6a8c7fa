#pragma once

#include "CommandTestKit.h"
#include "ContextAction.h"

#include <random>

// Edits a window's tree at random, doing only what a user could do: each
// action goes where the node menus offer it, through the same window entry
// points the menus and the canvas texts use.
class RandomUser
{
public:
    enum Action
    {
        AddBranch,
        AddOptions,
        Delete,
        Cut,
        Copy,
        Paste,
        Edit,
        Undo,
        Redo,
    };

    RandomUser(CommandTestKit::TestWindow &testWindow, quint32 nSeed) : w(testWindow), rng(nSeed) {}

    // Does one action that applies to the tree as it is; says what it did.
    QString Step()
    {
        // Weights per action; a large tree stops growing.
        static const int weights[] = {3, 2, 2, 1, 1, 2, 4, 3, 2};
        const bool bGrow = CommandTestKit::Attached(w.Root()).size() < 80;
        for (;;) {
            std::discrete_distribution<int> choose(std::begin(weights), std::end(weights));
            const auto action = static_cast<Action>(choose(rng));
            if (!bGrow && (action == AddBranch || action == AddOptions || action == Paste))
                continue;
            QString strDone;
            if (Try(action, &strDone))
                return strDone;
        }
    }

private:
    int Pick(int nCount) { return std::uniform_int_distribution<int>(0, nCount - 1)(rng); }
    bool Chance(int nPercent) { return Pick(100) < nPercent; }

    template <typename Allowed> CNode *PickNode(Allowed fnAllowed)
    {
        std::vector<CNode *> candidates;
        for (CNode *pNode : CommandTestKit::Attached(w.Root()))
            if (fnAllowed(pNode))
                candidates.push_back(pNode);
        return candidates.empty() ? nullptr : candidates[size_t(Pick(int(candidates.size())))];
    }

    static bool IsBranch(const CNode *pNode)
    {
        return pNode->type == NodeType::Decision || pNode->type == NodeType::Situation;
    }

    // What the node menus offer Copy, Cut and Delete on.
    static bool IsMovable(const CNode *pNode)
    {
        return IsBranch(pNode) || pNode->type == NodeType::Option;
    }

    QString NewName(const char *pPrefix)
    {
        static const QStringList extras{"", " ünï", " ✓", " long name to widen the item"};
        return QString::fromLatin1(pPrefix) + QString::number(++counter) +
               extras[Pick(extras.size())];
    }

    double NewPayoff()
    {
        switch (Pick(4)) {
        case 0:
            return Pick(21) - 10;
        case 1:
            return (Pick(400) - 100) * 0.25;
        case 2:
            return 1234567.891 * (Pick(2) ? 1 : -1);
        default:
            return Pick(100);
        }
    }

    // Six digits at most: a probability text rounds to six digits once edited.
    double NewProbability() { return Chance(10) ? 0.25 : Pick(11) / 10.0; }

    QVector<OptionRow> Rows(int nKind, int nCount)
    {
        static const QStringList comments{"", "note", "ünïcode ✓"};
        // Probabilities that add up about half of the time.
        static const QVector<QVector<double>> shares{{}, {1.0}, {0.3, 0.7}, {0.2, 0.3, 0.5}};
        const bool bShares = Chance(50);
        QVector<OptionRow> rows;
        for (int i = 0; i < nCount; ++i) {
            double dProbability = 1.0;
            if (nKind != NodeType::Decision)
                dProbability = bShares ? shares[nCount][i] : NewProbability();
            rows << CommandTestKit::Row(NewName("O"), dProbability, NewPayoff(),
                                        comments[Pick(comments.size())]);
        }
        return rows;
    }

    bool CanPasteOn(const CNode *pTarget) const
    {
        const CNode *pClipboard = w.window.GetClipboard();
        if (!pClipboard || !pTarget)
            return false;
        if (IsBranch(pTarget))
            return pClipboard->type == NodeType::Option;
        if (pTarget->type == NodeType::Root || pTarget->type == NodeType::Option)
            return IsBranch(pClipboard) && pTarget->HasOnlyTerminalChild();
        return false;
    }

    bool Try(Action action, QString *pDone);
    bool EditTexts(CNode *pNode, QString *pDone);

    CommandTestKit::TestWindow &w;
    std::mt19937 rng;
    int counter = 0;
};

inline bool RandomUser::Try(Action action, QString *pDone)
{
    using CommandTestKit::Describe;
    QUndoStack *pStack = w.Stack();
    CNode *pNode = nullptr;
    switch (action) {
    case AddBranch: {
        pNode = PickNode([](const CNode *p) {
            return (p->type == NodeType::Root || p->type == NodeType::Option) &&
                   p->HasOnlyTerminalChild();
        });
        if (!pNode)
            return false;
        const int nKind = Chance(50) ? NodeType::Decision : NodeType::Situation;
        w.AddBranch(pNode, nKind, NewName(nKind == NodeType::Decision ? "D" : "S"),
                    Rows(nKind, 2 + Pick(2)));
        *pDone = QStringLiteral("add a branch under ") + Describe(pNode);
        return true;
    }
    case AddOptions:
        pNode = PickNode(IsBranch);
        if (!pNode)
            return false;
        w.AddOptions(pNode, Rows(pNode->type, 1 + Pick(2)));
        *pDone = QStringLiteral("add options to ") + Describe(pNode);
        return true;
    case Delete:
        pNode = PickNode([](const CNode *p) {
            return IsMovable(p) && (p->type != NodeType::Option || p->parent->children.size() > 1);
        });
        if (!pNode)
            return false;
        *pDone = QStringLiteral("delete ") + Describe(pNode);
        w.window.OnItemContextMenu(w.Item(pNode), ContextAction::ActionDelete);
        return true;
    case Cut:
    case Copy:
        pNode = PickNode([action](const CNode *p) {
            return IsMovable(p) && (action == Copy || p->type != NodeType::Option ||
                                    p->parent->children.size() > 1);
        });
        if (!pNode)
            return false;
        *pDone = QLatin1String(action == Cut ? "cut " : "copy ") + Describe(pNode);
        w.window.OnItemContextMenu(w.Item(pNode), action == Cut ? ContextAction::ActionCut
                                                                : ContextAction::ActionCopy);
        return true;
    case Paste:
        pNode = PickNode([this](const CNode *p) { return CanPasteOn(p); });
        if (!pNode)
            return false;
        *pDone = QStringLiteral("paste on ") + Describe(pNode);
        w.window.OnItemContextMenu(w.Item(pNode), ContextAction::ActionPaste);
        return true;
    case Edit:
        pNode = PickNode([](const CNode *p) { return p->type != NodeType::Terminal; });
        return pNode && EditTexts(pNode, pDone);
    case Undo:
        if (!pStack->canUndo())
            return false;
        pStack->undo();
        *pDone = QStringLiteral("undo");
        return true;
    case Redo:
        if (!pStack->canRedo())
            return false;
        pStack->redo();
        *pDone = QStringLiteral("redo");
        return true;
    }
    return false;
}

// Changes one of the node's texts as typing does, and ends the edit the way
// the text reports a finished one: with its text from before the edit.
inline bool RandomUser::EditTexts(CNode *pNode, QString *pDone)
{
    CNodeGrapicsItem *pItem = w.Item(pNode);
    CQEditableGraphicsTextItem *pPayoff = CommandTestKit::PayoffText(pItem);
    CProbabilityGraphicsTextItem *pProbability = CommandTestKit::ProbabilityText(pItem);
    const bool bOption = pNode->type == NodeType::Option;
    const int nField = bOption ? Pick(pProbability ? 3 : 2) : 0;
    *pDone = QStringLiteral("edit ") + CommandTestKit::Describe(pNode);
    if (nField == 0) {
        const QString strOld = pItem->toPlainText();
        const QString strNew = Chance(10) ? QString() : NewName("N");
        if (strNew == strOld)
            return false;
        pItem->setPlainText(strNew);
        emit static_cast<CQEditableGraphicsTextItem *>(pItem)->sig_focusOut(strOld);
    } else if (nField == 1) {
        const double dNew = NewPayoff();
        if (qAbs(dNew - pNode->payoff) < 0.01)
            return false;
        const QString strOld = pPayoff->toPlainText();
        pPayoff->setPlainText(QString::number(dNew, 'g', 12));
        emit pPayoff->sig_focusOut(strOld);
    } else {
        const double dOld = pProbability->GetProbability();
        const double dNew = NewProbability();
        if (qAbs(dNew - dOld) < 0.01)
            return false;
        pProbability->SetProbability(dNew);
        emit pProbability->sig_focusOut(QString::number(dOld, 'g', 6));
    }
    return true;
}
