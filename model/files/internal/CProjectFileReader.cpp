#include "CProjectFileReader.h"

#include "CDecisionTree.h"
#include "CNode.h"
#include "CPlainNodeFields.h"
#include "CPlainXmlScanner.h"
#include "CProjectFileWriter.h"
#include "CSettingsAttributes.h"
#include "SubtreeWalk.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

namespace {

// A node's attributes as Qt's reader gives them.
class CQtNodeFields
{
public:
    explicit CQtNodeFields(const QXmlStreamAttributes &read) : attributes(read) {}
    bool Has(NodeField field) const { return attributes.hasAttribute(Name(field)); }
    bool IsEmpty(NodeField field) const { return Value(field).isEmpty(); }
    bool IsOne(NodeField field) const { return Value(field) == QLatin1String("1"); }
    int Integer(NodeField field) const { return Value(field).toInt(); }
    quint32 Unsigned(NodeField field) const { return Value(field).toUInt(); }
    double Number(NodeField field) const { return Value(field).toDouble(); }
    // A declared encoding such as UTF-7 can bring in characters that XML 1.0
    // does not allow; the text is kept as the writer could save it again.
    std::string Text(NodeField field) const
    {
        return CProjectFileWriter::XmlSafe(Value(field).toString()).toStdString();
    }

private:
    static QLatin1String Name(NodeField field)
    {
        const std::string_view name = NodeFieldNames[size_t(field)];
        return QLatin1String(name.data(), int(name.size()));
    }
    QStringRef Value(NodeField field) const { return attributes.value(Name(field)); }

    const QXmlStreamAttributes &attributes;
};

template <class Fields> int32_t ReadCoordinate(const Fields &fields, NodeField field)
{
    if (fields.IsEmpty(field))
        return CNode::NoPosition;
    const double dValue = fields.Number(field);
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
    // Nearly every project file is plain XML, which a scan of its bytes reads
    // many times faster than Qt. Anything else is read through Qt from the
    // start, so that every file is taken or refused as Qt does, its errors
    // placed where Qt places them.
    bool bRead = false;
    if (!device.isSequential()) {
        const qint64 nStart = device.pos();
        CProjectFile::ReadResult attempt = result;
        bRead = ReadPlain(device, attempt);
        if (bRead) {
            result = std::move(attempt);
        } else {
            FreeLeftovers(nullptr);
            ForgetIds();
            nodesRead = 0;
            variables = CVariables();
            problems.clear();
            if (!device.seek(nStart)) {
                result.errorText = device.errorString();
                bRead = true;
            }
        }
    }
    if (!bRead)
        ReadThroughQt(device, result);

    HandOverToTree();
    // The formulas decide: numbers stored beside them may be stale.
    result.formulaProblems = std::move(problems);
    for (CVariables::Problem &problem : tree.ApplyFormulas())
        result.formulaProblems.push_back(std::move(problem));
    result.nodesInFile = nodesRead;
    result.nodesInTree = CountNodes(tree.GetRoot());
}

bool CProjectFileReader::ReadPlain(QIODevice &device, CProjectFile::ReadResult &result)
{
    CPlainXmlScanner scanner(device);
    while (scanner.NextElement()) {
        const std::string_view name = scanner.Name();
        if (name == "Node") {
            ReadNode(CPlainNodeFields(scanner.Attributes()));
            continue;
        }
        if (name != "RMFYProject" && name != "Variable")
            continue;
        QXmlStreamAttributes attributes;
        for (const CPlainXmlScanner::Attribute &attribute : scanner.Attributes())
            attributes.append(
                QString::fromLatin1(attribute.name.data(), int(attribute.name.size())),
                QString::fromUtf8(attribute.value.data(), int(attribute.value.size())));
        QString strError;
        if (name == "Variable")
            ReadVariable(attributes);
        else if (!ReadProject(attributes, result, &strError))
            return false;
    }
    result.complete = scanner.Plain();
    return scanner.Plain();
}

void CProjectFileReader::ReadThroughQt(QIODevice &device, CProjectFile::ReadResult &result)
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
                QString strError;
                if (!ReadProject(reader.attributes(), result, &strError))
                    reader.raiseError(strError);
            } else if (name == QLatin1String("Node")) {
                ReadNode(CQtNodeFields(reader.attributes()));
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
}

bool CProjectFileReader::ReadProject(const QXmlStreamAttributes &attributes,
                                     CProjectFile::ReadResult &result, QString *pError)
{
    result.projectName = ReadText(attributes, QLatin1String("Name"));
    CSettingsAttributes::Read(attributes, &result.settings);
    return CSettingsAttributes::ReadRule(attributes, &result.settings, pError) &&
           CSettingsAttributes::ReadCriteria(attributes, &result.settings, pError);
}

template <class Fields> void CProjectFileReader::ReadNode(const Fields &fields)
{
    ++nodesRead;
    const int nType = fields.Integer(NodeField::Type);
    CNode *pParent = NodeWithId(fields.Unsigned(NodeField::ParentID));

    CNode *pNode = MakeNode(nType, pParent);
    if (!pNode)
        return;
    if (!pParent)
        tops.push_back(pNode);
    if (nType == NodeType::Root)
        lastRoot = pNode;

    pNode->type = nType;
    pNode->name = fields.Text(NodeField::Name);
    pNode->probability = fields.Number(NodeField::Probability);
    pNode->payoff = fields.Number(NodeField::Payoff);
    pNode->x = ReadCoordinate(fields, NodeField::X);
    pNode->y = ReadCoordinate(fields, NodeField::Y);
    // Active unless the file says otherwise.
    pNode->active = !fields.Has(NodeField::Active) || fields.Integer(NodeField::Active) != 0;
    pNode->payoffComment = fields.Text(NodeField::PayoffComment);
    pNode->payoffFormula = fields.Text(NodeField::PayoffFormula);
    pNode->probabilityFormula = fields.Text(NodeField::ProbabilityFormula);
    // Only an option has a second payoff of its own, as only an option's is
    // written: one read on the Root would count on every path and be lost
    // at the next save.
    if (nType == NodeType::Option) {
        pNode->payoff2 = fields.Number(NodeField::Payoff2);
        pNode->payoff2Formula = fields.Text(NodeField::Payoff2Formula);
    }
    // Only what has options below it can hide them.
    pNode->folded = (nType == NodeType::Decision || nType == NodeType::Situation) &&
                    fields.IsOne(NodeField::Folded);

    KeepId(fields.Unsigned(NodeField::ID), pNode);
}

CNode *CProjectFileReader::NodeWithId(quint32 nId) const
{
    // A node in the map was kept before the vector reached its ID.
    if (nId < nodesByLowId.size() && nodesByLowId[nId])
        return nodesByLowId[nId];
    const auto it = nodesById.find(nId);
    return it == nodesById.end() ? nullptr : it->second;
}

void CProjectFileReader::KeepId(quint32 nId, CNode *pNode)
{
    // The vector grows with the nodes read, so that a file naming a few huge
    // IDs takes no more memory than one naming many small ones.
    const size_t nLimit = size_t(4 * nodesRead + 1024);
    if (nId >= nodesByLowId.size() && nId < nLimit)
        nodesByLowId.resize(std::min(std::max(size_t(nId) + 1, 2 * nodesByLowId.size()), nLimit));
    if (nId < nodesByLowId.size())
        nodesByLowId[nId] = pNode;
    else
        nodesById[nId] = pNode;
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
    ForgetIds();
    // A Root read with a parent hangs in some other subtree; detached, it is
    // no longer freed with that subtree.
    if (lastRoot && lastRoot->parent)
        lastRoot->parent->RemoveChild(lastRoot);
    tree.SetRoot(lastRoot);
    FreeLeftovers(lastRoot);
}

void CProjectFileReader::ForgetIds()
{
    nodesByLowId = std::vector<CNode *>();
    nodesById = std::unordered_map<quint32, CNode *>();
}

void CProjectFileReader::FreeLeftovers(const CNode *pKeep)
{
    for (CNode *pTop : tops)
        if (pTop != pKeep)
            CNode::FreeSubtree(pTop);
    tops.clear();
    lastRoot = nullptr;
}
