#pragma once

#include "CDecisionTree.h"
#include "CProjectFile.h"
#include "FuzzTrees.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <vector>

// Bytes that cannot be read again, as from a pipe: the project file reader
// reads them through Qt alone, never through its plain scan.
class CSequentialBytes : public QIODevice
{
public:
    explicit CSequentialBytes(const QByteArray &bytes) : data(bytes) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return data.size() - offset + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char *pTo, qint64 nMost) override
    {
        const qint64 nCount = std::min(nMost, qint64(data.size()) - offset);
        std::memcpy(pTo, data.constData() + offset, size_t(nCount));
        offset += nCount;
        return nCount;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray data;
    qint64 offset = 0;
};

// Both trees hold the second payoffs alike, which SameTrees leaves aside.
inline bool SameSecondPayoffs(const CNode *pFirst, const CNode *pSecond)
{
    std::vector<std::pair<const CNode *, const CNode *>> pending{{pFirst, pSecond}};
    while (!pending.empty()) {
        const auto [pA, pB] = pending.back();
        pending.pop_back();
        if (!pA || !pB)
            continue;
        if (!SameNumber(pA->payoff2, pB->payoff2) || pA->payoff2Formula != pB->payoff2Formula)
            return false;
        for (size_t i = 0; i < pA->children.size() && i < pB->children.size(); ++i)
            pending.emplace_back(pA->children[i], pB->children[i]);
    }
    return true;
}

// Reads bytes as a project file from memory, where a plain file is scanned,
// and through Qt alone. The scan may leave a file to Qt, but must never read
// one otherwise: the same tree, variables, settings, counts and errors.
inline bool ReadsAsQtDoes(const QByteArray &bytes)
{
    QBuffer memory;
    memory.setData(bytes);
    CDecisionTree scanned;
    const CProjectFile::ReadResult first = CProjectFile::Read(memory, scanned);

    CSequentialBytes stream(bytes);
    CDecisionTree throughQt;
    const CProjectFile::ReadResult second = CProjectFile::Read(stream, throughQt);

    if (first.opened != second.opened || first.complete != second.complete ||
        first.projectName != second.projectName || first.errorText != second.errorText ||
        first.errorLine != second.errorLine || first.errorColumn != second.errorColumn ||
        first.nodesInFile != second.nodesInFile || first.nodesInTree != second.nodesInTree ||
        !(first.settings == second.settings) ||
        first.formulaProblems.size() != second.formulaProblems.size())
        return false;
    for (size_t n = 0; n < first.formulaProblems.size(); ++n) {
        const CVariables::Problem &a = first.formulaProblems[n];
        const CVariables::Problem &b = second.formulaProblems[n];
        if (a.variable != b.variable || a.text != b.text || a.probability != b.probability ||
            a.second != b.second || !a.node != !b.node)
            return false;
    }
    return SameTrees(scanned.GetRoot(), throughQt.GetRoot()) &&
           SameSecondPayoffs(scanned.GetRoot(), throughQt.GetRoot()) &&
           SameVariables(scanned.Variables(), throughQt.Variables());
}
