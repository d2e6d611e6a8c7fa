#pragma once

// The round trip through a SilverDecisions file, shared by its fuzz target
// and the tests: whatever a project holds writes a file that reads back to
// the same tree and values, writes the same bytes again, and keeps them
// through a project file as well.

#include "CPeerJsonWriter.h"
#include "CProjectDocument.h"
#include "FuzzTrees.h"

#include <QBuffer>
#include <QString>

#include <utility>
#include <vector>

namespace PeerRoundTrip {

inline bool Read(const QByteArray &bytes, CProjectDocument *pDocument)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return pDocument->Read(buffer).Succeeded();
}

// What a SilverDecisions file can say of a tree: its shape, kinds, names,
// folds and every value the rollback gives; positions, comments and the
// way a formula is spelled may change on the way. The Root takes the
// project's name there, and the end the editor keeps below a Decision or
// Situation without options has none. Only an option's mark of the chosen
// path is the rollback's; the mark a project file stores on other nodes has
// no place there, and every node but an option reads back marked.
inline QString DifferenceInPeerTerms(const CNode *pFirst, const CNode *pSecond, bool bSolved)
{
    std::vector<std::pair<const CNode *, const CNode *>> pending{{pFirst, pSecond}};
    while (!pending.empty()) {
        const auto [pA, pB] = pending.back();
        pending.pop_back();
        const bool bNameless =
            pA->type == NodeType::Root ||
            (pA->type == NodeType::Terminal && pA->parent && pA->parent->type != NodeType::Option);
        // Only options and ends have a probability that means anything; what
        // the rollback writes counts only where every Situation adds up, else
        // it stays as the way there left it.
        const bool bInput = pA->type == NodeType::Option;
        const bool bWeighed = bInput || (bSolved && pA->type == NodeType::Terminal);
        const bool bValued = bInput || bSolved;
        if (pA->type != pB->type || (!bNameless && pA->name != pB->name) ||
            (bValued && !SameNumber(pA->payoff, pB->payoff)) ||
            (bWeighed && !SameNumber(pA->probability, pB->probability)) ||
            (bInput && pA->active != pB->active) || pA->folded != pB->folded ||
            pA->children.size() != pB->children.size())
            return QStringLiteral("\"%1\" (%2, p %3, v %4) became \"%5\" (%6, p %7, v %8)")
                .arg(QString::fromStdString(pA->name))
                .arg(pA->type)
                .arg(pA->probability, 0, 'g', 17)
                .arg(pA->payoff, 0, 'g', 17)
                .arg(QString::fromStdString(pB->name))
                .arg(pB->type)
                .arg(pB->probability, 0, 'g', 17)
                .arg(pB->payoff, 0, 'g', 17);
        for (size_t i = 0; i < pA->children.size(); ++i)
            pending.emplace_back(pA->children[i], pB->children[i]);
    }
    return QString();
}

// Why bytes read as a project break the round trip; empty when it holds, or
// when the bytes are refused or the tree cannot be written as that file
// (too deep, no single top node), which the writer says in words.
inline QString Fault(const QByteArray &bytes)
{
    CProjectDocument first;
    if (!Read(bytes, &first))
        return QString();
    QString strError;
    const QByteArray json = CPeerJsonWriter::Write(first.GetTree(), first.GetProjectName(),
                                                   first.GetSettings(), &strError);
    if (json.isEmpty())
        return strError.isEmpty() ? QStringLiteral("nothing written, and no reason given")
                                  : QString();
    CProjectDocument second;
    if (!Read(json, &second))
        return QStringLiteral("the file written cannot be read back");
    if (first.IsConsistent() != second.IsConsistent())
        return QStringLiteral("the file written adds up otherwise");
    const QString strDifference =
        DifferenceInPeerTerms(first.GetRoot(), second.GetRoot(), first.IsConsistent());
    if (!strDifference.isEmpty())
        return QStringLiteral("the file written reads back to another tree: ") + strDifference;
    const QByteArray again = CPeerJsonWriter::Write(second.GetTree(), second.GetProjectName(),
                                                    second.GetSettings(), &strError);
    if (again != json)
        return QStringLiteral("the file read back writes other bytes");
    CProjectDocument third;
    if (!Read(again, &third) || !SameTrees(second.GetRoot(), third.GetRoot()) ||
        !SameVariables(second.GetVariables(), third.GetVariables()))
        return QStringLiteral("the file read a second time is another tree");

    QBuffer project;
    project.open(QIODevice::WriteOnly);
    if (!second.Write(project, &strError))
        return QStringLiteral("the tree read back cannot be saved: ") + strError;
    CProjectDocument saved;
    if (!Read(project.data(), &saved) || !SameTrees(second.GetRoot(), saved.GetRoot()) ||
        !SameVariables(second.GetVariables(), saved.GetVariables()))
        return QStringLiteral("the tree read back is another once saved as a project");
    return QString();
}

} // namespace PeerRoundTrip
