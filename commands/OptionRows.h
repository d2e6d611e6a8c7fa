#pragma once

#include "OptionRow.h"

#include <QVector>

class CNode;

// Makes one Option per row under pOwner, each ending in a Terminal, and
// returns them in row order.
QVector<CNode *> MakeOptions(CNode *pOwner, const QVector<OptionRow> &rows);
