#include "TreeBuilders.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace TreeBuilders;

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void generalConstructorDefaults();
    void kindConstructors_data();
    void kindConstructors();
    void constructorAppendsToParent();
    void removeChild();
    void attachChild();
    void insertChildKeepsPlace();
    void cloneThreeLevels();
    void clearPositions();
    void hasOnlyTerminalChild_data();
    void hasOnlyTerminalChild();
    void probabilityConsistency_data();
    void probabilityConsistency();
    void consistencyWithoutRoot();
    void setRootFreesEarlierTree();
    void setRootKeepsNewRootHungBelowOld();
    void deepChain();
};

void TestModel::generalConstructorDefaults()
{
    CNode node(nullptr, "n");
    QCOMPARE(node.type, -1);
    QCOMPARE(node.name, std::string("n"));
    QVERIFY(node.parent == nullptr);
    QVERIFY(node.children.empty());
    QCOMPARE(node.probability, 1.0);
    QCOMPARE(node.payoff, 0.0);
    QVERIFY(node.payoffComment.empty());
    QCOMPARE(node.x, std::numeric_limits<int32_t>::min());
    QCOMPARE(node.y, std::numeric_limits<int32_t>::min());
    QCOMPARE(node.active, false);
    QVERIFY(!node.HasPosition());
    QVERIFY(!node.HasChildren());
}

void TestModel::kindConstructors_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("active");
    QTest::newRow("root") << int(NodeType::Root) << true;
    QTest::newRow("decision") << int(NodeType::Decision) << true;
    QTest::newRow("situation") << int(NodeType::Situation) << true;
    QTest::newRow("option") << int(NodeType::Option) << false;
    QTest::newRow("terminal") << int(NodeType::Terminal) << true;
}

void TestModel::kindConstructors()
{
    QFETCH(int, kind);
    QFETCH(bool, active);
    CNode *(*const create[])(CNode *, const std::string &) = {
        &CNode::CreateRoot, &CNode::CreateDecision, &CNode::CreateSituation, &CNode::CreateOption,
        &CNode::CreateTerminal};
    CNode *pNode = create[kind](nullptr, "k");
    QCOMPARE(pNode->type, kind);
    QCOMPARE(pNode->active, active);
    QCOMPARE(pNode->probability, 1.0);
    QCOMPARE(pNode->name, std::string("k"));
    CNode::FreeSubtree(pNode);
}

void TestModel::constructorAppendsToParent()
{
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pDecision = CNode::CreateDecision(pRoot, "d");
    CNode *pFirst = CNode::CreateOption(pDecision, "1");
    CNode *pSecond = CNode::CreateOption(pDecision, "2");
    QCOMPARE(pDecision->parent, pRoot);
    QCOMPARE(pDecision->children, (std::vector<CNode *>{pFirst, pSecond}));
    QCOMPARE(pSecond->parent, pDecision);
}

void TestModel::removeChild()
{
    CNode *pOwner = CNode::CreateDecision(nullptr, "d");
    CNode *pA = CNode::CreateOption(pOwner, "a");
    CNode *pB = CNode::CreateOption(pOwner, "b");
    CNode *pC = CNode::CreateOption(pOwner, "c");
    CNode *pStranger = CNode::CreateOption(nullptr, "x");

    pOwner->RemoveChild(pStranger);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pA, pB, pC}));

    pOwner->RemoveChild(pB);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pA, pC}));
    QVERIFY(pB->parent == nullptr);

    // Listed twice: only the first entry goes.
    pOwner->children.push_back(pA);
    pOwner->RemoveChild(pA);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pC, pA}));

    pOwner->children.pop_back();
    CNode::FreeSubtree(pOwner);
    CNode::FreeSubtree(pA);
    CNode::FreeSubtree(pB);
    CNode::FreeSubtree(pStranger);
}

void TestModel::attachChild()
{
    CNode *pOwner = CNode::CreateSituation(nullptr, "s");
    CNode *pA = CNode::CreateOption(pOwner, "a");
    CNode *pB = CNode::CreateOption(nullptr, "b");

    pA->parent = nullptr;
    pOwner->AttachChild(pA);
    QCOMPARE(pOwner->children.size(), size_t(1));
    QCOMPARE(pA->parent, pOwner);

    pOwner->AttachChild(pB);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pA, pB}));
    QCOMPARE(pB->parent, pOwner);
    CNode::FreeSubtree(pOwner);
}

void TestModel::insertChildKeepsPlace()
{
    CNode *pOwner = CNode::CreateDecision(nullptr, "d");
    CNode *pA = CNode::CreateOption(pOwner, "a");
    CNode *pB = CNode::CreateOption(pOwner, "b");
    CNode *pC = CNode::CreateOption(pOwner, "c");
    const int nIndex = pOwner->IndexOfChild(pB);
    pOwner->RemoveChild(pB);
    pOwner->InsertChild(nIndex, pB);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pA, pB, pC}));
    QCOMPARE(pB->parent, pOwner);

    // Out-of-range places clamp instead of writing past the end.
    pOwner->RemoveChild(pC);
    pOwner->InsertChild(99, pC);
    pOwner->RemoveChild(pA);
    pOwner->InsertChild(-5, pA);
    QCOMPARE(pOwner->children, (std::vector<CNode *>{pA, pB, pC}));
    QCOMPARE(pOwner->IndexOfChild(nullptr), -1);
    CNode::FreeSubtree(pOwner);
}

void TestModel::cloneThreeLevels()
{
    WorkedExample example;
    example.s1->payoffComment = "bonus \xc3\xa9";
    example.s1->x = 12;
    example.s1->y = -7;
    example.s1->active = true;

    CNode *pCopy = example.b->Clone();
    QVERIFY(pCopy != example.b);
    QCOMPARE(pCopy->parent, example.d);
    QCOMPARE(example.d->IndexOfChild(pCopy), -1);

    // Walk source and copy side by side.
    std::vector<std::pair<const CNode *, const CNode *>> pairs{{example.b, pCopy}};
    int nCompared = 0;
    while (!pairs.empty()) {
        auto [pSource, pClone] = pairs.back();
        pairs.pop_back();
        ++nCompared;
        QVERIFY(pSource != pClone);
        QCOMPARE(pClone->type, pSource->type);
        QCOMPARE(pClone->name, pSource->name);
        QCOMPARE(pClone->probability, pSource->probability);
        QCOMPARE(pClone->payoff, pSource->payoff);
        QCOMPARE(pClone->payoffComment, pSource->payoffComment);
        QCOMPARE(pClone->x, pSource->x);
        QCOMPARE(pClone->y, pSource->y);
        QCOMPARE(pClone->active, pSource->active);
        QCOMPARE(pClone->children.size(), pSource->children.size());
        for (size_t i = 0; i < pSource->children.size(); ++i) {
            QCOMPARE(pClone->children[i]->parent, pClone);
            pairs.emplace_back(pSource->children[i], pClone->children[i]);
        }
    }
    QCOMPARE(nCompared, 6); // B, S, S1, S2, T1, T2
    CNode::FreeSubtree(pCopy);
}

void TestModel::clearPositions()
{
    WorkedExample example;
    for (CNode *pNode : {example.root, example.d, example.b, example.s, example.t2}) {
        pNode->x = 5;
        pNode->y = 6;
    }
    example.b->ClearPositions();
    QVERIFY(example.root->HasPosition());
    QVERIFY(example.d->HasPosition());
    QVERIFY(!example.b->HasPosition());
    QVERIFY(!example.s->HasPosition());
    QVERIFY(!example.t2->HasPosition());

    // Either coordinate alone missing means no position.
    example.a->x = 3;
    QVERIFY(!example.a->HasPosition());
}

void TestModel::hasOnlyTerminalChild_data()
{
    QTest::addColumn<QString>("children");
    QTest::addColumn<bool>("expected");
    QTest::newRow("none") << "" << false;
    QTest::newRow("one terminal") << "T" << true;
    QTest::newRow("two terminals") << "TT" << false;
    QTest::newRow("one option") << "O" << false;
    QTest::newRow("option and terminal") << "OT" << false;
}

void TestModel::hasOnlyTerminalChild()
{
    QFETCH(QString, children);
    QFETCH(bool, expected);
    CNode *pOwner = CNode::CreateDecision(nullptr, "d");
    for (QChar c : children) {
        if (c == 'T')
            CNode::CreateTerminal(pOwner, "");
        else
            CNode::CreateOption(pOwner, "");
    }
    QCOMPARE(pOwner->HasOnlyTerminalChild(), expected);
    CNode::FreeSubtree(pOwner);
}

void TestModel::probabilityConsistency_data()
{
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<bool>("expected");
    QTest::newRow("exact") << 0.4 << 0.6 << true;
    QTest::newRow("within tolerance") << 0.5 << 0.49995 << true;
    QTest::newRow("outside tolerance") << 0.5 << 0.4998 << false;
    QTest::newRow("above one") << 0.5 << 0.5002 << false;
    QTest::newRow("not a number") << 0.5 << std::nan("") << false;
}

void TestModel::probabilityConsistency()
{
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(bool, expected);

    // The faulty Situation sits below a consistent one, so the whole tree is
    // searched, not only the top.
    WorkedExample example;
    CNode *pInner = ReplaceTerminal(example.s1, &CNode::CreateSituation, "inner");
    AddOption(pInner, "x", first, 0);
    AddOption(pInner, "y", second, 0);
    QCOMPARE(example.tree.IsProbabilityConsistent(), expected);
    QCOMPARE(example.tree.IsProbabilityConsistent(pInner), expected);
    QVERIFY(example.tree.IsProbabilityConsistent(example.a));
}

void TestModel::consistencyWithoutRoot()
{
    CDecisionTree tree;
    QVERIFY(!tree.IsProbabilityConsistent());

    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    CNode *pEmpty = CNode::CreateSituation(pRoot, "s");
    // A Situation without options sums to 0.
    QVERIFY(!tree.IsProbabilityConsistent());
    QVERIFY(!tree.IsProbabilityConsistent(pEmpty));
}

void TestModel::setRootFreesEarlierTree()
{
    // The sanitizer build turns a leak or a double free here into a failure.
    CDecisionTree tree;
    WorkedExample *pExample = new WorkedExample;
    CNode *pOld = pExample->tree.TakeRoot();
    delete pExample;
    tree.SetRoot(pOld);
    QCOMPARE(tree.GetRoot(), pOld);

    CNode *pNew = CNode::CreateRoot(nullptr, "new");
    tree.SetRoot(pNew);
    QCOMPARE(tree.GetRoot(), pNew);
    tree.SetRoot(pNew); // the same Root again must not free it
    QCOMPARE(tree.GetRoot()->name, std::string("new"));
}

void TestModel::setRootKeepsNewRootHungBelowOld()
{
    CDecisionTree tree;
    CNode *pOld = CNode::CreateRoot(nullptr, "old");
    tree.SetRoot(pOld);
    CNode::CreateTerminal(pOld, "");
    CNode *pNew = CNode::CreateRoot(pOld, "new");
    CNode *pBelowNew = CNode::CreateTerminal(pNew, "");
    tree.SetRoot(pNew);
    QCOMPARE(tree.GetRoot(), pNew);
    QVERIFY(pNew->parent == nullptr);
    QCOMPARE(pNew->children.front(), pBelowNew);
}

void TestModel::deepChain()
{
    const int nDepth = 100000;
    CDecisionTree tree;
    tree.SetRoot(MakeChain(nDepth));

    CNode *pCopy = tree.GetRoot()->Clone();
    pCopy->x = 1;
    pCopy->ClearPositions();
    QVERIFY(!pCopy->HasPosition());
    int nCount = 0;
    for (const CNode *pNode = pCopy; pNode;
         pNode = pNode->HasChildren() ? pNode->children[0] : nullptr)
        ++nCount;
    QCOMPARE(nCount, nDepth);
    CNode::FreeSubtree(pCopy);

    QVERIFY(tree.IsProbabilityConsistent());
    // The tree's destructor frees the chain without recursion.
}

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
