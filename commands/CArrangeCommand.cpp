#include "CArrangeCommand.h"

#include <QCoreApplication>

#include <utility>

CArrangeCommand::CArrangeCommand(CDecisionTreeWindow *pWindow, std::vector<NodePosition> before_,
                                 std::vector<NodePosition> after_)
    : window(pWindow), before(std::move(before_)), after(std::move(after_))
{
    setText(QCoreApplication::translate("CArrangeCommand", "Arrange Tree"));
}

void CArrangeCommand::undo()
{
    window->TreeScene()->ApplyPositions(before);
}

void CArrangeCommand::redo()
{
    window->TreeScene()->ApplyPositions(after);
}
