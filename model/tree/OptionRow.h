#pragma once

#include <QString>
#include <QtGlobal>

// One option as the add-node dialog hands it over: the add commands copy these
// rows and turn each into an Option node with a Terminal below it.
struct OptionRow
{
    QString name;
    double probability = 1.0;
    double payoff = 0.0;
    QString payoffComment;
    // Formulas typed in place of the numbers, which then stand for their
    // last computed value; empty for plain numbers.
    QString probabilityFormula;
    QString payoffFormula;
};
Q_DECLARE_TYPEINFO(OptionRow, Q_MOVABLE_TYPE);
