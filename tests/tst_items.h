#pragma once

#include <QObject>

// One test class for the canvas items; its cases are spread over
// tst_items.cpp (texts), tst_items_node.cpp, tst_items_menu.cpp and
// tst_items_arrow.cpp (arrows and painting).
class TestItems : public QObject
{
    Q_OBJECT

private slots:
    // Editable texts
    void doubleClickStartsEditing_data();
    void doubleClickStartsEditing();
    void enterEndsEditWithoutLineBreak();
    void unchangedTextEmitsNothing();
    void movableTextAnnouncesEachDragStep();
    void probabilityFormats_data();
    void probabilityFormats();
    void probabilityEditCycle_data();
    void probabilityEditCycle();
    void notANumberReadsAsZero_data();
    void notANumberReadsAsZero();

    // Node item
    void textsPerKind_data();
    void textsPerKind();
    void textsFollowRename();
    void renameWritesNodeAndReportsOldName();
    void payoffTypingWritesNode();
    void probabilityTypingWritesNode();
    void programmaticValues();
    void probabilityError();
    void menuEntries();
    void menuEnabling_data();
    void menuEnabling();
    void setNodePos();
    void nullNode();
    void deletedWhileEditing();

    // Arrow
    void arrowGeometry_data();
    void arrowGeometry();
    void arrowFollowsDrag();
    void arrowFollowsRename();
    void arrowWithMissingItems();

    // Painting
    void fillColours_data();
    void fillColours();
    void outlineGrowsWithName();
    void arrowPainting_data();
    void arrowPainting();
};
