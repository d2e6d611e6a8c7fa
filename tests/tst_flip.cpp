#include "CDecisionSolver.h"
#include "CFlip.h"
#include "CPeerJsonWriter.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CValueOfInformation.h"
#include "TestTrees.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>

using ExampleTrees::ReplaceTerminal;

namespace {
CVariables::Variable Number(const std::string &strName, double dValue)
{
    CVariables::Variable variable;
    variable.name = strName;
    variable.value = dValue;
    return variable;
}

const std::vector<std::string> States{"Dry", "Wet", "Soaking"};
const std::vector<std::string> Results{"No structure", "Open", "Closed"};
const double Priors[3] = {0.5, 0.3, 0.2};
const double Reliabilities[3][3] = {{0.6, 0.3, 0.1}, {0.3, 0.4, 0.3}, {0.1, 0.4, 0.5}};
const double Revenues[3] = {0.0, 120.0, 270.0};

// Root - "Seismic?" - test (-10) - Oil - Seismic - Terminal, the state first.
// With bVariables, every prior and reliability is a variable ("pWet",
// "pOpenIfWet") but the rest of each Situation: "Dry" and "Closed".
CNode *StateFirst(CVariables *pVariables, bool bVariables)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Oil wildcatter");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Seismic?");
    CNode *pTest = AddOption(pDecision, "test", 1.0, -10.0);
    AddOption(pDecision, "skip", 1.0, 0.0);
    CNode *pOil = ReplaceTerminal(pTest, &CNode::CreateSituation, "Oil");
    const auto set = [&](CNode *pOption, const std::string &strName, double dValue, bool bLast) {
        if (!bVariables)
            return;
        if (bLast) {
            pOption->probabilityFormula = "#";
            return;
        }
        pVariables->Add(Number(strName, dValue));
        pOption->probabilityFormula = strName;
    };
    for (int i = 0; i < 3; ++i) {
        CNode *pState = AddOption(pOil, States[size_t(i)], Priors[i], Revenues[i]);
        set(pState, "p" + States[size_t(i)], Priors[i], i == 0);
        CNode *pSeismic = ReplaceTerminal(pState, &CNode::CreateSituation, "Seismic");
        for (int j = 0; j < 3; ++j) {
            CNode *pResult = AddOption(pSeismic, Results[size_t(j)], Reliabilities[i][j], 0.0);
            set(pResult,
                "p" + std::string(j == 0 ? "No" : Results[size_t(j)]) + "If" + States[size_t(i)],
                Reliabilities[i][j], j == 2);
        }
    }
    return pRoot;
}

CNode *FindNamed(CNode *pFrom, const std::string &strName)
{
    std::vector<CNode *> pending{pFrom};
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->name == strName)
            return pNode;
        pending.insert(pending.end(), pNode->children.rbegin(), pNode->children.rend());
    }
    return nullptr;
}

// Every Decision's value, in depth-first order.
std::vector<double> DecisionValues(const CNode *pRoot)
{
    std::vector<double> values;
    std::vector<const CNode *> pending{pRoot};
    while (!pending.empty()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->type == NodeType::Decision)
            values.push_back(pNode->payoff);
        pending.insert(pending.end(), pNode->children.rbegin(), pNode->children.rend());
    }
    return values;
}

// A Decision "Drill?" between pOption and the Oil behind it: drilling costs
// 70 and finds the revenue, not drilling pays nothing.
void DrillFirst(CNode *pOption)
{
    CNode *pOil = pOption->children.front();
    pOption->RemoveChild(pOil);
    CNode *pDrill = CNode::CreateDecision(pOption, "Drill?");
    CNode *pYes = CNode::CreateOption(pDrill, "drill");
    pYes->payoff = -70.0;
    pYes->AttachChild(pOil);
    AddOption(pDrill, "don't", 1.0, 0.0);
}

void DecideBeforeDrilling(CNode *pResults)
{
    for (CNode *pResult : pResults->children)
        DrillFirst(pResult);
}

// The seismic test built by hand, test first, posteriors typed as fractions;
// with bSkip, beside it drilling without the test, on the priors.
CNode *TestFirst(bool bSkip)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "By hand");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Seismic?");
    CNode *pTest = AddOption(pDecision, "test", 1.0, -10.0);
    CNode *pResults = ReplaceTerminal(pTest, &CNode::CreateSituation, "Seismic");
    const double joint[3][3] = {{0.3, 0.15, 0.05}, {0.09, 0.12, 0.09}, {0.02, 0.08, 0.1}};
    const double results[3] = {0.41, 0.35, 0.24};
    for (int j = 0; j < 3; ++j) {
        CNode *pOil = ReplaceTerminal(AddOption(pResults, Results[size_t(j)], results[j], 0.0),
                                      &CNode::CreateSituation, "Oil");
        for (int i = 0; i < 3; ++i)
            AddOption(pOil, States[size_t(i)], joint[i][j] / results[j], Revenues[i]);
    }
    DecideBeforeDrilling(pResults);
    if (bSkip) {
        CNode *pSkip = AddOption(pDecision, "skip", 1.0, 0.0);
        CNode *pOil = ReplaceTerminal(pSkip, &CNode::CreateSituation, "Oil");
        for (int i = 0; i < 3; ++i)
            AddOption(pOil, States[size_t(i)], Priors[i], Revenues[i]);
        DrillFirst(pSkip);
    }
    return pRoot;
}
} // namespace

class TestFlip : public QObject
{
    Q_OBJECT

private slots:
    void seismicByHand();
    void formulasFollowTheVariables();
    void refusals_data();
    void refusals();
    void neverSeenKeepsPriors();
    void randomTreesKeepTheirValue();
    void peerFileKeepsFormulas();
    void peerFlipFlipsBack();
    void valueOfInformationThroughTheTest();
};

void TestFlip::seismicByHand()
{
    CProjectDocument document;
    CVariables variables;
    document.ReplaceTree(StateFirst(&variables, false));
    QString strError;
    QVERIFY(CFlip::Apply(document, FindNamed(document.GetRoot(), "Oil"), &strError));
    CNode *pSeismic = FindNamed(document.GetRoot(), "Seismic");
    QCOMPARE(pSeismic->parent->name, std::string("test"));
    const double expected[3] = {0.41, 0.35, 0.24};
    for (int j = 0; j < 3; ++j) {
        const CNode *pResult = pSeismic->children[size_t(j)];
        QCOMPARE(pResult->name, Results[size_t(j)]);
        QVERIFY(pResult->probabilityFormula.empty());
        QVERIFY(qFuzzyCompare(pResult->probability, expected[j]));
        const CNode *pOil = pResult->children.front();
        QCOMPARE(pOil->name, std::string("Oil"));
        for (int i = 0; i < 3; ++i)
            QVERIFY(qFuzzyCompare(pOil->children[size_t(i)]->probability,
                                  Priors[i] * Reliabilities[i][j] / expected[j]));
    }
    QVERIFY(
        qFuzzyCompare(pSeismic->children[0]->children[0]->children[0]->probability, 0.3 / 0.41));

    // With a decision before drilling, the test is worth what the model
    // built test-first with the posteriors typed by hand says.
    CNode *pFlipped = document.GetRoot()->Clone();
    pFlipped->parent = nullptr;
    DecideBeforeDrilling(FindNamed(pFlipped, "Seismic"));
    CProjectDocument flipped;
    flipped.ReplaceTree(pFlipped);
    CNode *pByHand = TestFirst(false);
    CProjectDocument byHand;
    byHand.ReplaceTree(pByHand);
    const double dTestFlipped = FindNamed(flipped.GetRoot(), "test")->children.front()->payoff;
    QVERIFY(qFuzzyCompare(dTestFlipped, FindNamed(byHand.GetRoot(), "Seismic")->payoff));
    // 32.5 from the test's information, less its cost of 10.
    QVERIFY(qFuzzyCompare(dTestFlipped, 22.5));
}

void TestFlip::formulasFollowTheVariables()
{
    CProjectDocument document;
    CVariables variables;
    CNode *pRoot = StateFirst(&variables, true);
    document.ReplaceTree(pRoot);
    document.SetVariables(variables);
    QString strError;
    QVERIFY(CFlip::Apply(document, FindNamed(document.GetRoot(), "Oil"), &strError));
    QVERIFY(document.FormulaProblems().empty());
    const CVariables &after = document.GetVariables();
    const int nOpen = after.Find("pOpen");
    QVERIFY(nOpen >= 0);
    QCOMPARE(after.At(nOpen).formula,
             std::string(
                 "(1 - pWet - pSoaking)*pOpenIfDry + pWet*pOpenIfWet + pSoaking*pOpenIfSoaking"));
    QVERIFY(qFuzzyCompare(after.At(nOpen).value, 0.35));
    CNode *pSeismic = FindNamed(document.GetRoot(), "Seismic");
    QCOMPARE(pSeismic->children[1]->probabilityFormula, std::string("pOpen"));
    const CNode *pOpenOil = pSeismic->children[1]->children.front();
    QCOMPARE(pOpenOil->children[1]->probabilityFormula, std::string("pWet*pOpenIfWet / pOpen"));
    // "Closed" is the rest of each Situation, written out.
    QCOMPARE(
        after.At(after.Find("pClosed")).formula,
        std::string(
            "(1 - pWet - pSoaking)*(1 - pNoIfDry - pOpenIfDry) + "
            "pWet*(1 - pNoIfWet - pOpenIfWet) + pSoaking*(1 - pNoIfSoaking - pOpenIfSoaking)"));

    // A sensitivity on pWet moves every posterior, and they stay a distribution.
    std::vector<double> before;
    for (const CNode *pResult : pSeismic->children)
        for (const CNode *pState : pResult->children.front()->children)
            before.push_back(pState->probability);
    CVariables moved = document.GetVariables();
    CVariables::Variable wet = moved.At(moved.Find("pWet"));
    wet.value = 0.4;
    moved.Set(moved.Find("pWet"), wet);
    document.SetVariables(moved);
    QVERIFY(document.FormulaProblems().empty());
    size_t n = 0;
    for (const CNode *pResult : pSeismic->children) {
        QVERIFY(pResult->children.front()->ChildProbabilitiesAddUp());
        for (const CNode *pState : pResult->children.front()->children)
            QVERIFY2(std::fabs(pState->probability - before[n++]) > 1e-6, pState->name.c_str());
    }
    QVERIFY(document.IsConsistent());
}

void TestFlip::refusals_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("reason");
    QTest::newRow("one option") << "one"
                                << "Situation \"Oil\" has only one option";
    QTest::newRow("decision between") << "decision"
                                      << "Decision \"Drill?\" stands between";
    QTest::newRow("different options") << "different"
                                       << "has the options \"No structure\", \"Open\"";
    QTest::newRow("path ends") << "terminal"
                               << "Option \"Soaking\" of Situation \"Oil\" ends";
    QTest::newRow("a decision") << "notsituation"
                                << "\"Seismic?\" is none";
}

void TestFlip::refusals()
{
    QFETCH(QString, shape);
    QFETCH(QString, reason);
    CVariables variables;
    CNode *pRoot = StateFirst(&variables, false);
    CNode *pOil = FindNamed(pRoot, "Oil");
    CNode *pSoaking = pOil->children[2];
    if (shape == "one") {
        for (int i = 0; i < 2; ++i) {
            CNode *pGone = pOil->children.front();
            pOil->RemoveChild(pGone);
            CNode::FreeSubtree(pGone);
        }
        pSoaking->probability = 1.0;
    } else if (shape == "decision") {
        CNode::FreeSubtree(pSoaking->children.front());
        pSoaking->children.clear();
        CNode::CreateDecision(pSoaking, "Drill?");
    } else if (shape == "different") {
        CNode *pLast = pSoaking->children.front()->children.back();
        pSoaking->children.front()->RemoveChild(pLast);
        pSoaking->children.front()->children[1]->probability += pLast->probability;
        CNode::FreeSubtree(pLast);
    } else if (shape == "terminal") {
        CNode::FreeSubtree(pSoaking->children.front());
        pSoaking->children.clear();
        CNode::CreateTerminal(pSoaking, "");
    } else {
        pOil = FindNamed(pRoot, "Seismic?");
    }
    const QString strRefusal = CFlip::Refusal(pOil);
    QVERIFY2(strRefusal.contains(reason), qPrintable(strRefusal));
    QVERIFY(!CFlip::Build(pOil, variables).flipped);
    CNode::FreeSubtree(pRoot);
}

void TestFlip::neverSeenKeepsPriors()
{
    CVariables variables;
    CNode *pRoot = StateFirst(&variables, false);
    CNode *pOil = FindNamed(pRoot, "Oil");
    for (CNode *pState : pOil->children) {
        CNode *pSeismic = pState->children.front();
        pSeismic->children[1]->probability += pSeismic->children[2]->probability;
        pSeismic->children[2]->probability = 0.0;
    }
    CFlip::Result result = CFlip::Build(pOil, variables);
    QVERIFY(result.flipped);
    QCOMPARE(result.notes.size(), 1);
    QVERIFY(result.notes.front().contains("\"Closed\""));
    const CNode *pClosed = result.flipped->children[2];
    QCOMPARE(pClosed->probability, 0.0);
    QVERIFY(!pClosed->payoffComment.empty());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(pClosed->children.front()->children[size_t(i)]->probability, Priors[i]);
    CNode::FreeSubtree(result.flipped);
    CNode::FreeSubtree(pRoot);
}

// Random shapes and numbers, some probabilities variables: flipping keeps
// every Decision's value above the flipped Situation, and flipping back
// gives every probability its value again.
void TestFlip::randomTreesKeepTheirValue()
{
    for (quint32 nSeed = 1; nSeed <= 150; ++nSeed) {
        QRandomGenerator random(nSeed);
        CVariables variables;
        CNode *pRoot = CNode::CreateRoot(nullptr, "R");
        CNode *pTop = CNode::CreateDecision(pRoot, "Top");
        AddOption(pTop, "safe", 1.0, random.bounded(100));
        CNode *pGo = AddOption(pTop, "go", 1.0, random.bounded(20) - 10);
        CNode *pS = ReplaceTerminal(pGo, &CNode::CreateSituation, "S");
        const int nStates = 2 + random.bounded(3);
        const int nResults = 2 + random.bounded(2);
        const auto distribute = [&](CNode *pSituation, int nCount, const std::string &strPrefix) {
            double dLeft = 1.0;
            for (int k = 0; k < nCount; ++k) {
                const double dShare = k + 1 == nCount ? dLeft : dLeft * random.bounded(1.0);
                dLeft -= dShare;
                CNode *pOption = AddOption(pSituation, strPrefix + std::to_string(k), dShare,
                                           random.bounded(50) - 25);
                if (random.bounded(3) == 0 && k + 1 < nCount) {
                    const std::string strName = "v" + std::to_string(variables.Count());
                    variables.Add(Number(strName, dShare));
                    pOption->probabilityFormula = strName;
                } else if (k + 1 == nCount && random.bounded(2)) {
                    pOption->probabilityFormula = "#";
                }
            }
        };
        distribute(pS, nStates, "s");
        for (CNode *pState : pS->children) {
            CNode *pT = ReplaceTerminal(pState, &CNode::CreateSituation, "T");
            distribute(pT, nResults, "t");
            for (CNode *pResult : pT->children)
                if (random.bounded(2)) {
                    CNode *pD = ReplaceTerminal(pResult, &CNode::CreateDecision, "D");
                    AddOption(pD, "a", 1.0, random.bounded(60) - 30);
                    AddOption(pD, "b", 1.0, random.bounded(60) - 30);
                }
        }
        CProjectDocument document;
        document.ReplaceTree(pRoot);
        document.SetVariables(variables);
        const CNode *pOriginal = document.GetRoot()->Clone();
        const std::vector<double> before = DecisionValues(document.GetRoot());
        QString strError;
        for (int nTimes = 0; nTimes < 2; ++nTimes) {
            QVERIFY2(CFlip::Apply(document,
                                  document.GetRoot()->children[0]->children[1]->children[0],
                                  &strError),
                     qPrintable(strError));
            QVERIFY2(document.FormulaProblems().empty(),
                     qPrintable(CTreeFormulas::Message(document.FormulaProblems())));
            const std::vector<double> after = DecisionValues(document.GetRoot());
            QCOMPARE(after.size(), before.size());
            QVERIFY2(std::fabs(after.front() - before.front()) < 1e-9,
                     qPrintable(QString::number(nSeed)));
        }
        // Flipped twice: the same shape with the same probabilities.
        std::vector<std::pair<const CNode *, const CNode *>> pending{
            {pOriginal, document.GetRoot()}};
        while (!pending.empty()) {
            const auto [pWas, pIs] = pending.back();
            pending.pop_back();
            QCOMPARE(pIs->name, pWas->name);
            QVERIFY2(std::fabs(pIs->probability - pWas->probability) < 1e-12,
                     qPrintable(QString::number(nSeed)));
            QCOMPARE(pIs->children.size(), pWas->children.size());
            for (size_t k = 0; k < pWas->children.size(); ++k)
                pending.emplace_back(pWas->children[k], pIs->children[k]);
        }
        CNode::FreeSubtree(const_cast<CNode *>(pOriginal));
    }
}

// A SilverDecisions file keeps the flipped formulas and variables.
void TestFlip::peerFileKeepsFormulas()
{
    CProjectDocument document;
    CVariables variables;
    document.ReplaceTree(StateFirst(&variables, true));
    document.SetVariables(variables);
    QString strError;
    QVERIFY(CFlip::Apply(document, FindNamed(document.GetRoot(), "Oil"), &strError));
    QBuffer buffer;
    buffer.setData(CPeerJsonWriter::Write(document.GetTree(), "P", CProjectSettings(), &strError));
    QVERIFY2(!buffer.data().isEmpty(), qPrintable(strError));
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    CProjectDocument read;
    QVERIFY(read.Read(buffer).Succeeded());
    QVERIFY(read.FormulaProblems().empty());
    CNode *pSeismic = FindNamed(read.GetRoot(), "Seismic");
    QCOMPARE(pSeismic->children[1]->probabilityFormula, std::string("pOpen"));
    QCOMPARE(pSeismic->children[1]->children.front()->children[1]->probabilityFormula,
             std::string("pWet*pOpenIfWet / pOpen"));
    QCOMPARE(DecisionValues(read.GetRoot()), DecisionValues(document.GetRoot()));
}

// A tree as SilverDecisions leaves it after its own flip, made by hand (its
// test files are not at hand): the test first, the posteriors as fractions,
// and the value the tool stored. Flipped back, the state comes first again
// with its prior, and the tree is worth what the tool said.
void TestFlip::peerFlipFlipsBack()
{
    const QByteArray json = R"({"SilverDecisions": "1.1.0", "data": {"trees": [
        {"type": "chance", "name": "Test",
         "computed": {"expected-value-maximization": {"payoff": "50"}},
         "childEdges": [
          {"name": "pos", "probability": "2/5", "payoff": 0, "childNode": {"type": "chance",
           "name": "Oil", "childEdges": [
            {"name": "Dry", "probability": "1/4", "payoff": 0, "childNode": {"type": "terminal"}},
            {"name": "Wet", "probability": "#", "payoff": 100, "childNode": {"type": "terminal"}}]}},
          {"name": "neg", "probability": "#", "payoff": 0, "childNode": {"type": "chance",
           "name": "Oil", "childEdges": [
            {"name": "Dry", "probability": "2/3", "payoff": 0, "childNode": {"type": "terminal"}},
            {"name": "Wet", "probability": "#", "payoff": 100, "childNode": {"type": "terminal"}}]}}
         ]}]}})";
    const double dStored =
        QJsonDocument::fromJson(
            json)["data"]["trees"][0]["computed"]["expected-value-maximization"]["payoff"]
            .toString()
            .toDouble();
    QBuffer buffer;
    buffer.setData(json);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    CProjectDocument document;
    QVERIFY(document.Read(buffer).Succeeded());
    QString strError;
    QVERIFY2(CFlip::Apply(document, FindNamed(document.GetRoot(), "Test"), &strError),
             qPrintable(strError));
    QVERIFY2(document.FormulaProblems().empty(),
             qPrintable(CTreeFormulas::Message(document.FormulaProblems())));
    const CNode *pOil = document.GetRoot()->children.front();
    QCOMPARE(pOil->name, std::string("Oil"));
    QVERIFY(qFuzzyCompare(pOil->children[0]->probability, 0.5));
    QVERIFY(qFuzzyCompare(pOil->children[0]->children.front()->children[0]->probability, 0.2));
    QVERIFY(qFuzzyCompare(pOil->payoff, dStored));
}

// The oil after each test result is one uncertainty seen through the test:
// knowing it is worth 0.3 * 50 + 0.2 * 200 = 55 against the 22.5 of testing
// first, so 32.5, and knowing everything is worth no more.
void TestFlip::valueOfInformationThroughTheTest()
{
    // Without the choice to skip it, the test's 10 is paid whatever is known.
    // A refund of 20 on "No structure" makes the test's results matter once
    // the state is known: they then come by P(t | s), 0.6 over a dry hole.
    const struct
    {
        bool skip;
        double refund, value, evpiOil, evpiAll;
    } cases[] = {
        {false, 0, 22.5, 22.5, 22.5}, {true, 0, 22.5, 32.5, 32.5}, {true, 20, 30.7, 25.3, 28.4}};
    for (const auto &c : cases) {
        CDecisionTree tree;
        tree.SetRoot(TestFirst(c.skip));
        for (CNode *pResult : FindNamed(tree.GetRoot(), "Seismic")->children)
            if (pResult->name == Results[0])
                pResult->payoff = c.refund;
        CDecisionSolver().Solve(tree.GetRoot(), [](CNode *) {});
        const CTreeIndex index(tree.GetRoot());
        const CTreeEvaluation evaluation(index);
        CValueOfInformation information(evaluation);
        QVERIFY2(information.Run(), qPrintable(information.Error()));
        QVERIFY(qFuzzyCompare(information.Value(), c.value));
        const auto oil =
            std::find_if(information.Uncertainties().begin(), information.Uncertainties().end(),
                         [](const CValueOfInformation::Uncertainty &u) { return u.name == "Oil"; });
        QVERIFY(oil != information.Uncertainties().end());
        QCOMPARE(oil->reading, QString("bayes"));
        QCOMPARE(oil->test, QString("Seismic"));
        QVERIFY2(qFuzzyCompare(oil->evpi, c.evpiOil), qPrintable(QString::number(oil->evpi)));
        QVERIFY2(information.HasAll(), qPrintable(information.AllError()));
        QVERIFY2(qFuzzyCompare(information.AllEvpi(), c.evpiAll),
                 qPrintable(QString::number(information.AllEvpi())));
    }
    // Posteriors that no test explains are refused, never read as unrelated.
    CDecisionTree tree;
    tree.SetRoot(TestFirst(true));
    tree.GetRoot()
        ->children[0]
        ->children[1]
        ->children[0]
        ->children[0]
        ->children[0]
        ->children[0]
        ->probability = 0.4;
    tree.GetRoot()
        ->children[0]
        ->children[1]
        ->children[0]
        ->children[0]
        ->children[0]
        ->children[1]
        ->probability = 0.4;
    CDecisionSolver().Solve(tree.GetRoot(), [](CNode *) {});
    const CTreeIndex index(tree.GetRoot());
    const CTreeEvaluation evaluation(index);
    CValueOfInformation information(evaluation);
    QVERIFY(!information.Run());
    QVERIFY2(information.Error().contains("not the ones the test's results give"),
             qPrintable(information.Error()));
}

QTEST_GUILESS_MAIN(TestFlip)
#include "tst_flip.moc"
