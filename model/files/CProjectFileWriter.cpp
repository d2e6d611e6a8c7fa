#include "CProjectFileWriter.h"

#include "CNode.h"
#include "CSettingsAttributes.h"
#include "CTreeFormulas.h"
#include "CVariables.h"

#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>
#include <iterator>
#include <utility>

namespace {

QString XmlSafe(const std::string &strText)
{
    return CProjectFileWriter::XmlSafe(QString::fromStdString(strText));
}

QString FormatCoordinate(int32_t nValue)
{
    return nValue == CNode::NoPosition ? QString() : QString::number(nValue);
}

void WriteNode(QXmlStreamWriter &writer, const CNode &node, quint32 nId, quint32 nParentId,
               bool bTwoCriteria)
{
    writer.writeEmptyElement(QStringLiteral("Node"));
    writer.writeAttribute(QStringLiteral("ID"), QString::number(nId));
    writer.writeAttribute(QStringLiteral("ParentID"), QString::number(nParentId));
    writer.writeAttribute(QStringLiteral("Type"), QString::number(node.type));
    writer.writeAttribute(QStringLiteral("Name"), XmlSafe(node.name));
    writer.writeAttribute(QStringLiteral("Probability"),
                          CProjectFileWriter::FormatNumber(node.probability));
    writer.writeAttribute(QStringLiteral("Payoff"), CProjectFileWriter::FormatNumber(node.payoff));
    writer.writeAttribute(QStringLiteral("X"), FormatCoordinate(node.x));
    writer.writeAttribute(QStringLiteral("Y"), FormatCoordinate(node.y));
    writer.writeAttribute(QStringLiteral("TRUE"),
                          node.active ? QStringLiteral("1") : QStringLiteral("0"));
    writer.writeAttribute(QStringLiteral("PayoffComment"), XmlSafe(node.payoffComment));
    // The numbers above hold the formulas' last values, for readers that
    // know no formulas.
    if (!node.payoffFormula.empty())
        writer.writeAttribute(QStringLiteral("PayoffFormula"), XmlSafe(node.payoffFormula));
    if (!node.probabilityFormula.empty())
        writer.writeAttribute(QStringLiteral("ProbabilityFormula"),
                              XmlSafe(node.probabilityFormula));
    // Only a project of two criteria has second payoffs: the files of all
    // others stay as they were.
    if (bTwoCriteria && node.type == NodeType::Option) {
        writer.writeAttribute(QStringLiteral("Payoff2"),
                              CProjectFileWriter::FormatNumber(node.payoff2));
        if (!node.payoff2Formula.empty())
            writer.writeAttribute(QStringLiteral("Payoff2Formula"), XmlSafe(node.payoff2Formula));
    }
    // Left out when not folded, so that files of unfolded trees stay as they were.
    if (node.folded)
        writer.writeAttribute(QStringLiteral("Folded"), QStringLiteral("1"));
}

void WriteVariable(QXmlStreamWriter &writer, const CVariables::Variable &variable)
{
    writer.writeEmptyElement(QStringLiteral("Variable"));
    writer.writeAttribute(QStringLiteral("Name"), XmlSafe(variable.name));
    writer.writeAttribute(QStringLiteral("Value"),
                          CProjectFileWriter::FormatNumber(variable.value));
    if (!variable.formula.empty())
        writer.writeAttribute(QStringLiteral("Formula"), XmlSafe(variable.formula));
    if (variable.hasLow)
        writer.writeAttribute(QStringLiteral("Low"),
                              CProjectFileWriter::FormatNumber(variable.low));
    if (variable.hasHigh)
        writer.writeAttribute(QStringLiteral("High"),
                              CProjectFileWriter::FormatNumber(variable.high));
    if (!variable.comment.empty())
        writer.writeAttribute(QStringLiteral("Comment"), XmlSafe(variable.comment));
    if (!variable.distribution.empty())
        writer.writeAttribute(QStringLiteral("Distribution"), XmlSafe(variable.distribution));
}

} // namespace

bool CProjectFileWriter::Write(QIODevice &device, const CNode *pRoot, const QString &strProjectName,
                               const CProjectSettings &settings, const CVariables *pVariables)
{
    const bool bVariables = pVariables && !pVariables->IsEmpty();
    QXmlStreamWriter writer(&device);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(4);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("RMFYProject"));
    writer.writeAttribute(QStringLiteral("Name"), XmlSafe(strProjectName));
    writer.writeAttribute(QStringLiteral("Version"),
                          bVariables || CTreeFormulas::UsesFormulas(pRoot) ? QStringLiteral("2")
                                                                           : QStringLiteral("1"));
    CSettingsAttributes::Write(writer, settings);
    for (int n = 0; bVariables && n < pVariables->Count(); ++n)
        WriteVariable(writer, pVariables->At(n));

    // Breadth-first from the Root, numbering nodes in writing order.
    std::deque<std::pair<const CNode *, quint32>> queue{{pRoot, 0}};
    quint32 nId = 1;
    while (!queue.empty() && !writer.hasError()) {
        const auto [pNode, nParentId] = queue.front();
        queue.pop_front();
        WriteNode(writer, *pNode, nId, nParentId, settings.criteria.two);
        for (const CNode *pChild : pNode->children)
            if (pChild)
                queue.emplace_back(pChild, nId);
        ++nId;
    }

    writer.writeEndElement();
    writer.writeEndDocument();
    return !writer.hasError();
}

QString CProjectFileWriter::FormatNumber(double dValue)
{
    if (!std::isfinite(dValue))
        return QString::number(dValue, 'g', 6);
    // The shortest scientific form that reads back exactly tells how many
    // digits are needed. Rounding to more digits only comes closer to the
    // value, so that precision, or 6 if less, reads back exactly as well.
    char digits[32];
    const std::to_chars_result end =
        std::to_chars(std::begin(digits), std::end(digits), dValue, std::chars_format::scientific);
    int nDigits = 0;
    for (const char *p = digits; p != end.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            ++nDigits;
    return QString::number(dValue, 'g', std::max(6, nDigits));
}

QString CProjectFileWriter::XmlSafe(const QString &strText)
{
    QString strSafe;
    strSafe.reserve(strText.size());
    const int nSize = strText.size();
    for (int i = 0; i < nSize; ++i) {
        const QChar c = strText.at(i);
        const ushort u = c.unicode();
        if (c.isHighSurrogate()) {
            if (i + 1 < nSize && strText.at(i + 1).isLowSurrogate()) {
                strSafe.append(c);
                strSafe.append(strText.at(++i));
            }
            continue;
        }
        if (c.isLowSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r')
            continue;
        strSafe.append(c);
    }
    return strSafe;
}
