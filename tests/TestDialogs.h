#pragma once

#include <QObject>

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void formBasics_data();
    void formBasics();
    void formLayouts_data();
    void formLayouts();
    void formCells_data();
    void formCells();
    void formTexts_data();
    void formTexts();
    void formDetails();

    // The counter is shared by the whole run: this one must stay first of
    // those that accept a new-project dialog.
    void newProjectNumbering();
    void newProjectEmptyNameWarns();
    void newProjectNamesAsTyped_data();
    void newProjectNamesAsTyped();
    void newProjectReturnAccepts();

    void aboutShowsNoPlaceHolder();
    void aboutLinkKeepsDialogOpen();

    void addModes_data();
    void addModes();
    void addDefaultRows_data();
    void addDefaultRows();
    void addOptionCountLimits_data();
    void addOptionCountLimits();
    void addCountChangeResetsRows();
    void addDecisionProbabilityIsOne();
    void addNumbers_data();
    void addNumbers();
    void addTypedCellIsRead();
    void addButtons_data();
    void addButtons();

    void translationContexts();
};
