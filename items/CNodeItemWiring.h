#pragma once

class CNodeGrapicsItem;

// Whoever answers a node item's signals, implemented by the scene that holds
// the item. The item asks for its connections the first time it has
// something to send: on a large tree most items never do, and the window's
// connections to an item cost it two kilobytes, a quarter of what an item
// holds.
class CNodeItemWiring
{
public:
    // Makes the connections to pItem's signals; asked once per item.
    virtual void ConnectItem(CNodeGrapicsItem *pItem) = 0;

protected:
    ~CNodeItemWiring() = default;
};
