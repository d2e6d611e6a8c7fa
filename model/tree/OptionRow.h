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
};
Q_DECLARE_TYPEINFO(OptionRow, Q_MOVABLE_TYPE);
