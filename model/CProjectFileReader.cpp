#include "CProjectFileReader.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFileWriter.h"

#include <QXmlStreamReader>

#include <cmath>
#include <limits>

namespace {

int32_t ReadCoordinate(const QXmlStreamAttributes &attributes, QLatin1String name)
{
    const QStringRef text = attributes.value(name);
    if (text.isEmpty())
        return CNode::NoPosition;
    const double dValue = text.toDouble();
    // Converting a double outside the int32 range is undefined; clamp first.
    if (std::isnan(dValue))
        return CNode::NoPosition;
    if (dValue <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (dValue >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(dValue);
}

bool ReadFlag(const QXmlStreamAttributes &attributes)
{
    if (!attributes.hasAttribute(QLatin1String("TRUE")))
        return true;
    return attributes.value(QLatin1String("TRUE")).toInt() != 0;
}

// A declared encoding such as UTF-7 can bring in characters that XML 1.0 does
// not allow; the text is kept as the writer could save it again.
QString ReadText(const QXmlStreamAttributes &attributes, QLatin1String name)
{
    return CProjectFileWriter::XmlSafe(attributes.value(name).toString());
}

CNode *MakeNode(int nType, CNode *pParent)
{
    switch (nType) {
    case NodeType::Root:
        return CNode::CreateRoot(pParent, std::string());
    case NodeType::Decision:
        return CNode::CreateDecision(pParent, std::string());
    case NodeType::Situation:
        return CNode::CreateSituation(pParent, std::string());
    case NodeType::Option: {
        CNode *pOption = new CNode(pParent, std::string());
        pOption->type = NodeType::Option;
        return pOption;
    }
    case NodeType::Terminal:
        return CNode::CreateTerminal(pParent, std::string());
    default:
        return nullptr;
    }
}

// Project files never carry declarations. Internal entities could expand a
// small file into gigabytes, and every attribute default declared for "Node"
// would be copied into each element read, so any internal subset is refused.
bool DeclaresAnything(const QXmlStreamReader &reader)
{
    return !reader.entityDeclarations().isEmpty() || !reader.notationDeclarations().isEmpty() ||
           reader.text().contains(QLatin1Char('['));
}

qint64 CountNodes(const CNode *pRoot)
{
    qint64 nCount = 0;
    std::vector<const CNode *> pending;
    if (pRoot)
        pending.push_back(pRoot);
    while (!pending.empty()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        ++nCount;
        for (const CNode *pChild : pNode->children)
            if (pChild)
                pending.push_back(pChild);
    }
    return nCount;
}

} // namespace

CProjectFileReader::~CProjectFileReader()
{
    // Only a read that never reached its end leaves anything here.
    FreeLeftovers(nullptr);
}

void CProjectFileReader::Read(QIODevice &device, CProjectFile::ReadResult &result)
{
    QXmlStreamReader reader(&device);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::DTD && DeclaresAnything(reader)) {
            reader.raiseError(tr("The file declares entities or attributes, which project "
                                 "files never do."));
        } else if (token == QXmlStreamReader::StartElement) {
            const QStringRef name = reader.qualifiedName();
            if (name == QLatin1String("RMFYProject")) {
                result.projectName = ReadText(reader.attributes(), QLatin1String("Name"));
                result.settings.ReadAttributes(reader.attributes());
                QString strError;
                if (!result.settings.ReadRule(reader.attributes(), &strError))
                    reader.raiseError(strError);
            } else if (name == QLatin1String("Node")) {
                ReadNode(reader.attributes());
            }
        }
    }

    result.complete = !reader.hasError();
    if (reader.hasError()) {
        result.errorText = reader.errorString();
        result.errorLine = reader.lineNumber();
        result.errorColumn = reader.columnNumber();
    }
    HandOverToTree();
    result.nodesInFile = nodesRead;
    result.nodesInTree = CountNodes(tree.GetRoot());
}

void CProjectFileReader::ReadNode(const QXmlStreamAttributes &attributes)
{
    ++nodesRead;
    const int nType = attributes.value(QLatin1String("Type")).toInt();
    const quint32 nParentId = attributes.value(QLatin1String("ParentID")).toUInt();
    const auto itParent = nodesById.find(nParentId);
    CNode *pParent = itParent == nodesById.end() ? nullptr : itParent->second;

    CNode *pNode = MakeNode(nType, pParent);
    if (!pNode)
        return;
    if (!pParent)
        tops.push_back(pNode);
    if (nType == NodeType::Root)
        lastRoot = pNode;

    pNode->type = nType;
    pNode->name = ReadText(attributes, QLatin1String("Name")).toStdString();
    pNode->probability = attributes.value(QLatin1String("Probability")).toDouble();
    pNode->payoff = attributes.value(QLatin1String("Payoff")).toDouble();
    pNode->x = ReadCoordinate(attributes, QLatin1String("X"));
    pNode->y = ReadCoordinate(attributes, QLatin1String("Y"));
    pNode->active = ReadFlag(attributes);
    pNode->payoffComment = ReadText(attributes, QLatin1String("PayoffComment")).toStdString();

    nodesById[attributes.value(QLatin1String("ID")).toUInt()] = pNode;
}

void CProjectFileReader::HandOverToTree()
{
    nodesById.clear();
    // A Root read with a parent hangs in some other subtree; detached, it is
    // no longer freed with that subtree.
    if (lastRoot && lastRoot->parent)
        lastRoot->parent->RemoveChild(lastRoot);
    tree.SetRoot(lastRoot);
    FreeLeftovers(lastRoot);
}

void CProjectFileReader::FreeLeftovers(const CNode *pKeep)
{
    for (CNode *pTop : tops)
        if (pTop != pKeep)
            CNode::FreeSubtree(pTop);
    tops.clear();
    lastRoot = nullptr;
}
