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
    // False, with nothing kept, where the file is not plain XML.
    bool ReadPlain(QIODevice &device, CProjectFile::ReadResult &result);
    void ReadThroughQt(QIODevice &device, CProjectFile::ReadResult &result);
    // False, with the reason, when the project's rule or criteria are not
    // ones this program knows.
    static bool ReadProject(const QXmlStreamAttributes &attributes,
                            CProjectFile::ReadResult &result, QString *pError);
    // Fields: a node's attributes, as Qt or the plain scan read them.
    template <class Fields> void ReadNode(const Fields &fields);
    void ReadVariable(const QXmlStreamAttributes &attributes);
    // The node last read with an ID; null when there is none.
    CNode *NodeWithId(quint32 nId) const;
    void KeepId(quint32 nId, CNode *pNode);
    void ForgetIds();
    void HandOverToTree();
    void FreeLeftovers(const CNode *pKeep);

    CDecisionTree &tree;
    // IDs run from 1 up as Ramify writes them: those up to a few times the
    // nodes read are looked up in a vector, any others in a map.
    std::vector<CNode *> nodesByLowId;
    std::unordered_map<quint32, CNode *> nodesById;
    // Nodes read without a parent; each owns its subtree until the end.
    std::vector<CNode *> tops;
    CNode *lastRoot = nullptr;
    // Every "Node" element, also those of unknown kinds that make no node.
    qint64 nodesRead = 0;
    CVariables variables;
    std::vector<CVariables::Problem> problems;
};
