#pragma once

#include <QObject>

// The undoable tree edits and the node context actions. Cases are spread over
// tst_commands.cpp (adding), tst_commands_paste.cpp (deleting, cutting and
// pasting) and tst_commands_actions.cpp (menus, dialogs, lifetimes).
class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    // Adding
    void addBranchUnderRoot_data();
    void addBranchUnderRoot();
    void addOptionsAppendUndoRedo();
    void emptyRowList_data();
    void emptyRowList();
    void discardedCommandsFreeTheirNodes();

    // Deleting, cutting, pasting
    void deleteDecisionUnderOption();
    void deleteMiddleOptionKeepsPlaceAndIndex();
    void undoneDeleteKeepsTheChoiceOnATie();
    void cutThenPasteAreTwoSteps();
    void pasteOptionOnSituationTakesLastSlot();
    void pasteTwiceGivesIndependentCopies();
    void pastedOptionOfADecisionIsCertain();
    void noSecondBranchOnAContinuingPath();

    // Context actions and lifetimes
    void pasteEnabled_data();
    void pasteEnabled();
    void onlyOptionStays();
    void addThroughMenuAndDialog();
    void cancelledAddDialog_data();
    void cancelledAddDialog();
    void payoffComment_data();
    void payoffComment();
    void commandOutlivesItsItem();
    void valueEditAcrossUndoneAdd();
    void sumsMendedBySiblingSolveEveryOption();
    void undoWhileEditingARemovedText();
    void closingWindowFreesHeldNodes();
};
