#pragma once

#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CNode.h"

#include <QString>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// The projects shipped in examples/, built in code; make-examples writes them
// with the project file writer. The tests grow their trees from these too.
namespace ExampleTrees {

// An option with its probability and payoff, ending in a Terminal.
inline CNode *AddOption(CNode *pOwner, const std::string &strName, double dProbability,
                        double dPayoff)
{
    CNode *pOption = CNode::CreateOption(pOwner, strName);
    pOption->probability = dProbability;
    pOption->payoff = dPayoff;
    CNode::CreateTerminal(pOption, "");
    return pOption;
}

// Replaces an option's Terminal with a new node of the given kind.
inline CNode *ReplaceTerminal(CNode *pOption, CNode *(*create)(CNode *, const std::string &),
                              const std::string &strName)
{
    CNode *pTerminal = pOption->children.front();
    pOption->RemoveChild(pTerminal);
    CNode::FreeSubtree(pTerminal);
    return create(pOption, strName);
}

// The worked example: Root - D(A: 1/10 -> TA, B: 1/0 -> S(S1: 0.4/30, S2: 0.6/-5)).
struct WorkedExample
{
    CDecisionTree tree;
    CNode *root, *d, *a, *b, *ta, *s, *s1, *s2, *t1, *t2;

    WorkedExample()
    {
        root = CNode::CreateRoot(nullptr, "Plan");
        tree.SetRoot(root);
        d = CNode::CreateDecision(root, "D");
        a = AddOption(d, "A", 1.0, 10.0);
        b = AddOption(d, "B", 1.0, 0.0);
        ta = a->children.front();
        s = ReplaceTerminal(b, &CNode::CreateSituation, "S");
        s1 = AddOption(s, "S1", 0.4, 30.0);
        s2 = AddOption(s, "S2", 0.6, -5.0);
        t1 = s1->children.front();
        t2 = s2->children.front();
    }
};

struct Example
{
    QString fileName;
    QString projectName;
    double value;                     // the rolled-back value of the whole tree
    std::vector<const char *> chosen; // the option each Decision chooses, in file order
    std::unique_ptr<CDecisionTree> tree;
};

// An example whose tree holds only its Root, named pRoot or, without one,
// after the project.
inline Example NewExample(const char *pFile, const char *pProject, double dValue,
                          std::vector<const char *> chosen, const char *pRoot = nullptr)
{
    Example example{QString::fromUtf8(pFile), QString::fromUtf8(pProject), dValue,
                    std::move(chosen), std::make_unique<CDecisionTree>()};
    example.tree->SetRoot(CNode::CreateRoot(nullptr, pRoot ? pRoot : pProject));
    return example;
}

// The worked example of the rollback: D chooses A (10) over the lottery S (9).
inline Example Plan()
{
    Example example{QStringLiteral("Plan.rmproj"), QStringLiteral("Plan"), 10.0, {"A"}, nullptr};
    WorkedExample worked;
    example.tree = std::make_unique<CDecisionTree>();
    example.tree->SetRoot(worked.tree.TakeRoot());
    return example;
}

// Raiffa's oil wildcatter: a chance node under a decision. Drilling costs
// 70,000 and finds a dry hole, a wet one worth 120,000 or a soaking one worth
// 270,000; its expected value of 20,000 beats not drilling.
inline Example OilWildcatter()
{
    Example example = NewExample("OilWildcatter.rmproj", "Oil Wildcatter", 20000.0, {"Drill"});
    CNode *pRoot = example.tree->GetRoot();
    CNode *pDrill = CNode::CreateDecision(pRoot, "Drill?");
    CNode *pYes = AddOption(pDrill, "Drill", 1.0, -70000.0);
    pYes->payoffComment = "cost of drilling";
    AddOption(pDrill, "Don't drill", 1.0, 0.0);
    CNode *pOil = ReplaceTerminal(pYes, &CNode::CreateSituation, "Oil in the well");
    AddOption(pOil, "Dry", 0.5, 0.0);
    AddOption(pOil, "Wet", 0.3, 120000.0)->payoffComment = "revenue";
    AddOption(pOil, "Soaking", 0.2, 270000.0)->payoffComment = "revenue";
    return example;
}

// Howard's party problem with a perfect forecast: a decision under a chance
// node. Knowing the weather, the host picks the best place for it: outdoors
// in the sun (100), indoors in the rain (50), worth 0.4 * 100 + 0.6 * 50.
inline Example Party()
{
    Example example =
        NewExample("Party.rmproj", "Party with a perfect forecast", 70.0, {"Outdoors", "Indoors"});
    CNode *pRoot = example.tree->GetRoot();
    CNode *pWeather = CNode::CreateSituation(pRoot, "Forecast");
    struct Weather
    {
        const char *name;
        double probability, outdoors, porch, indoors;
    };
    for (const Weather &weather :
         {Weather{"Sun", 0.4, 100, 90, 40}, Weather{"Rain", 0.6, 0, 20, 50}}) {
        CNode *pOption = AddOption(pWeather, weather.name, weather.probability, 0.0);
        const std::string strPlace = std::string("Location (") + weather.name + ")";
        CNode *pPlace = ReplaceTerminal(pOption, &CNode::CreateDecision, strPlace);
        AddOption(pPlace, "Outdoors", 1.0, weather.outdoors);
        AddOption(pPlace, "Porch", 1.0, weather.porch);
        AddOption(pPlace, "Indoors", 1.0, weather.indoors);
    }
    return example;
}

// A launch decision of a few dozen nodes: go nationwide at once, try a test
// market first, or drop the product. Payoffs add up along each path; going
// nationwide is worth 690,000 against 425,000 for the test market.
inline Example Launch()
{
    Example example = NewExample("Launch.rmproj", "Product launch", 690000.0,
                                 {"Nationwide", "Build", "Withdraw", "Launch", "Sell the idea"});
    CNode *pRoot = example.tree->GetRoot();
    CNode *pHow = CNode::CreateDecision(pRoot, "How to launch?");
    CNode *pNationwide = AddOption(pHow, "Nationwide", 1.0, -500000.0);
    pNationwide->payoffComment = "tooling and advertising";
    CNode *pTest = AddOption(pHow, "Test market first", 1.0, -100000.0);
    AddOption(pHow, "Abandon", 1.0, 0.0);
    auto demand = [](CNode *pOption, double dHigh, double dMedium, double dLow) {
        CNode *pDemand = ReplaceTerminal(pOption, &CNode::CreateSituation, "Demand");
        return std::vector<CNode *>{AddOption(pDemand, "High", dHigh, 2000000.0),
                                    AddOption(pDemand, "Medium", dMedium, 700000.0),
                                    AddOption(pDemand, "Low", dLow, 200000.0)};
    };
    const std::vector<CNode *> nationwide = demand(pNationwide, 0.3, 0.5, 0.2);
    CNode *pPlant = ReplaceTerminal(nationwide[0], &CNode::CreateDecision, "Second plant?");
    AddOption(pPlant, "Build", 1.0, 600000.0)->payoffComment = "sales less the plant";
    AddOption(pPlant, "Wait", 1.0, 0.0);
    CNode *pCut = ReplaceTerminal(nationwide[2], &CNode::CreateDecision, "Cut losses?");
    AddOption(pCut, "Withdraw", 1.0, 100000.0)->payoffComment = "stock sold off";
    AddOption(pCut, "Keep selling", 1.0, -150000.0);
    CNode *pResult = ReplaceTerminal(pTest, &CNode::CreateSituation, "Test result");
    CNode *pGood = ReplaceTerminal(AddOption(pResult, "Positive", 0.6, 0.0), &CNode::CreateDecision,
                                   "Launch after the test?");
    demand(AddOption(pGood, "Launch", 1.0, -500000.0), 0.5, 0.35, 0.15);
    AddOption(pGood, "Sell the idea", 1.0, 400000.0);
    CNode *pPoor = ReplaceTerminal(AddOption(pResult, "Negative", 0.4, 0.0), &CNode::CreateDecision,
                                   "After a poor test");
    AddOption(pPoor, "Sell the idea", 1.0, 150000.0);
    AddOption(pPoor, "Drop", 1.0, 0.0);
    return example;
}

// A probability or payoff of an example: a number, or a formula over the
// project's variables (the number then stays 0 until formulas are applied).
struct Input
{
    Input(double dValue) : value(dValue) {}
    Input(const char *pFormula) : formula(pFormula) {}
    double value = 0.0;
    const char *formula = nullptr;
};

// "#", the rest of the probability, where share is a formula; 1 - share
// where it is a number.
inline Input Rest(const Input &share)
{
    return share.formula ? Input("#") : Input(1.0 - share.value);
}

// AddOption with each number or its formula.
inline CNode *AddOption(CNode *pOwner, const std::string &strName, const Input &probability,
                        const Input &payoff)
{
    CNode *pOption = AddOption(pOwner, strName, probability.value, payoff.value);
    if (probability.formula)
        pOption->probabilityFormula = probability.formula;
    if (payoff.formula)
        pOption->payoffFormula = payoff.formula;
    return pOption;
}

// The oil wildcatter with a test first, under pRoot: sell the rights for
// 750, drill now, or test and then install or sell the rights for 1,000
// after a positive test and 500 after a negative one. OilWithTest gives its
// numbers, OilSeismic the formulas that compute the same ones.
struct OilTestInputs
{
    const char *nowName;  // the chance of oil when drilling now
    Input drill, revenue; // the cost of drilling, what oil earns
    Input test, positive; // the cost of the test, how often it is positive
    Input oil;            // the chance of oil before any test
    Input afterPositive;  // and after each result
    Input afterNegative;
};

inline void AddOilTest(CNode *pRoot, const OilTestInputs &inputs)
{
    CNode *pChoice = CNode::CreateDecision(pRoot, "Drill?");
    AddOption(pChoice, "sell", 1.0, 750.0);
    const auto drill = [&inputs](CNode *pOwner, const char *pName, const char *pOilName,
                                 const Input &oil) {
        CNode *pOil = ReplaceTerminal(AddOption(pOwner, pName, 1.0, inputs.drill),
                                      &CNode::CreateSituation, pOilName);
        AddOption(pOil, "oil", oil, inputs.revenue);
        AddOption(pOil, "dry", Rest(oil), 0.0);
    };
    drill(pChoice, "drill now", inputs.nowName, inputs.oil);
    CNode *pTest = ReplaceTerminal(AddOption(pChoice, "test", 1.0, inputs.test),
                                   &CNode::CreateSituation, "Test result");
    struct Result
    {
        const char *name;
        Input share, oil;
        const char *sell;
        double price;
    };
    for (const Result &result :
         {Result{"positive", inputs.positive, inputs.afterPositive, "sell high", 1000.0},
          Result{"negative", Rest(inputs.positive), inputs.afterNegative, "sell low", 500.0}}) {
        CNode *pAfter = ReplaceTerminal(AddOption(pTest, result.name, result.share, 0.0),
                                        &CNode::CreateDecision,
                                        std::string("After a ") + result.name + " test");
        drill(pAfter, "install", "Oil?", result.oil);
        AddOption(pAfter, result.sell, 1.0, result.price);
    }
}

// The oil wildcatter with a test first: the rights sell for 750; drilling now
// costs 250 and finds oil worth 2,500 in one well of two; a test costs 100.
// A positive test (0.6) raises the chance of oil to 0.75, a negative one
// lowers it to 0.125, and after it the rights sell for 1,000 or 500. Then
// installing is worth 1,525 after a positive test, selling 400 after a
// negative one, and testing 0.6 * 1525 + 0.4 * 400 = 1,075 beats drilling
// now (1,000) and selling (750).
inline Example OilWithTest()
{
    Example example = NewExample("OilWithTest.rmproj", "Oil wildcatter with a test", 1075.0,
                                 {"test", "install", "sell low"});
    AddOilTest(example.tree->GetRoot(),
               {"Oil now?", -250.0, 2500.0, -100.0, 0.6, 0.5, 0.75, 0.125});
    return example;
}

// The oil wildcatter of SAS/OR's decision-tree documentation with shared
// inputs: drilling costs 150,000, 300,000 or 500,000 (0.2, 0.6, 0.2), and
// each cost is followed by a dry hole, a wet one (0.3) or a soaking one
// (0.2). One variable per revenue and cost; soaking earns 500,000 more than
// wet, and dry takes the rest of the probability. Drilling is worth
// 0.5 * 700,000 + 100,000 - 310,000 = 140,000; it stops paying below a wet
// revenue of 420,000.
inline Example OilVariables()
{
    Example example =
        NewExample("OilVariables.rmproj", "Oil wildcatter with shared inputs", 140000.0, {"Drill"});
    CVariables &variables = example.tree->Variables();
    CVariables::Variable revWet{"revWet", 700000.0, "",       true,
                                300000.0, true,     800000.0, "revenue of a wet well"};
    variables.Add(revWet);
    variables.Add({"revSoak", 0.0, "revWet + 500000", false, 0.0, false, 0.0, ""});
    for (const auto &[pName, dCost] :
         {std::pair{"cLow", 150000.0}, {"cFair", 300000.0}, {"cHigh", 500000.0}})
        variables.Add({pName, dCost, "", false, 0.0, false, 0.0, ""});
    CNode *pRoot = example.tree->GetRoot();
    CNode *pDrill = CNode::CreateDecision(pRoot, "Drill?");
    CNode *pCost =
        ReplaceTerminal(AddOption(pDrill, "Drill", 1.0, 0.0), &CNode::CreateSituation, "Cost");
    AddOption(pDrill, "Not drill", 1.0, 0.0);
    for (const auto &[pName, dProbability, pFormula] :
         {std::tuple{"Low", 0.2, "-cLow"}, {"Fair", 0.6, "-cFair"}, {"High", 0.2, "-cHigh"}}) {
        CNode *pLevel = AddOption(pCost, pName, dProbability, 0.0);
        pLevel->payoffFormula = pFormula;
        CNode *pOil = ReplaceTerminal(pLevel, &CNode::CreateSituation, "Oil");
        AddOption(pOil, "Dry", 0.0, 0.0)->probabilityFormula = "#";
        AddOption(pOil, "Wet", 0.3, 0.0)->payoffFormula = "revWet";
        AddOption(pOil, "Soaking", 0.2, 0.0)->payoffFormula = "revSoak";
    }
    return example;
}

// The oil wildcatter with a test again, built from shared inputs: the chance
// of oil (0.5) and how often the test is positive over oil (0.9) and over a
// dry hole (0.3). The test is positive with pPositive = 0.5 * 0.9 + 0.5 * 0.3
// = 0.6; Bayes gives oil after a positive test pOil * pPosIfOil / pPositive =
// 0.75, after a negative one 0.5 * 0.1 / 0.4 = 0.125, and "#" the dry rest:
// the same tree as OilWithTest, worth the same 1,075.
inline Example OilSeismic()
{
    Example example =
        NewExample("OilSeismic.rmproj", "Oil wildcatter with a seismic test and shared inputs",
                   1075.0, {"test", "install", "sell low"}, "Oil wildcatter with a seismic test");
    CVariables &variables = example.tree->Variables();
    // Each estimate also has a distribution, for the probabilistic
    // sensitivity analysis: Betas with these means, a Normal revenue.
    variables.Add(
        {"pOil", 0.5, "", true, 0.3, true, 0.7, "chance of oil before any test", "Beta(5, 5)"});
    variables.Add(
        {"pPosIfOil", 0.9, "", false, 0.0, false, 0.0, "test positive over oil", "Beta(18, 2)"});
    variables.Add({"pPosIfDry", 0.3, "", false, 0.0, false, 0.0, "test positive over a dry hole",
                   "Beta(3, 7)"});
    variables.Add({"pPositive", 0.0, "pOil * pPosIfOil + (1 - pOil) * pPosIfDry", false, 0.0, false,
                   0.0, ""});
    variables.Add(
        {"revOil", 2500.0, "", true, 1500.0, true, 3500.0, "revenue of oil", "Normal(2500, 500)"});
    variables.Add({"cDrill", 250.0, "", false, 0.0, false, 0.0, ""});
    variables.Add({"cTest", 100.0, "", false, 0.0, false, 0.0, ""});
    AddOilTest(example.tree->GetRoot(),
               {"Oil?", "-cDrill", "revOil", "-cTest", "pPositive", "pOil",
                "pOil * pPosIfOil / pPositive", "pOil * (1 - pPosIfOil) / (1 - pPositive)"});
    return example;
}

// Every example, rolled back as the editor would show it after the last edit.
inline std::vector<Example> All()
{
    std::vector<Example> examples;
    examples.push_back(Plan());
    examples.push_back(OilWildcatter());
    examples.push_back(Party());
    examples.push_back(Launch());
    examples.push_back(OilWithTest());
    examples.push_back(OilVariables());
    examples.push_back(OilSeismic());
    for (Example &example : examples) {
        example.tree->ApplyFormulas();
        CDecisionSolver().Solve(example.tree->GetRoot());
    }
    return examples;
}

} // namespace ExampleTrees
