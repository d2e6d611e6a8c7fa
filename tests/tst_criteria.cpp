#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CLeagueTable.h"
#include "CNode.h"
#include "CPeerJsonWriter.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "SubtreeWalk.h"

#include <QBuffer>
#include <QtTest>

#include <cmath>

// Two criteria: the rollback by the combined value, the league table's
// dominance, and the files that carry both.
class TestCriteria : public QObject
{
    Q_OBJECT

private slots:
    void leagueTableRemovesExtendedDominanceUntilNoneIsLeft();
    void leagueTableReportsTies();
    void rollbackChoosesByCombinedValue_data();
    void rollbackChoosesByCombinedValue();
    void filesKeepBothCriteria_data();
    void filesKeepBothCriteria();
    void leagueTableOfATree();
};

namespace {

CCriteria EffectAndCost(double dWeight)
{
    CCriteria criteria;
    criteria.two = true;
    criteria.names[0] = QStringLiteral("Effect");
    criteria.names[1] = QStringLiteral("Cost");
    criteria.maximise[0] = true;
    criteria.maximise[1] = false;
    criteria.weight = dWeight;
    return criteria;
}

// A Decision among options, each with an effect and a cost, the last
// leading to a Situation of two outcomes.
CNode *ScreeningTree()
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Screening");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Programme");
    const auto option = [&](const char *pName, double dEffect, double dCost) {
        CNode *pOption = CNode::CreateOption(pDecision, pName);
        pOption->payoff = dEffect;
        pOption->payoff2 = dCost;
        return pOption;
    };
    CNode::CreateTerminal(option("None", 0, 0), "");
    CNode::CreateTerminal(option("Annual", 1, 12000), "");
    CNode *pSituation = CNode::CreateSituation(option("Biennial", 0, 4000), "Found");
    CNode *pEarly = CNode::CreateOption(pSituation, "Early");
    pEarly->probability = 0.25;
    pEarly->payoff = 1.5;
    pEarly->payoff2 = 12000;
    CNode::CreateTerminal(pEarly, "");
    CNode *pLate = CNode::CreateOption(pSituation, "Late");
    pLate->probability = 0.75;
    pLate->payoff = 0.5;
    pLate->payoff2 = 2000;
    CNode::CreateTerminal(pLate, "");
    return pRoot;
}

std::vector<const CNode *> Attached(const CNode *pRoot)
{
    std::vector<const CNode *> nodes;
    WalkSubtree(pRoot, [&nodes](const CNode *pNode) { nodes.push_back(pNode); });
    return nodes;
}

} // namespace

void TestCriteria::leagueTableRemovesExtendedDominanceUntilNoneIsLeft()
{
    // By (cost, effect): A (0, 0), B (10,000, 0.5), C (20,000, 0.9),
    // D (22,000, 1.2), E (15,000, 0.4). E costs more than B and does less:
    // dominated. C against its neighbours: ICER C/B = 10,000 / 0.4 = 25,000
    // above D/C = 2,000 / 0.3 = 6,667, so C goes. Then D against B is
    // 12,000 / 0.7 = 17,143, below B's own 10,000 / 0.5 = 20,000: B goes too.
    // The frontier is A, D with 22,000 / 1.2 = 18,333.33; A is best for w up
    // to it, D above. One pass over neighbours would keep B.
    CLeagueTable table(EffectAndCost(20000));
    QCOMPARE(table.Compute({{"A", 0, 0},
                            {"B", 0.5, 10000},
                            {"C", 0.9, 20000},
                            {"D", 1.2, 22000},
                            {"E", 0.4, 15000}}),
             QString());
    QStringList order;
    for (const CLeagueTable::Row &row : table.Rows())
        order << row.strategy.name;
    QCOMPARE(order, QStringList({"A", "B", "E", "C", "D"}));
    const auto &rows = table.Rows();
    QCOMPARE(table.Names(rows[2].dominatedBy), QStringLiteral("B"));
    QCOMPARE(table.Names(rows[1].extendedDominatedBy), QStringLiteral("A, D"));
    QCOMPARE(table.Names(rows[3].extendedDominatedBy), QStringLiteral("A, D"));
    QVERIFY(rows[0].frontier && rows[4].frontier);
    QVERIFY(!rows[1].frontier && !rows[2].frontier && !rows[3].frontier);
    QCOMPARE(rows[4].icer, 22000 / 1.2);
    QCOMPARE(rows[4].incrementalC2, 22000.0);
    QCOMPARE(rows[0].weightFrom, 0.0);
    QCOMPARE(rows[0].weightTo, 22000 / 1.2);
    QCOMPARE(rows[4].weightTo, CCriteria::Infinite);
    // At w = 20,000 D's net benefit 24,000 - 22,000 beats A's 0.
    QVERIFY(!rows[0].best && rows[4].best);
}

void TestCriteria::leagueTableReportsTies()
{
    // Two strategies of the same cost and effect are both on the frontier,
    // each naming the other; neither is hidden.
    CLeagueTable table(EffectAndCost(1e9));
    QCOMPARE(table.Compute({{"A", 0, 0}, {"B", 1, 100}, {"B'", 1, 100}}), QString());
    const auto &rows = table.Rows();
    QVERIFY(rows[1].frontier && rows[2].frontier);
    QCOMPARE(table.Names(rows[1].tiedWith), QStringLiteral("B'"));
    QCOMPARE(table.Names(rows[2].tiedWith), QStringLiteral("B"));
    QVERIFY(rows[1].best && rows[2].best);
    QCOMPARE(rows[2].icer, 100.0);
}

void TestCriteria::rollbackChoosesByCombinedValue_data()
{
    QTest::addColumn<double>("weight");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<double>("value");
    // Expected criteria: None (0, 0), Annual (1, 12,000), Biennial
    // (0.25 × 1.5 + 0.75 × 0.5 = 0.75, 4,000 + 0.25 × 12,000 + 0.75 × 2,000
    // = 8,500). The combined value is the net benefit w × effect - cost.
    // w 10,000: Biennial -1,000, Annual -2,000: none is best.
    QTest::newRow("w 10,000: none") << 10000.0 << "None" << 0.0;
    // w 12,000: Biennial 9,000 - 8,500 = 500, Annual 0.
    QTest::newRow("w 12,000: biennial") << 12000.0 << "Biennial" << 500.0;
    // w 14,000: both 2,000 (exact in binary): a tie keeps the earlier.
    QTest::newRow("w 14,000: a tie keeps the first") << 14000.0 << "Annual" << 2000.0;
    // Criterion 1 first: Annual has the most effect; the value is the effect.
    QTest::newRow("w infinite") << CCriteria::Infinite << "Annual" << 1.0;
}

void TestCriteria::rollbackChoosesByCombinedValue()
{
    QFETCH(double, weight);
    QFETCH(QString, chosen);
    QFETCH(double, value);
    CProjectDocument document;
    CProjectSettings settings;
    settings.criteria = EffectAndCost(weight);
    document.SetSettings(settings);
    document.ReplaceTree(ScreeningTree());
    const CNode *pDecision = document.GetRoot()->children.front();
    QString strChosen;
    for (const CNode *pOption : pDecision->children)
        if (pOption->active)
            strChosen += QString::fromStdString(pOption->name);
    QCOMPARE(strChosen, chosen);
    QCOMPARE(pDecision->payoff, value);
    const CNode *pSituation = pDecision->children[2]->children.front();
    QCOMPARE(pSituation->expected1, 0.75);
    QCOMPARE(pSituation->expected2, 8500.0);
}

void TestCriteria::filesKeepBothCriteria_data()
{
    QTest::addColumn<bool>("peer");
    QTest::addColumn<bool>("maximise2");
    QTest::addColumn<double>("weight");
    QTest::newRow("project file, max-min") << false << false << 25000.0;
    QTest::newRow("project file, infinite weight") << false << true << CCriteria::Infinite;
    QTest::newRow("SilverDecisions, max-min") << true << false << 25000.0;
    QTest::newRow("SilverDecisions, max-max, infinite") << true << true << CCriteria::Infinite;
}

void TestCriteria::filesKeepBothCriteria()
{
    // Written and read back, a project of two criteria has the same
    // criteria, the same second payoffs and formulas, the same choices and
    // values, and writes the very same bytes again.
    QFETCH(bool, peer);
    QFETCH(bool, maximise2);
    QFETCH(double, weight);
    CProjectSettings settings;
    settings.criteria = EffectAndCost(weight);
    settings.criteria.maximise[1] = maximise2;
    settings.criteria.units[1] = peer ? QString() : QStringLiteral("$");
    settings.criteria.weightUpper = peer ? 1e6 : CCriteria::Infinite;
    CProjectDocument document;
    document.SetSettings(settings);
    document.ReplaceTree(ScreeningTree());
    CVariables variables;
    variables.Add({"screenCost", 4000, "", false, 0, false, 0, ""});
    document.SetVariables(variables);
    CNode *pBiennial = document.GetRoot()->children.front()->children[2];
    document.SetPayoff2(pBiennial, 4000, "screenCost");
    const auto write = [peer](const CProjectDocument &from) {
        if (peer)
            return CPeerJsonWriter::Write(from.GetTree(), from.GetProjectName(), from.GetSettings(),
                                          nullptr);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QString strError;
        from.Write(buffer, &strError);
        return buffer.data();
    };
    const QByteArray bytes = write(document);
    QVERIFY(!bytes.isEmpty());
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    CProjectDocument read;
    QVERIFY(read.Read(in).Succeeded());
    QVERIFY(read.GetSettings().criteria == document.GetSettings().criteria);
    const std::vector<const CNode *> before = Attached(document.GetRoot());
    const std::vector<const CNode *> after = Attached(read.GetRoot());
    QCOMPARE(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        QCOMPARE(after[i]->payoff2, before[i]->payoff2);
        QCOMPARE(after[i]->payoff2Formula, before[i]->payoff2Formula);
        QCOMPARE(after[i]->payoff, before[i]->payoff);
        QCOMPARE(after[i]->expected2, before[i]->expected2);
        QCOMPARE(after[i]->active, before[i]->active);
    }
    QCOMPARE(write(read), bytes);
}

void TestCriteria::leagueTableOfATree()
{
    // The tree's three strategies with their expected criteria, by cost:
    // None (0, 0), Biennial (0.75, 8,500), Annual (1, 12,000). ICERs
    // 8,500 / 0.75 = 11,333.33, then 3,500 / 0.25 = 14,000: both on the
    // frontier, Biennial best at w 12,000.
    CDecisionTree tree;
    tree.SetRoot(ScreeningTree());
    CLeagueTable table(EffectAndCost(12000));
    QCOMPARE(table.Run(tree), QString());
    QCOMPARE(int(table.Rows().size()), 3);
    const auto &rows = table.Rows();
    QCOMPARE(rows[1].strategy.name, QStringLiteral("Biennial"));
    QCOMPARE(rows[1].icer, 8500 / 0.75);
    QCOMPARE(rows[2].icer, 14000.0);
    QVERIFY(rows[1].best && !rows[2].best);
}

QTEST_GUILESS_MAIN(TestCriteria)
#include "tst_criteria.moc"
