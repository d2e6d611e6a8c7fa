#pragma once

#include <vector>

class CNode;
class CProjectDocument;

// Subtrees that an undo command moves into the tree and out again. While
// they are out, this object owns them and frees them when it goes; while
// they are in, the tree does. Each goes back where it stood.
class CDetachedSubtree
{
public:
    CDetachedSubtree() = default;
    // Takes subtrees that are in no tree; they are held from now on.
    explicit CDetachedSubtree(std::vector<CNode *> nodes);
    // Names subtrees that are in the tree now; nothing is held yet.
    static CDetachedSubtree InTree(std::vector<CNode *> nodes);
    CDetachedSubtree(const CDetachedSubtree &) = delete;
    CDetachedSubtree &operator=(const CDetachedSubtree &) = delete;
    CDetachedSubtree(CDetachedSubtree &&other) noexcept;
    CDetachedSubtree &operator=(CDetachedSubtree &&other) noexcept;
    ~CDetachedSubtree();

    bool IsEmpty() const { return nodes.empty(); }
    bool IsHeld() const { return held; }
    // Hangs every subtree below pParent, each at the place it was taken
    // from, or after the children there for one never taken out.
    void AttachTo(CProjectDocument &document, CNode *pParent);
    // Takes every subtree out of the tree and holds it.
    void Detach(CProjectDocument &document);

private:
    void Free();

    std::vector<CNode *> nodes;
    std::vector<int> indices;
    bool held = false;
};
