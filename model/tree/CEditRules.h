#pragma once

#include <QList>
#include <QMap>

class CNode;

// Which edit each node admits. The node menus, the editor's own guards, the
// keyboard and the tests all ask here, so that no path can do what a menu
// refuses, or refuse what it offers.
class CEditRules
{
public:
    // The ContextAction codes that each kind of node offers at all, before
    // its place in the tree or the clipboard are looked at.
    static const QMap<int, QList<int>> &MenuRules();

    // Whether the action may be carried out on the node: its kind offers it
    // and its place in the tree admits it. A paste also needs a clipboard
    // whose kind fits (a null clipboard admits none); the other actions
    // ignore the clipboard.
    static bool Allows(int nAction, const CNode *pNode, const CNode *pClipboard);

    // The same before the clipboard is known: Paste counts as allowed
    // wherever a clipboard of some kind could go.
    static bool Offers(int nAction, const CNode *pNode);

    // Whether a subtree of the clipboard's kind may hang below the target.
    static bool CanPaste(const CNode *pTarget, const CNode *pClipboard);

private:
    static bool FitsPlace(int nAction, const CNode *pNode);
};
