#pragma once

#include "CTreeArranger.h"

#include <QUndoCommand>

#include <cstdint>
#include <utility>
#include <vector>

class CNode;
class CProjectDocument;

// One arrangement of the tree below pRoot. It keeps positions, not nodes:
// the tree has the same shape whenever the history stands here, but a
// Terminal may have been made afresh since, so node pointers could dangle.
// The nodes are found again, in the order CTreeArranger counts them, each
// time it runs.
class CArrangeCommand : public QUndoCommand
{
public:
    // before and after as CTreeArranger::Placed and Arrange give them.
    CArrangeCommand(CProjectDocument &document, CNode *pRoot,
                    const std::vector<NodePlacement> &before,
                    const std::vector<NodePlacement> &after);

    void undo() override;
    void redo() override;

private:
    using Coordinates = std::vector<std::pair<int32_t, int32_t>>;
    static Coordinates CoordinatesOf(const std::vector<NodePlacement> &placements);
    void Apply(const Coordinates &coordinates);

    CProjectDocument &document;
    CNode *root;
    Coordinates before;
    Coordinates after;
};
