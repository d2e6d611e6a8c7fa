#include "CProjectDocument.h"

#include "CNode.h"
#include "SubtreeWalk.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// What the rollback writes into a node, to tell whether a file stored it.
struct Rolled
{
    double probability;
    double payoff;
    bool active;
};

bool IsBranch(const CNode *pNode)
{
    return pNode->type == NodeType::Decision || pNode->type == NodeType::Situation;
}

// A crafted file may hold options, Decisions or Situations with nothing
// below them, or ends standing among options. The rollback takes such a node
// for the end of its path and writes the path's share and sum over its own
// probability and payoff: typed inputs, or the values of its formulas, that a
// save would then lose, and that a "#" beside it has already shared out. An
// end among options becomes the option it stands for, and every path gets an
// end of its own, as the editor keeps one below a Decision or Situation whose
// options are all gone.
std::vector<CNode *> GiveEveryPathAnEnd(CNode *pRoot)
{
    std::vector<CNode *> bare;
    WalkSubtree(pRoot, [&bare](CNode *pNode) {
        if (pNode->IsOptionInPlace())
            pNode->type = NodeType::Option;
        if (pNode->parent && pNode->type != NodeType::Terminal && pNode->children.empty())
            bare.push_back(pNode);
    });
    std::vector<CNode *> ends;
    for (CNode *pNode : bare)
        ends.push_back(CNode::CreateTerminal(pNode, std::string()));
    return ends;
}

} // namespace

CProjectDocument::CProjectDocument(QObject *parent) : QObject(parent) {}

CProjectDocument::~CProjectDocument() = default;

void CProjectDocument::SetSettings(const CProjectSettings &newSettings)
{
    if (newSettings == settings)
        return;
    const bool bRuleChanged =
        newSettings.rule != settings.rule || newSettings.criteria != settings.criteria;
    settings = newSettings;
    solver.SetRule(settings.rule);
    solver.SetCriteria(settings.criteria);
    emit sig_settingsChanged();
    if (!bRuleChanged || !tree.GetRoot())
        return;
    // Another rule may change every value and choice in the tree.
    SolveAll();
    std::vector<CNode *> all;
    WalkSubtree(tree.GetRoot(), [&all](CNode *pNode) { all.push_back(pNode); });
    emit sig_valuesChanged(all);
    emit sig_evaluated();
}

void CProjectDocument::SetModified(bool bModified)
{
    if (bModified == modified)
        return;
    modified = bModified;
    emit sig_modifiedChanged(modified);
}

void CProjectDocument::NewTree(const QString &strName)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, strName.toStdString());
    CNode::CreateTerminal(pRoot, "");
    tree.Variables().Clear();
    formulaProblems.clear();
    ReplaceTree(pRoot);
    emit sig_variablesChanged();
}

CProjectFile::ReadResult CProjectDocument::Read(const QString &strPath, int nTree)
{
    // Read aside: views of the tree shown now must let go of it only once
    // there is something to show instead.
    CDecisionTree read;
    const CProjectFile::ReadResult result = CProjectFile::Read(strPath, read, nTree);
    if (result.opened) {
        filePath = result.foreign ? QString() : strPath;
        tree.Variables() = std::move(read.Variables());
        ShowRead(result, read.TakeRoot());
    }
    return result;
}

CProjectFile::ReadResult CProjectDocument::Read(QIODevice &device, int nTree)
{
    CDecisionTree read;
    const CProjectFile::ReadResult result = CProjectFile::Read(device, read, nTree);
    if (result.opened) {
        tree.Variables() = std::move(read.Variables());
        ShowRead(result, read.TakeRoot());
    }
    return result;
}

std::vector<CNode *> CProjectDocument::TakeTree(CNode *pRoot)
{
    if (tree.GetRoot())
        emit sig_subtreeRemoving(tree.GetRoot());
    toRecheck.clear();
    toSolve.clear();
    formulaNodesEdited.clear();
    ++formulasRevision;
    tree.SetRoot(pRoot);
    return GiveEveryPathAnEnd(pRoot);
}

void CProjectDocument::ShowRead(const CProjectFile::ReadResult &result, CNode *pRoot)
{
    const std::vector<CNode *> ends = TakeTree(pRoot);
    if (!result.projectName.isNull())
        projectName = result.projectName;
    // The new tree is solved below by the file's rule, once.
    const bool bSettingsChanged = result.settings != settings;
    settings = result.settings;
    solver.SetRule(settings.rule);
    solver.SetCriteria(settings.criteria);
    // The reader has computed the formulas; what it could not is kept here
    // for the views to flag.
    formulaProblems = result.formulaProblems;
    // The reader computed every formula on this tree: a value typed next
    // need compute only what it reaches.
    formulaUsers.Build(tree.GetRoot(), tree.Variables());
    usersRevision = formulasRevision;
    emit sig_variablesChanged();
    // A file keeps the values of the rollback that was last shown, but
    // anything may have written it: what is shown is the rollback of the
    // inputs, and a file whose values differ says so.
    // The ends given to paths that had none stored nothing to compare, and
    // another tool's file stores no values of this rollback to be stale.
    storedValuesStale = SolveAll(ends) && !result.foreign;
    emit sig_treeReplaced();
    if (bSettingsChanged)
        emit sig_settingsChanged();
    emit sig_evaluated();
}

bool CProjectDocument::Write(const QString &strPath, QString *pStrError) const
{
    return CProjectFile::Write(strPath, tree, projectName, settings, pStrError);
}

bool CProjectDocument::Write(QIODevice &device, QString *pStrError) const
{
    return CProjectFile::Write(device, tree, projectName, settings, pStrError);
}

void CProjectDocument::ReplaceTree(CNode *pRoot)
{
    TakeTree(pRoot);
    SolveAll();
    storedValuesStale = false;
    emit sig_treeReplaced();
    emit sig_evaluated();
}

bool CProjectDocument::SolveAll(const std::vector<CNode *> &added)
{
    CNode *pRoot = tree.GetRoot();
    if (!pRoot) {
        flagged.clear();
        return false;
    }
    const std::unordered_set<const CNode *> notStored(added.begin(), added.end());
    std::vector<std::pair<CNode *, Rolled>> stored;
    WalkSubtree(pRoot, [&](CNode *pNode) {
        if (!notStored.count(pNode))
            stored.push_back({pNode, {pNode->probability, pNode->payoff, pNode->active}});
    });
    solver.Solve(pRoot, [](CNode *) {});
    // After the solve, which gives the lone end of a Situation without
    // options its chance.
    RecheckAll();
    // Values that do not add up are shown but never trusted, and a file
    // saved in that state keeps whatever the last edit left: it is not
    // called out of date for that.
    if (!IsConsistent())
        return false;
    // Compared as the file stores them: exactly, since a saved number reads
    // back as the same double (NaN equals NaN here).
    auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return std::any_of(stored.begin(), stored.end(), [&](const auto &entry) {
        const CNode *pNode = entry.first;
        return !same(pNode->probability, entry.second.probability) ||
               !same(pNode->payoff, entry.second.payoff) || pNode->active != entry.second.active;
    });
}

void CProjectDocument::RecheckAll()
{
    flagged.clear();
    WalkSubtree(tree.GetRoot(), [&](CNode *pNode) {
        if (pNode->type == NodeType::Situation && !pNode->ChildProbabilitiesAddUp())
            flagged.insert(pNode);
    });
}

void CProjectDocument::AttachSubtree(CNode *pParent, CNode *pSubtree, int nIndex)
{
    if (!pParent || !pSubtree)
        return;
    CChange change(*this);
    if (pParent->HasOnlyTerminalChild()) {
        CNode *pTerminal = pParent->children.front();
        emit sig_subtreeRemoving(pTerminal);
        pParent->RemoveChild(pTerminal);
        // It may have been asked about earlier in this batch.
        toSolve.erase(std::remove(toSolve.begin(), toSolve.end(), pTerminal), toSolve.end());
        toRecheck.erase(std::remove(toRecheck.begin(), toRecheck.end(), pTerminal),
                        toRecheck.end());
        CNode::FreeSubtree(pTerminal);
    }
    if (nIndex < 0)
        nIndex = int(pParent->children.size());
    pParent->InsertChild(nIndex, pSubtree);
    ++formulasRevision;
    emit sig_structureChanged(pParent);
    // Everything that came in is looked at: a pasted or restored subtree
    // brings Situations of its own.
    RecheckSubtree(pSubtree);
    Recheck(pParent);
    toSolve.push_back(pParent);
    pending = true;
}

int CProjectDocument::DetachSubtree(CNode *pNode)
{
    CNode *pParent = pNode ? pNode->parent : nullptr;
    if (!pParent)
        return -1;
    CChange change(*this);
    emit sig_subtreeRemoving(pNode);
    const int nIndex = pParent->IndexOfChild(pNode);
    pParent->RemoveChild(pNode);
    pNode->parent = pParent;
    ++formulasRevision;
    ForgetSubtree(pNode);
    if (!pParent->HasChildren())
        CNode::CreateTerminal(pParent, "");
    emit sig_structureChanged(pParent);
    Recheck(pParent);
    toSolve.push_back(pParent);
    pending = true;
    return nIndex;
}

void CProjectDocument::SetValues(CNode *pNode, double dProbability, double dPayoff)
{
    SetManyValues({{pNode, dProbability, dPayoff}});
}

void CProjectDocument::SetManyValues(const std::vector<NodeValues> &values)
{
    CChange change(*this);
    for (const NodeValues &entry : values) {
        if (!entry.node)
            continue;
        if (!std::isnan(entry.probability) && entry.node->probability != entry.probability) {
            entry.node->probability = entry.probability;
            ProbabilityEdited(entry.node);
        }
        if (!std::isnan(entry.payoff) && entry.node->payoff != entry.payoff) {
            entry.node->payoff = entry.payoff;
            PayoffEdited(entry.node);
        }
    }
}

void CProjectDocument::SetName(CNode *pNode, const std::string &strName)
{
    if (!pNode || pNode->name == strName)
        return;
    pNode->name = strName;
    emit sig_nodeChanged(pNode);
}

void CProjectDocument::SetComment(CNode *pNode, const std::string &strComment)
{
    if (!pNode || pNode->payoffComment == strComment)
        return;
    pNode->payoffComment = strComment;
    emit sig_nodeChanged(pNode);
}

void CProjectDocument::SetFolded(CNode *pNode, bool bFolded)
{
    if (!pNode || pNode->folded == bFolded)
        return;
    if (bFolded && !(pNode->HasChildren() &&
                     (pNode->type == NodeType::Decision || pNode->type == NodeType::Situation)))
        return;
    pNode->folded = bFolded;
    emit sig_foldChanged(pNode);
}

void CProjectDocument::SetPosition(CNode *pNode, int32_t nX, int32_t nY)
{
    if (!pNode || (pNode->x == nX && pNode->y == nY))
        return;
    pNode->x = nX;
    pNode->y = nY;
    emit sig_positionsChanged({pNode});
}

void CProjectDocument::SetPositions(const std::vector<NodePlace> &places)
{
    std::vector<CNode *> moved;
    for (const NodePlace &place : places) {
        if (!place.node || (place.node->x == place.x && place.node->y == place.y))
            continue;
        place.node->x = place.x;
        place.node->y = place.y;
        moved.push_back(place.node);
    }
    if (!moved.empty())
        emit sig_positionsChanged(moved);
}

void CProjectDocument::TextsEdited(CNode *pNode)
{
    if (pNode)
        emit sig_nodeChanged(pNode);
}

void CProjectDocument::ProbabilityEdited(CNode *pNode)
{
    if (!pNode || !pNode->parent)
        return;
    CChange change(*this);
    if (!pNode->probabilityFormula.empty())
        formulaNodesEdited.push_back(pNode);
    CNode *pOwner = IsBranch(pNode) ? pNode : pNode->parent;
    Recheck(pOwner);
    // What is shown is what rolling back the whole tree shows, whether or
    // not the shares add up: the paths below the option take its new share
    // at once (a "#" beside a share typed changes with it). Once they add up
    // the whole Situation is solved, as it always was.
    const bool bAddsUp = pOwner->type != NodeType::Situation || pOwner->ChildProbabilitiesAddUp();
    toSolve.push_back(bAddsUp ? pOwner : pNode);
    pending = true;
}

void CProjectDocument::PayoffEdited(CNode *pNode)
{
    if (!pNode)
        return;
    CChange change(*this);
    if (!pNode->payoffFormula.empty() || !pNode->payoff2Formula.empty())
        formulaNodesEdited.push_back(pNode);
    toSolve.push_back(pNode);
    pending = true;
}

void CProjectDocument::BeginChange()
{
    ++depth;
}

void CProjectDocument::EndChange()
{
    if (--depth > 0 || !pending)
        return;
    Evaluate();
}

void CProjectDocument::RecheckSubtree(CNode *pNode)
{
    WalkSubtree(pNode, [&](CNode *pEach) {
        if (pEach->type == NodeType::Situation)
            toRecheck.push_back(pEach);
    });
}

void CProjectDocument::Recheck(CNode *pNode)
{
    if (pNode && pNode->type == NodeType::Situation)
        toRecheck.push_back(pNode);
}

void CProjectDocument::ForgetSubtree(const CNode *pNode)
{
    if (flagged.empty())
        return;
    WalkSubtree(const_cast<CNode *>(pNode), [&](CNode *pEach) { flagged.erase(pEach); });
}

bool CProjectDocument::InTree(const CNode *pNode) const
{
    // A detached subtree still names its old parent, which no longer has it.
    for (; pNode && pNode->parent; pNode = pNode->parent)
        if (pNode->parent->IndexOfChild(pNode) < 0)
            return false;
    return pNode && pNode == tree.GetRoot();
}

void CProjectDocument::Evaluate()
{
    pending = false;
    std::vector<CNode *> recheck;
    std::vector<CNode *> starts;
    std::swap(recheck, toRecheck);
    std::swap(starts, toSolve);

    // A solve covers its start's subtree and the path above: a start at or
    // below another adds nothing. A value typed may ask for thousands of
    // starts; each looks only at the path above it.
    std::unordered_set<const CNode *> asked;
    for (CNode *pStart : starts)
        if (InTree(pStart))
            asked.insert(pStart);
    std::vector<CNode *> kept;
    std::unordered_set<const CNode *> met;
    for (CNode *pStart : starts) {
        if (!asked.count(pStart) || !met.insert(pStart).second)
            continue;
        const CNode *pAbove = pStart->parent;
        while (pAbove && !asked.count(pAbove))
            pAbove = pAbove->parent;
        if (!pAbove)
            kept.push_back(pStart);
    }
    std::vector<CNode *> written;
    for (CNode *pStart : kept)
        solver.Solve(pStart, [&](CNode *pWritten) { written.push_back(pWritten); });
    if (kept.size() > 1) {
        // Nodes above two starts were written twice; each is announced once,
        // at its last (highest) place.
        std::unordered_set<CNode *> seen;
        std::vector<CNode *> once;
        for (auto it = written.rbegin(); it != written.rend(); ++it)
            if (seen.insert(*it).second)
                once.push_back(*it);
        written.assign(once.rbegin(), once.rend());
    }

    // Judged after the solve: the lone end of a Situation without options
    // takes its chance from the path above, which the solve has just written.
    for (const CNode *pWritten : written)
        if (pWritten->type == NodeType::Terminal && pWritten->parent &&
            pWritten->parent->type == NodeType::Situation)
            recheck.push_back(pWritten->parent);
    std::vector<CNode *> changedWarnings;
    std::sort(recheck.begin(), recheck.end());
    recheck.erase(std::unique(recheck.begin(), recheck.end()), recheck.end());
    for (CNode *pNode : recheck) {
        if (!InTree(pNode))
            continue;
        const bool bOff = !pNode->ChildProbabilitiesAddUp();
        if (bOff == HasProbabilityWarning(pNode))
            continue;
        if (bOff)
            flagged.insert(pNode);
        else
            flagged.erase(pNode);
        changedWarnings.push_back(pNode);
    }

    if (!changedWarnings.empty())
        emit sig_warningsChanged(changedWarnings);
    emit sig_valuesChanged(written);
    emit sig_evaluated();
}
