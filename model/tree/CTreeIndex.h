#pragma once

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <string>
#include <vector>

class CNode;

// The nodes of a tree numbered as the project file numbers them: breadth-first
// from the Root, children in order, so that node n carries the file's ID n + 1.
// Breadth-first order keeps the children of a node side by side and puts every
// node after its parent, which lets evaluations run over plain arrays in both
// directions instead of walking pointers. The index only reads the tree and is
// valid while the tree keeps its shape.
class CTreeIndex
{
    Q_DECLARE_TR_FUNCTIONS(CTreeIndex)

public:
    static constexpr int None = -1;

    explicit CTreeIndex(const CNode *pRoot);

    int Size() const { return int(entries.size()); }
    const CNode *Node(int n) const { return entries[size_t(n)].node; }
    int Type(int n) const { return entries[size_t(n)].type; }
    int Parent(int n) const { return entries[size_t(n)].parent; }
    int FirstChild(int n) const { return entries[size_t(n)].firstChild; }
    int ChildCount(int n) const { return entries[size_t(n)].childCount; }
    // Where option n leads; an end standing among options leads to itself.
    int LeadsTo(int n) const { return ChildCount(n) > 0 ? FirstChild(n) : n; }
    // The position of n among its parent's children.
    int ChildPosition(int n) const { return n - FirstChild(Parent(n)); }

    static quint32 IdOf(int n) { return quint32(n) + 1; }
    // The node of a file ID, or None.
    int FromId(quint64 nId) const;
    // Compares pointers only, so a node that has left the tree is simply not found.
    int IndexOf(const CNode *pNode) const;
    // Every option with exactly this (UTF-8) name, in ID order.
    std::vector<int> OptionsNamed(const std::string &strName) const;

    // Empty when the tree has the shape the editor builds: a Root with at most
    // one child, options only under Decisions and Situations, one child below
    // every option, Terminals at the ends. Otherwise a sentence naming the
    // first node that breaks it. The analyses refuse other shapes: the rollback
    // walks them in ways that depend on the depth of each leaf, not on what
    // the tree means.
    QString ShapeProblem() const;

    // "Decision \"Drill?\" (#2)": how a node is named in messages.
    QString Describe(int n) const;

private:
    QString NodeProblem(int n) const;

    // One entry per node, so that a large tree grows one array, not five.
    // The type is kept here as well: walks ask for it far more often than
    // for anything else, and this saves a visit to each node.
    struct Entry
    {
        const CNode *node;
        int32_t type;
        int parent;
        int firstChild;
        int childCount;
    };
    std::vector<Entry> entries;
    bool nullChild = false;
};
