#pragma once

#include <QColor>
#include <QHash>
#include <QObject>

class CNode;
class CTreeIndex;

// The colour each option has in the charts of one project. An option keeps
// the colour it was first drawn in for as long as it stays in the tree, so a
// line means the same option from one chart to the next; options of one
// Decision never share a colour while the palette lasts.
class CChartColours : public QObject
{
    Q_OBJECT

public:
    // The colours of a project, made when first asked for; they live and go
    // with the project's object.
    static CChartColours *Of(QObject *pProject);

    QColor ColourOf(const CTreeIndex &index, int nOption);
    // The palette's n-th colour, for lines that stand for no one option (a
    // strategy); the charts theme's own has only five.
    static QColor InTurn(int n);

private:
    explicit CChartColours(QObject *pProject);

    // Palette positions. Only compared with the nodes of the tree; a node
    // that has left it is forgotten, so a new node at its address does not
    // inherit its colour.
    QHash<const CNode *, int> colours;
};
