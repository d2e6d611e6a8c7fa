#pragma once

#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"

#include <QBuffer>
#include <QtTest>

#include <utility>
#include <vector>

// Reading and writing projects in memory, and comparing trees, for the
// project file tests.
namespace ProjectFileHelpers {

inline QByteArray WriteBytes(const CDecisionTree &tree, const QString &strProjectName)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString strError;
    if (!CProjectFile::Write(buffer, tree, strProjectName, &strError))
        qWarning("write failed: %s", qPrintable(strError));
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
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<RMFYProject Name=\"P\" Version=\"1\">\n" +
           nodes + "</RMFYProject>\n";
}

inline QByteArray NodeXml(int nId, int nParentId, int nType, const QByteArray &name = QByteArray())
{
    return QStringLiteral("<Node ID=\"%1\" ParentID=\"%2\" Type=\"%3\" Name=\"%4\"/>\n")
        .arg(nId)
        .arg(nParentId)
        .arg(nType)
        .arg(QString::fromUtf8(name))
        .toUtf8();
}

// Children names of a node, in order, for compact shape checks.
inline QStringList ChildNames(const CNode *pNode)
{
    QStringList names;
    for (const CNode *pChild : pNode->children)
        names << QString::fromStdString(pChild->name);
    return names;
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
        QCOMPARE(pA->x, pE->x);
        QCOMPARE(pA->y, pE->y);
        QCOMPARE(pA->active, pE->active);
        QCOMPARE(pA->children.size(), pE->children.size());
        for (size_t i = 0; i < pE->children.size(); ++i) {
            QVERIFY(pA->children[i]);
            QCOMPARE(pA->children[i]->parent, pA);
            pending.emplace_back(pE->children[i], pA->children[i]);
        }
    }
}

} // namespace ProjectFileHelpers
