#pragma once

#include "CDecisionTree.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CQEditableGraphicsTextItem.h"
#include "CQGraphicsArrowLineItem.h"
#include "TreeBuilders.h"

#include <QGraphicsScene>
#include <QMap>

#include <initializer_list>

// Finders, probes and a small tree for the item tests.
namespace ItemFixtures {

// The value texts hang below the node item; they are found by their kind.
inline CProbabilityGraphicsTextItem *ProbabilityText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems())
        if (auto *pText = dynamic_cast<CProbabilityGraphicsTextItem *>(pChild))
            return pText;
    return nullptr;
}

inline CQEditableGraphicsTextItem *PayoffText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems()) {
        auto *pText = dynamic_cast<CQEditableGraphicsTextItem *>(pChild);
        if (pText && !dynamic_cast<CProbabilityGraphicsTextItem *>(pChild))
            return pText;
    }
    return nullptr;
}

inline CQEditableGraphicsTextItem *ErrorText(const CNodeGrapicsItem *pItem)
{
    const CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem);
    if (!pProbability || pProbability->childItems().size() != 1)
        return nullptr;
    return dynamic_cast<CQEditableGraphicsTextItem *>(pProbability->childItems().front());
}

// Lets the tests read the polyline and head that the arrow keeps.
class ArrowProbe : public CQGraphicsArrowLineItem
{
public:
    using CQGraphicsArrowLineItem::CQGraphicsArrowLineItem;
    using CQGraphicsArrowLineItem::head;
    using CQGraphicsArrowLineItem::line;
};

inline QPolygonF Points(std::initializer_list<QPointF> points)
{
    return QPolygonF(QVector<QPointF>(points));
}

// Root R - Decision D with options A (Terminal TA) and B (Situation S with the
// single option S1 - Terminal T1), and a second Root R2 whose only child is the
// Terminal T2. Every node gets an item, looked up by the node's name.
struct SmallTree
{
    CDecisionTree tree;
    CDecisionTree tree2;
    CNode *r, *d, *a, *ta, *b, *s, *s1, *t1, *r2, *t2;
    QMap<QString, CNodeGrapicsItem *> items;

    explicit SmallTree(QGraphicsScene &scene)
    {
        using TreeBuilders::AddOption;
        r = CNode::CreateRoot(nullptr, "R");
        tree.SetRoot(r);
        d = CNode::CreateDecision(r, "D");
        a = AddOption(d, "A", 1.0, 10.0);
        ta = a->children.front();
        ta->name = "TA";
        b = AddOption(d, "B", 1.0, 5.0);
        s = TreeBuilders::ReplaceTerminal(b, &CNode::CreateSituation, "S");
        s1 = AddOption(s, "S1", 0.25, 3.0);
        t1 = s1->children.front();
        t1->name = "T1";
        r2 = CNode::CreateRoot(nullptr, "R2");
        tree2.SetRoot(r2);
        t2 = CNode::CreateTerminal(r2, "T2");
        int nRow = 0;
        for (CNode *pNode : {r, d, a, ta, b, s, s1, t1, r2, t2}) {
            auto *pItem = new CNodeGrapicsItem(pNode, nullptr, true);
            scene.addItem(pItem);
            pItem->SetNodePos(20 + 110 * (nRow % 5), 40 + 120 * (nRow / 5), true);
            items.insert(QString::fromStdString(pNode->name), pItem);
            ++nRow;
        }
    }
    CNodeGrapicsItem *Item(const QString &strName) const { return items.value(strName); }
};

} // namespace ItemFixtures
