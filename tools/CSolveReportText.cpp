#include "CSolveReportText.h"

#include "CNode.h"
#include "CSolveReport.h"
#include "CVariables.h"
#include "TextNumber.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

QString Printable(const QString &strText)
{
    return CSolveReportText::Printable(strText);
}

QString Printable(const std::string &strName)
{
    return CSolveReportText::Printable(QString::fromStdString(strName));
}

QString Quoted(const std::string &strName)
{
    return QLatin1Char('"') + Printable(strName) + QLatin1Char('"');
}

// Tree-drawing prefixes in display order: for each ancestor level, whether a
// later sibling still follows (a vertical bar continues there).
QStringList Prefixes(const CSolveReport &report)
{
    QStringList prefixes;
    std::vector<bool> continues;
    for (size_t i : report.displayOrder) {
        const CSolveReport::Row &row = report.rows[i];
        QString strPrefix;
        if (row.depth > CSolveReportText::MaxDrawnDepth) {
            strPrefix = QStringLiteral("(level %1) ").arg(row.depth);
        } else {
            for (int nLevel = 1; nLevel < row.depth; ++nLevel)
                strPrefix +=
                    continues[size_t(nLevel)] ? QStringLiteral("│  ") : QStringLiteral("   ");
        }
        if (row.depth > 0)
            strPrefix += row.lastChild ? QStringLiteral("└─ ") : QStringLiteral("├─ ");
        continues.resize(size_t(std::min(row.depth, CSolveReportText::MaxDrawnDepth)) + 1);
        if (row.depth <= CSolveReportText::MaxDrawnDepth)
            continues[size_t(row.depth)] = !row.lastChild;
        prefixes << strPrefix;
    }
    return prefixes;
}

// Padding instead of arg() widths: a name holding "%1" must stay as it is.
QString Columns(const QString &strName, int nNameWidth, const QString &strKind,
                const QString &strProbability, const QString &strPayoff, const QString &strValue)
{
    return strName.leftJustified(nNameWidth) + QStringLiteral("  ") + strKind.leftJustified(9) +
           QLatin1Char(' ') + strProbability.rightJustified(13) + QLatin1Char(' ') +
           strPayoff.rightJustified(13) + QLatin1Char(' ') + strValue.rightJustified(13);
}

// Only projects that have variables get the section, so other outputs stay
// as they were.
void AppendVariables(const CVariables &variables, QString &strOut)
{
    if (variables.IsEmpty())
        return;
    strOut += QStringLiteral("Variables:\n");
    for (int n = 0; n < variables.Count(); ++n) {
        const CVariables::Variable &variable = variables.At(n);
        strOut += QStringLiteral("  %1 = %2")
                      .arg(Printable(QString::fromStdString(variable.name)),
                           NumberToText(variable.value));
        if (!variable.formula.empty())
            strOut +=
                QStringLiteral("  (%1)").arg(Printable(QString::fromStdString(variable.formula)));
        strOut += QLatin1Char('\n');
    }
    strOut += QLatin1Char('\n');
}

void AppendSummary(const CSolveReport &report, const NumberFormat &format, QString &strOut)
{
    strOut += QStringLiteral("Project: %1\n").arg(Printable(report.projectName));
    strOut += QStringLiteral("File:    %1\n").arg(report.filePath);
    strOut += QStringLiteral("Value:   %1\n\n").arg(NumberToText(report.RootValue(), format));
    AppendVariables(*report.variables, strOut);

    strOut += QStringLiteral("Decisions:\n");
    if (report.choices.empty())
        strOut += QStringLiteral("  none\n");
    for (const CSolveReport::Choice &choice : report.choices) {
        const QString strDecision = Quoted(choice.decision->node->name);
        if (choice.option)
            strOut += QStringLiteral("  %1 chooses %2 (value %3)\n")
                          .arg(strDecision, Quoted(choice.option->node->name),
                               NumberToText(choice.option->value, format));
        else
            strOut += QStringLiteral("  %1 chooses no option\n").arg(strDecision);
    }

    strOut += QStringLiteral("\nSituations whose probabilities do not add up to 1:\n");
    if (report.imbalances.empty())
        strOut += QStringLiteral("  none\n");
    for (const CSolveReport::Imbalance &imbalance : report.imbalances)
        strOut += QStringLiteral("  %1 adds up to %2\n")
                      .arg(Quoted(imbalance.situation->node->name), NumberToText(imbalance.sum));
    if (!report.IsConsistent())
        strOut += QStringLiteral("  (the editor highlights no path while this is so)\n");
}

} // namespace

QString CSolveReportText::Printable(QString strText)
{
    for (QChar &c : strText)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return strText;
}

QString CSolveReportText::Render(const CSolveReport &report, const NumberFormat &format)
{
    QString strOut;
    AppendSummary(report, format, strOut);

    const QStringList prefixes = Prefixes(report);
    QStringList names;
    int nNameWidth = 4;
    for (int i = 0; i < prefixes.size(); ++i) {
        const CSolveReport::Row &row = report.rows[report.displayOrder[size_t(i)]];
        names << prefixes.at(i) + Printable(QString::fromStdString(row.node->name));
        nNameWidth = std::max(nNameWidth, std::min(int(names.last().size()), 60));
    }

    strOut += QStringLiteral("\nTree (* marks the chosen path):\n");
    strOut +=
        Columns(QStringLiteral("Node"), nNameWidth, QStringLiteral("Kind"),
                QStringLiteral("Probability"), QStringLiteral("Payoff"), QStringLiteral("Value")) +
        QLatin1Char('\n');
    for (int i = 0; i < names.size(); ++i) {
        const CSolveReport::Row &row = report.rows[report.displayOrder[size_t(i)]];
        const CNode &node = *row.node;
        // Only the Root and the options carry payoffs that the user entered.
        const bool bOwnPayoff = node.type == NodeType::Root || node.type == NodeType::Option;
        QString strLine =
            Columns(names.at(i), nNameWidth, QLatin1String(CSolveReport::KindName(node.type)),
                    NumberToText(node.probability),
                    bOwnPayoff ? NumberToText(node.payoff, format) : QString(),
                    NumberToText(row.value, format));
        if (row.chosenPath)
            strLine += QStringLiteral("  *");
        strOut += strLine + QLatin1Char('\n');
    }
    return strOut;
}
