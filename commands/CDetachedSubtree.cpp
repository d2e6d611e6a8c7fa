#include "CDetachedSubtree.h"

#include "CNode.h"
#include "CProjectDocument.h"

#include <utility>

CDetachedSubtree::CDetachedSubtree(std::vector<CNode *> subtrees)
    : nodes(std::move(subtrees)), indices(nodes.size(), -1), held(true)
{
}

CDetachedSubtree CDetachedSubtree::InTree(std::vector<CNode *> subtrees)
{
    CDetachedSubtree result(std::move(subtrees));
    result.held = false;
    return result;
}

CDetachedSubtree::CDetachedSubtree(CDetachedSubtree &&other) noexcept
    : nodes(std::move(other.nodes)), indices(std::move(other.indices)), held(other.held)
{
    other.nodes.clear();
    other.held = false;
}

CDetachedSubtree &CDetachedSubtree::operator=(CDetachedSubtree &&other) noexcept
{
    if (this != &other) {
        Free();
        nodes = std::move(other.nodes);
        indices = std::move(other.indices);
        held = other.held;
        other.nodes.clear();
        other.held = false;
    }
    return *this;
}

CDetachedSubtree::~CDetachedSubtree()
{
    Free();
}

void CDetachedSubtree::Free()
{
    if (held)
        for (CNode *pNode : nodes)
            CNode::FreeSubtree(pNode);
    held = false;
}

void CDetachedSubtree::AttachTo(CProjectDocument &document, CNode *pParent)
{
    if (!held || !pParent)
        return;
    // One change: the tree is evaluated once, with all of them in.
    CProjectDocument::CChange change(document);
    // In the order they were taken, so that each index means what it meant.
    for (size_t i = 0; i < nodes.size(); ++i)
        document.AttachSubtree(pParent, nodes[i], indices[i]);
    held = false;
}

void CDetachedSubtree::Detach(CProjectDocument &document)
{
    if (held || nodes.empty())
        return;
    CProjectDocument::CChange change(document);
    // Last first: taking one out does not move those before it.
    bool bAll = true;
    for (size_t i = nodes.size(); i-- > 0;) {
        indices[i] = document.DetachSubtree(nodes[i]);
        bAll = bAll && indices[i] >= 0;
    }
    // A Root has nowhere to be taken from, and stays the tree's to free.
    held = bAll;
}
