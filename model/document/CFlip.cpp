#include "CFlip.h"

#include "CFlipTerm.h"
#include "CNode.h"
#include "CProjectDocument.h"

#include <QChar>

#include <cmath>

namespace {
QString Quoted(const CNode *pNode)
{
    return QStringLiteral("\"%1\"").arg(QString::fromStdString(pNode->name));
}

QString OptionNames(const CNode *pSituation)
{
    QStringList names;
    for (const CNode *pOption : pSituation->children)
        names << Quoted(pOption);
    return names.join(QStringLiteral(", "));
}

bool SameNames(const CNode *pA, const CNode *pB)
{
    if (pA->children.size() != pB->children.size())
        return false;
    for (size_t j = 0; j < pA->children.size(); ++j)
        if (pA->children[j]->name != pB->children[j]->name)
            return false;
    return true;
}

// "pOpen" for an option "Open", "pNoStructure" for "No structure"; empty
// where no free variable name can be made of it.
std::string VariableName(const std::string &strOption, const CVariables &variables)
{
    std::string strBase = "p";
    bool bWordStart = true;
    for (const QChar c : QString::fromStdString(strOption)) {
        if (c.isLetterOrNumber() && c.unicode() < 128) {
            strBase += char(bWordStart ? c.toUpper().unicode() : c.unicode());
            bWordStart = false;
        } else {
            bWordStart = true;
        }
    }
    if (strBase.size() == 1)
        strBase += "Result";
    for (int n = 1; n < 100; ++n) {
        const std::string strName = n == 1 ? strBase : strBase + std::to_string(n);
        if (variables.NameProblem(strName).isEmpty())
            return strName;
    }
    return std::string();
}

// True for an option whose Situation would divide by this probability.
bool IsZero(double dValue)
{
    return std::fabs(dValue) < 1e-300;
}
} // namespace

QString CFlip::Refusal(const CNode *pS)
{
    if (!pS || pS->type != NodeType::Situation)
        return tr("Only a Situation can be flipped; %1 is none.")
            .arg(pS ? Quoted(pS) : QStringLiteral("nothing"));
    if (pS->children.size() < 2)
        return tr("Situation %1 has only one option: there is nothing to turn around.")
            .arg(Quoted(pS));
    const CNode *pFirst = nullptr;
    for (const CNode *pOption : pS->children) {
        if (pOption->type != NodeType::Option)
            return tr("Situation %1 has no options.").arg(Quoted(pS));
        const CNode *pNext = pOption->children.empty() ? nullptr : pOption->children.front();
        if (pNext && pNext->type == NodeType::Decision)
            return tr("Decision %1 stands between Situation %2 and the next Situation under "
                      "option %3.")
                .arg(Quoted(pNext), Quoted(pS), Quoted(pOption));
        if (!pNext || pNext->type != NodeType::Situation)
            return tr("Option %1 of Situation %2 ends its path; every option must lead straight "
                      "to a Situation.")
                .arg(Quoted(pOption), Quoted(pS));
        for (const CNode *pResult : pNext->children)
            if (pResult->type != NodeType::Option)
                return tr("Situation %1 under option %2 has no options.")
                    .arg(Quoted(pNext), Quoted(pOption));
        if (!pFirst) {
            pFirst = pNext;
        } else if (!SameNames(pFirst, pNext)) {
            return tr("Situation %1 under option %2 has the options %3, but Situation %4 under "
                      "option %5 has %6.")
                .arg(Quoted(pNext), Quoted(pOption), OptionNames(pNext), Quoted(pFirst),
                     Quoted(pFirst->parent), OptionNames(pFirst));
        }
        if (!pNext->ChildProbabilitiesAddUp())
            return tr("The probabilities of Situation %1 under option %2 do not add up to 1.")
                .arg(Quoted(pNext), Quoted(pOption));
    }
    if (!pS->ChildProbabilitiesAddUp())
        return tr("The probabilities of Situation %1 do not add up to 1.").arg(Quoted(pS));
    return QString();
}

CFlip::Result CFlip::Build(const CNode *pS, const CVariables &variables)
{
    Result result;
    result.variables = variables;
    result.refusal = Refusal(pS);
    if (!result.refusal.isEmpty())
        return result;

    const std::vector<CNode *> &states = pS->children;
    const CNode *pT = states.front()->children.front();
    const size_t nStates = states.size();
    const size_t nResults = pT->children.size();
    const auto below = [&](size_t i, size_t j) { return states[i]->children.front()->children[j]; };

    CNode *pFlipped = CNode::CreateSituation(nullptr, pT->name);
    pFlipped->parent = nullptr;
    result.flipped = pFlipped;
    for (size_t j = 0; j < nResults; ++j) {
        std::vector<CFlipTerm> joint;
        for (size_t i = 0; i < nStates; ++i)
            joint.push_back(CFlipTerm::Product(CFlipTerm::Probability(states[i]),
                                               CFlipTerm::Probability(below(i, j))));
        CFlipTerm total = CFlipTerm::Sum(joint);
        // A sum gets a name of its own, which every posterior divides by.
        if (!total.IsNumber() && !CFlipTerm::IsAtom(total.formula)) {
            const std::string strName = VariableName(below(0, j)->name, result.variables);
            if (!strName.empty()) {
                CVariables::Variable variable;
                variable.name = strName;
                variable.value = total.value;
                variable.formula = total.formula;
                variable.comment = tr("probability of \"%1\", by Bayes' rule")
                                       .arg(QString::fromStdString(below(0, j)->name))
                                       .toStdString();
                result.variables.Add(variable);
                total = CFlipTerm(total.value, strName);
            }
        }

        // The payoffs of a result stay on it where every state gave them
        // alike; both criteria go together, so that each keeps its sum.
        bool bCommon = true;
        const CFlipTerm first = CFlipTerm::Payoff(below(0, j));
        const CFlipTerm first2 = CFlipTerm::Payoff2(below(0, j));
        for (size_t i = 1; i < nStates && bCommon; ++i) {
            const CFlipTerm other = CFlipTerm::Payoff(below(i, j));
            const CFlipTerm other2 = CFlipTerm::Payoff2(below(i, j));
            bCommon = other.formula == first.formula && other.value == first.value &&
                      other2.formula == first2.formula &&
                      (other2.value == first2.value ||
                       (std::isnan(other2.value) && std::isnan(first2.value)));
        }
        CNode *pResult = CNode::CreateOption(pFlipped, below(0, j)->name);
        pResult->probability = total.value;
        pResult->probabilityFormula = total.formula;
        if (bCommon) {
            pResult->payoff = first.value;
            pResult->payoffFormula = first.formula;
            pResult->payoff2 = first2.value;
            pResult->payoff2Formula = first2.formula;
            pResult->payoffComment = below(0, j)->payoffComment;
        }

        const bool bNeverSeen = IsZero(total.value);
        if (bNeverSeen) {
            const QString strNote =
                tr("%1 has probability 0, so the options after it keep their prior "
                   "probabilities: there is no evidence to update them by.")
                    .arg(Quoted(pResult));
            pResult->payoffComment = strNote.toStdString();
            result.notes << strNote;
        }
        CNode *pState = CNode::CreateSituation(pResult, pS->name);
        for (size_t i = 0; i < nStates; ++i) {
            CNode *pOption = CNode::CreateOption(pState, states[i]->name);
            const CFlipTerm posterior = bNeverSeen ? CFlipTerm::Probability(states[i])
                                                   : CFlipTerm::Quotient(joint[i], total);
            pOption->probability = posterior.value;
            pOption->probabilityFormula = posterior.formula;
            const CFlipTerm payoff = bCommon ? CFlipTerm::Payoff(states[i])
                                             : CFlipTerm::Sum({CFlipTerm::Payoff(states[i]),
                                                               CFlipTerm::Payoff(below(i, j))});
            pOption->payoff = payoff.value;
            pOption->payoffFormula = payoff.formula;
            const CFlipTerm payoff2 = bCommon ? CFlipTerm::Payoff2(states[i])
                                              : CFlipTerm::Sum({CFlipTerm::Payoff2(states[i]),
                                                                CFlipTerm::Payoff2(below(i, j))});
            pOption->payoff2 = payoff2.value;
            pOption->payoff2Formula = payoff2.formula;
            pOption->payoffComment = states[i]->payoffComment;
            const CNode *pRest =
                below(i, j)->children.empty() ? nullptr : below(i, j)->children.front();
            if (pRest) {
                CNode *pCopy = pRest->Clone();
                pCopy->parent = nullptr;
                pOption->AttachChild(pCopy);
            } else {
                CNode::CreateTerminal(pOption, "");
            }
        }
    }
    // Nothing of the old drawing fits the new shape: it is laid out afresh.
    pFlipped->ClearPositions();
    return result;
}

bool CFlip::Apply(CProjectDocument &document, CNode *pS, QString *pError, QStringList *pNotes)
{
    Result result = Build(pS, document.GetVariables());
    if (!result.flipped) {
        *pError = result.refusal;
        return false;
    }
    if (pNotes)
        *pNotes = result.notes;
    CNode *pParent = pS->parent;
    CProjectDocument::CChange change(document);
    const int nIndex = document.DetachSubtree(pS);
    CNode::FreeSubtree(pS);
    document.AttachSubtree(pParent, result.flipped, nIndex);
    document.SetVariables(result.variables);
    return true;
}
