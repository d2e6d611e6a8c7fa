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
    // Opens the analysis of how the tree's value depends on the option's
    // payoff or probability; it changes nothing in the tree.
    ActionSensitivity = 8,
    // Hide and show again what is below a Decision or Situation; the tree
    // itself does not change.
    ActionFold = 9,
    ActionUnfold = 10,
    // Turns a Situation around with the Situations after it (Bayes' rule).
    ActionFlip = 11,
    // An option's payoff of the second criterion, in a project of two.
    ActionSecondPayoff = 12,
};
}
