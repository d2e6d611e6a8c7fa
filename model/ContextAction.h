#pragma once

// Codes of the node context menu. Each menu action carries its code in the
// dynamic property "type"; the editor window acts on the code it is sent.
namespace ContextAction {
enum Code : int
{
    ActionAddDecision = 0,
    ActionAddSituation = 1,
    ActionAddOption = 2,
    ActionCopy = 3,
    ActionCut = 4,
    ActionPaste = 5,
    ActionDelete = 6,
    ActionChangePayoffComment = 7,
};
}
