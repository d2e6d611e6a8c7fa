#pragma once

#include <functional>
#include <vector>

class CNode;
class CProjectDocument;
class CTreeScene;
class CViewPlacement;

// Folding on the canvas: hiding what is below a Decision or Situation, and
// showing it again when the user or a command needs it. A fold is no step of
// the history but is kept in the file, so each marks the project modified;
// the node folded stays where it is on screen unless the tree is arranged
// anew.
class CFolding
{
public:
    // fnMarkModified marks the project; fnArrange arranges the tree when it
    // is arranged automatically, and says whether any node moved.
    CFolding(CProjectDocument &document, CTreeScene &scene, CViewPlacement &placement,
             std::function<void()> fnMarkModified, std::function<bool()> fnArrange);

    void Fold(CNode *pNode);
    void Unfold(CNode *pNode);
    // Unfolds every folded node above pNode, so that it shows.
    void Reveal(CNode *pNode);
    void UnfoldAll();
    // A command changed the children of pNode: if a fold hid them, they show.
    // The command's own step arranges and keeps the view.
    void RevealChange(CNode *pNode);

private:
    // Unfolds each of nodes, parents first, with one arrangement at the end.
    void UnfoldEach(const std::vector<CNode *> &nodes);
    // After folds: the mark, an automatic arrangement, and the node acted on
    // kept in place, unless a batch does these itself.
    void Settle();

    CProjectDocument &document;
    CTreeScene &scene;
    CViewPlacement &placement;
    std::function<void()> markModified;
    std::function<bool()> arrange;
    bool batch = false;
    bool changed = false;
};
