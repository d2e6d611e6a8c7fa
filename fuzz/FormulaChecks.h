#pragma once

// Text as a user may type it for a payoff, a probability or a variable,
// shared by its fuzz target and the tests: a formula that is accepted gives a
// finite value, the same when computed again and the same once the project
// is saved and read back; one that is refused says why.
#include "CNode.h"
#include "CProjectDocument.h"
#include "FuzzTrees.h"

#include <QBuffer>

#include <cmath>
#include <string>

namespace FormulaChecks {

inline QString Fail(const char *pWhy, const std::string &strText)
{
    return QString::fromLatin1(pWhy) + QStringLiteral(": ") + QString::fromStdString(strText);
}

// A decision with an option and a Situation of two options, whose first
// option's payoff and probability, and the variable "c", carry the text.
inline CNode *Tree()
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "F");
    CNode *pDecision = CNode::CreateDecision(pRoot, "D");
    CNode::CreateTerminal(CNode::CreateOption(pDecision, "plain"), "");
    CNode *pSituation = CNode::CreateSituation(CNode::CreateOption(pDecision, "risky"), "S");
    CNode::CreateTerminal(CNode::CreateOption(pSituation, "x"), "");
    CNode *pRest = CNode::CreateOption(pSituation, "y");
    pRest->probabilityFormula = "#";
    CNode::CreateTerminal(pRest, "");
    return pRoot;
}

inline bool Refused(const CProjectDocument &document, bool bVariable, const CNode *pNode,
                    bool bProbability)
{
    for (const CVariables::Problem &problem : document.FormulaProblems())
        if (bVariable ? problem.variable == "c" && !problem.node
                      : problem.node == pNode && problem.probability == bProbability)
            return true;
    return false;
}

// Why the text, typed everywhere at once, breaks the rule; empty when it holds.
inline QString Fault(const std::string &strText)
{
    CProjectDocument document;
    document.ReplaceTree(Tree());
    CVariables variables;
    variables.Add({"a", 2.0, "", false, 0, false, 0, ""});
    variables.Add({"b", 0.0, "a * 3", false, 0, false, 0, ""});
    variables.Add({"c", 0.0, strText, false, 0, false, 0, ""});
    document.SetVariables(variables);
    CNode *pOption = document.GetRoot()->children[0]->children[1]->children[0]->children[0];
    document.SetFormulas(pOption, strText, strText);

    for (const CVariables::Problem &problem : document.FormulaProblems())
        if (problem.text.isEmpty())
            return Fail("a refusal without a reason", strText);
    const bool bVariable = !Refused(document, true, nullptr, false);
    const bool bPayoff = !Refused(document, false, pOption, false);
    const bool bProbability = !Refused(document, false, pOption, true);
    const CVariables &computed = document.GetVariables();
    const double dVariable = computed.At(computed.Find("c")).value;
    const double dPayoff = pOption->payoff;
    const double dProbability = pOption->probability;
    if ((bVariable && !std::isfinite(dVariable)) || (bPayoff && !std::isfinite(dPayoff)) ||
        (bProbability && !std::isfinite(dProbability)))
        return Fail("an accepted formula that is not a finite number", strText);

    // Computed again from the same inputs.
    document.SetVariables(CVariables(computed));
    if (!SameNumber(computed.At(computed.Find("c")).value, dVariable) ||
        !SameNumber(pOption->payoff, dPayoff) || !SameNumber(pOption->probability, dProbability))
        return Fail("computed twice, two values", strText);

    QBuffer file;
    file.open(QIODevice::WriteOnly);
    if (!document.Write(file, nullptr))
        return Fail("not saved", strText);
    file.close();
    CProjectDocument copy;
    if (!copy.Read(file).Succeeded())
        return Fail("not read back", strText);
    const CNode *pCopy = copy.GetRoot()->children[0]->children[1]->children[0]->children[0];
    if (!SameTrees(document.GetRoot(), copy.GetRoot()) ||
        !SameVariables(document.GetVariables(), copy.GetVariables()) ||
        Refused(copy, true, nullptr, false) != !bVariable ||
        Refused(copy, false, pCopy, false) != !bPayoff)
        return Fail("another project once saved and read back", strText);
    return QString();
}

} // namespace FormulaChecks
