#include "CEditRules.h"

#include "CNode.h"
#include "ContextAction.h"

namespace {

bool IsBranch(int nType)
{
    return nType == NodeType::Decision || nType == NodeType::Situation;
}

// The path ends here: a new Decision or Situation (added or pasted) takes the
// place of the Terminal. A branch that already continues is never replaced.
bool PathEnds(const CNode *pNode)
{
    return !pNode->HasChildren() || pNode->HasOnlyTerminalChild();
}

// A Decision or Situation keeps at least one option: taking the only one away
// (by Delete or by Cut) would leave nothing to choose from.
bool IsOnlyOption(const CNode *pNode)
{
    return pNode->type == NodeType::Option && pNode->parent && pNode->parent->children.size() == 1;
}

} // namespace

const QMap<int, QList<int>> &CEditRules::MenuRules()
{
    using namespace ContextAction;
    static const QMap<int, QList<int>> rules = {
        {NodeType::Root, {ActionAddDecision, ActionAddSituation, ActionPaste}},
        {NodeType::Decision, {ActionAddOption, ActionCopy, ActionCut, ActionPaste, ActionDelete}},
        {NodeType::Situation,
         {ActionAddOption, ActionCopy, ActionCut, ActionPaste, ActionDelete, ActionFlip}},
        {NodeType::Option,
         {ActionAddDecision, ActionAddSituation, ActionCopy, ActionCut, ActionPaste, ActionDelete,
          ActionChangePayoffComment, ActionSecondPayoff, ActionSensitivity}},
        {NodeType::Terminal, {}},
    };
    return rules;
}

bool CEditRules::FitsPlace(int nAction, const CNode *pNode)
{
    using namespace ContextAction;
    if (!pNode || !MenuRules().value(pNode->type).contains(nAction))
        return false;
    switch (nAction) {
    case ActionAddDecision:
    case ActionAddSituation:
        return PathEnds(pNode);
    case ActionCut:
    case ActionDelete:
        // Only a node with a place in the tree can be taken out of it.
        return pNode->parent && !IsOnlyOption(pNode);
    case ActionPaste:
        return IsBranch(pNode->type) || PathEnds(pNode);
    default:
        return true;
    }
}

bool CEditRules::Offers(int nAction, const CNode *pNode)
{
    // Folding changes what shows, not the tree: the node's own state decides.
    if (nAction == ContextAction::ActionFold)
        return pNode && !pNode->folded && pNode->HasChildren() &&
               (pNode->type == NodeType::Decision || pNode->type == NodeType::Situation);
    if (nAction == ContextAction::ActionUnfold)
        return pNode && pNode->folded;
    return FitsPlace(nAction, pNode);
}

bool CEditRules::Allows(int nAction, const CNode *pNode, const CNode *pClipboard)
{
    if (nAction == ContextAction::ActionPaste)
        return FitsPlace(nAction, pNode) && CanPaste(pNode, pClipboard);
    return Offers(nAction, pNode);
}

bool CEditRules::CanPaste(const CNode *pTarget, const CNode *pClipboard)
{
    if (!pTarget || !pClipboard)
        return false;
    switch (pTarget->type) {
    case NodeType::Decision:
    case NodeType::Situation:
        return pClipboard->type == NodeType::Option;
    case NodeType::Option:
    case NodeType::Root:
        return IsBranch(pClipboard->type) && PathEnds(pTarget);
    default:
        return false;
    }
}
