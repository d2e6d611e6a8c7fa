#pragma once

// Trees and project files in memory for the model, file and command-line tests.

#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"
#include "ExampleTrees.h"

#include <QBuffer>
#include <QtTest>

using ExampleTrees::AddOption;
using ExampleTrees::WorkedExample;

// Root - Decision - Option - Decision - ... of nDepth nodes, ending in a
// Terminal; every option pays 1. The caller owns the Root.
inline CNode *MakeChain(int nDepth)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Deep");
    CNode *pTail = pRoot;
    for (int i = 1; i < nDepth - 1; ++i) {
        pTail = i % 2 ? CNode::CreateDecision(pTail, "D") : CNode::CreateOption(pTail, "O");
        pTail->payoff = i % 2 ? 0.0 : 1.0;
    }
    CNode::CreateTerminal(pTail, "");
    return pRoot;
}

inline QByteArray WriteBytes(const CDecisionTree &tree, const QString &strProjectName)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CProjectFile::Write(buffer, tree, strProjectName);
    return buffer.data();
}

inline CProjectFile::ReadResult ReadBytes(const QByteArray &bytes, CDecisionTree &tree)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return CProjectFile::Read(buffer, tree);
}

// A project file around the given "Node" elements.
inline QByteArray Project(const QByteArray &nodes)
{
    return "<?xml version=\"1.0\"?>\n<RMFYProject Name=\"P\" Version=\"1\">\n" + nodes +
           "</RMFYProject>\n";
}

inline QByteArray NodeXml(int nId, int nParentId, int nType, const QByteArray &extra = {})
{
    return QByteArray("<Node ID=\"") + QByteArray::number(nId) + "\" ParentID=\"" +
           QByteArray::number(nParentId) + "\" Type=\"" + QByteArray::number(nType) + "\" " +
           extra + "/>\n";
}

// Fails at the first field that differs, walking both trees in step.
inline void CompareTrees(const CNode *pExpected, const CNode *pActual)
{
    std::vector<std::pair<const CNode *, const CNode *>> pending{{pExpected, pActual}};
    while (!pending.empty()) {
        const auto [pE, pA] = pending.back();
        pending.pop_back();
        QVERIFY(pA);
        QCOMPARE(pA->type, pE->type);
        QCOMPARE(pA->name, pE->name);
        QCOMPARE(pA->probability, pE->probability);
        QCOMPARE(pA->payoff, pE->payoff);
        QCOMPARE(pA->payoffComment, pE->payoffComment);
        QCOMPARE(pA->payoffFormula, pE->payoffFormula);
        QCOMPARE(pA->probabilityFormula, pE->probabilityFormula);
        QCOMPARE(pA->payoff2, pE->payoff2);
        QCOMPARE(pA->payoff2Formula, pE->payoff2Formula);
        QCOMPARE(QPoint(pA->x, pA->y), QPoint(pE->x, pE->y));
        QCOMPARE(pA->active, pE->active);
        QCOMPARE(pA->folded, pE->folded);
        QCOMPARE(pA->children.size(), pE->children.size());
        for (size_t i = 0; i < pE->children.size(); ++i) {
            QCOMPARE(pA->children[i]->parent, pA);
            pending.emplace_back(pE->children[i], pA->children[i]);
        }
    }
}
