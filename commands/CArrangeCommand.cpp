#include "CArrangeCommand.h"

#include "CProjectDocument.h"

#include <QCoreApplication>

CArrangeCommand::CArrangeCommand(CProjectDocument &doc, CNode *pRoot,
                                 const std::vector<NodePlacement> &placedBefore,
                                 const std::vector<NodePlacement> &placedAfter)
    : document(doc), root(pRoot), before(CoordinatesOf(placedBefore)),
      after(CoordinatesOf(placedAfter))
{
    setText(QCoreApplication::translate("CArrangeCommand", "Arrange Tree"));
}

CArrangeCommand::Coordinates
CArrangeCommand::CoordinatesOf(const std::vector<NodePlacement> &placements)
{
    Coordinates coordinates;
    coordinates.reserve(placements.size());
    for (const NodePlacement &placement : placements)
        coordinates.emplace_back(placement.x, placement.y);
    return coordinates;
}

void CArrangeCommand::undo()
{
    Apply(before);
}

void CArrangeCommand::redo()
{
    Apply(after);
}

void CArrangeCommand::Apply(const Coordinates &coordinates)
{
    // Not the tree these positions were taken from: leave it alone. A tree
    // read in since has a Root of its own, and this one is gone.
    if (root != document.GetRoot())
        return;
    std::vector<NodePlacement> places = CTreeArranger::Placed(root);
    if (places.size() != coordinates.size())
        return;
    for (size_t i = 0; i < places.size(); ++i) {
        places[i].x = coordinates[i].first;
        places[i].y = coordinates[i].second;
    }
    document.SetPositions(places);
}
