#include "CProjectFileReader.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFileWriter.h"
#include "CSettingsAttributes.h"
#include "SubtreeWalk.h"

#include <QXmlStreamReader>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

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

// A number that is not finite would spread through every formula using it;
// false for that and for text that is no number.
bool ReadNumber(const QXmlStreamAttributes &attributes, QLatin1String name, double *pValue)
{
    bool bOk = false;
    const double dValue = attributes.value(name).toDouble(&bOk);
    if (!bOk || !std::isfinite(dValue))
        return false;
    *pValue = dValue;
    return true;
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
    WalkSubtree(pRoot, [&nCount](const CNode *) { ++nCount; });
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
                CSettingsAttributes::Read(reader.attributes(), &result.settings);
                QString strError;
                if (!CSettingsAttributes::ReadRule(reader.attributes(), &result.settings,
                                                   &strError) ||
                    !CSettingsAttributes::ReadCriteria(reader.attributes(), &result.settings,
                                                       &strError))
                    reader.raiseError(strError);
            } else if (name == QLatin1String("Node")) {
                ReadNode(reader.attributes());
            } else if (name == QLatin1String("Variable")) {
                ReadVariable(reader.attributes());
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
    // The formulas decide: numbers stored beside them may be stale.
    result.formulaProblems = std::move(problems);
    for (CVariables::Problem &problem : tree.ApplyFormulas())
        result.formulaProblems.push_back(std::move(problem));
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
    pNode->payoffFormula = ReadText(attributes, QLatin1String("PayoffFormula")).toStdString();
    pNode->probabilityFormula =
        ReadText(attributes, QLatin1String("ProbabilityFormula")).toStdString();
    // Only an option has a second payoff of its own, as only an option's is
    // written: one read on the Root would count on every path and be lost
    // at the next save.
    if (nType == NodeType::Option) {
        pNode->payoff2 = attributes.value(QLatin1String("Payoff2")).toDouble();
        pNode->payoff2Formula = ReadText(attributes, QLatin1String("Payoff2Formula")).toStdString();
    }
    // Only what has options below it can hide them.
    pNode->folded = (nType == NodeType::Decision || nType == NodeType::Situation) &&
                    attributes.value(QLatin1String("Folded")) == QLatin1String("1");

    nodesById[attributes.value(QLatin1String("ID")).toUInt()] = pNode;
}

void CProjectFileReader::ReadVariable(const QXmlStreamAttributes &attributes)
{
    // Names and formulas are kept as written, even when wrong: applying the
    // formulas names what is wrong, and saving gives back what was read.
    CVariables::Variable variable;
    variable.name = ReadText(attributes, QLatin1String("Name")).toStdString();
    variable.formula = ReadText(attributes, QLatin1String("Formula")).toStdString();
    variable.comment = ReadText(attributes, QLatin1String("Comment")).toStdString();
    variable.distribution = ReadText(attributes, QLatin1String("Distribution")).toStdString();
    // A formula gives the value anew; a plain value must be a number.
    const QString strValue = attributes.value(QLatin1String("Value")).toString();
    if (!ReadNumber(attributes, QLatin1String("Value"), &variable.value) &&
        variable.formula.empty())
        problems.push_back({variable.name, nullptr, false,
                            tr("Its value \"%1\" is not a number; 0 is used.").arg(strValue)});
    for (const auto &[name, pHas, pBound] :
         {std::make_tuple(QLatin1String("Low"), &variable.hasLow, &variable.low),
          std::make_tuple(QLatin1String("High"), &variable.hasHigh, &variable.high)}) {
        if (!attributes.hasAttribute(name))
            continue;
        *pHas = ReadNumber(attributes, name, pBound);
        if (!*pHas)
            problems.push_back({variable.name, nullptr, false,
                                tr("Its bound %1=\"%2\" is not a number and is left out.")
                                    .arg(name, attributes.value(name).toString())});
    }
    variables.Add(variable);
}

void CProjectFileReader::HandOverToTree()
{
    tree.Variables() = variables;
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
