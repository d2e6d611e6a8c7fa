#pragma once

#include "CProjectFile.h"

#include <QtGlobal>

#include <unordered_map>
#include <vector>

class CNode;
class QXmlStreamAttributes;

// Rebuilds a tree from the token stream of a project file. Every node stays
// alive until the end of the read, so a "ParentID" never names freed memory;
// only then is the last Root handed to the tree and everything else freed.
class CProjectFileReader
{
    Q_DECLARE_TR_FUNCTIONS(CProjectFileReader)

public:
    explicit CProjectFileReader(CDecisionTree &target) : tree(target) {}
    CProjectFileReader(const CProjectFileReader &) = delete;
    CProjectFileReader &operator=(const CProjectFileReader &) = delete;
    ~CProjectFileReader();

    // Reads the open device to its end or to its first error; fills in
    // everything of the result but opened and filePath.
    void Read(QIODevice &device, CProjectFile::ReadResult &result);

private:
    void ReadNode(const QXmlStreamAttributes &attributes);
    void ReadVariable(const QXmlStreamAttributes &attributes);
    // False, with the reason, when the project's rule is not one this
    // program knows.
    static bool ReadRule(const QXmlStreamAttributes &attributes, CDecisionRule *pRule,
                         QString *pError);
    void HandOverToTree();
    void FreeLeftovers(const CNode *pKeep);

    CDecisionTree &tree;
    std::unordered_map<quint32, CNode *> nodesById;
    // Nodes read without a parent; each owns its subtree until the end.
    std::vector<CNode *> tops;
    CNode *lastRoot = nullptr;
    // Every "Node" element, also those of unknown kinds that make no node.
    qint64 nodesRead = 0;
    CVariables variables;
    std::vector<CVariables::Problem> problems;
};
