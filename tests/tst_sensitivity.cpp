// One-way sensitivity and tornado: the oil wildcatter with a test worked out by
// hand, random trees checked against full re-solves of changed copies, the
// command line, and the panels beside a project.
#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CNode.h"
#include "CRamify.h"
#include "CSensitivityAnalysis.h"
#include "CSensitivityPanel.h"
#include "CSpiderAnalysis.h"
#include "CSpiderPanel.h"
#include "CTornado.h"
#include "CTornadoPanel.h"
#include "CTreeEvaluation.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "CTwoWayPanel.h"
#include "CVariableSensitivity.h"
#include "CVariableSensitivityPanel.h"
#include "CVariablesPanel.h"
#include "ContextAction.h"
#include "ExampleTrees.h"
#include "GuiTest.h"
#include "TextNumber.h"

#include <QChartView>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QValueAxis>

#include <random>

using Parameter = CSensitivityAnalysis::Parameter;
Q_DECLARE_METATYPE(Parameter)

namespace {

// One to three options per Decision or Situation, small integer payoffs and
// probabilities in quarters from -1/4 to 1: the rollback's arithmetic stays
// exact, ties are common, and most Situations do not add up to 1.
CNode *RandomTree(std::mt19937 &random)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "R");
    std::vector<std::pair<CNode *, unsigned>> ends{{pRoot, 0}};
    while (!ends.empty()) {
        const auto [pEnd, nDepth] = ends.back();
        ends.pop_back();
        const unsigned nRoll = nDepth < 4 ? random() % 10 : 0;
        CNode *pOwner = nRoll < 3   ? CNode::CreateTerminal(pEnd, "")
                        : nRoll < 7 ? CNode::CreateDecision(pEnd, "D")
                                    : CNode::CreateSituation(pEnd, "S");
        for (unsigned i = 0, nCount = nRoll < 3 ? 0 : 1 + random() % 3; i < nCount; ++i) {
            const double dProbability = nRoll < 7 ? 1.0 : (int(random() % 6) - 1) / 4.0;
            CNode *pOption = CNode::CreateOption(pOwner, "O");
            pOption->probability = dProbability;
            pOption->payoff = int(random() % 7) - 3;
            ends.emplace_back(pOption, nDepth + 1);
        }
    }
    return pRoot;
}

struct Move
{
    int option;
    Parameter parameter;
    double value;
};

// The editor's own solver on a changed copy of the tree, the moves made in
// order: the Root's value, per Decision the chosen option (-1 for none), and
// whether the copy's probabilities form a distribution. A moved probability
// is made up for by its siblings in proportion, or in equal parts when they
// add up to 0.
struct Resolved
{
    double value;
    std::vector<int> chosen;
    bool consistent;
};
Resolved Resolve(const CNode *pRoot, const std::vector<Move> &moves, const CDecisionRule &rule)
{
    CDecisionTree copy;
    copy.SetRoot(pRoot->Clone());
    const CTreeIndex index(copy.GetRoot());
    for (const Move &move : moves) {
        CNode *pOption = const_cast<CNode *>(index.Node(move.option));
        const std::vector<CNode *> &siblings = pOption->parent->children;
        double dRest = -pOption->probability;
        for (const CNode *pSibling : siblings)
            dRest += pSibling->probability;
        const double dLeft = dRest - (move.value - pOption->probability);
        for (CNode *pSibling : siblings)
            if (move.parameter == Parameter::Probability)
                pSibling->probability =
                    dRest != 0 ? pSibling->probability * dLeft / dRest
                               : pSibling->probability + dLeft / double(siblings.size() - 1);
        (move.parameter == Parameter::Payoff ? pOption->payoff : pOption->probability) = move.value;
    }
    CDecisionSolver solver;
    solver.SetRule(rule);
    solver.Solve(copy.GetRoot(), [](CNode *) {});
    std::vector<int> chosen(size_t(index.Size()), -1);
    for (int n = 1; n < index.Size(); ++n)
        if (index.Node(n)->active && index.Type(index.Parent(n)) == NodeType::Decision)
            chosen[size_t(index.Parent(n))] = n;
    const CTreeIndex solved(copy.GetRoot());
    return {copy.GetRoot()->children[0]->payoff, chosen,
            CTreeEvaluation(solved, rule).DistributionProblem().isEmpty()};
}

} // namespace

class TestSensitivity : public QObject
{
    Q_OBJECT

private slots:
    void oilBreakEven_data();
    void oilBreakEven();
    void variableBreakEvens_data();
    void variableBreakEvens();
    void agreesWithResolves();
    void twoWayOil_data();
    void twoWayOil();
    void variableDrivenAnalyses();
    void commandLine_data();
    void commandLine();
    void panelsFollowTheirProject();
    void variablesPanel();
};

void TestSensitivity::oilBreakEven_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<double>("breakEven");
    QTest::addColumn<QString>("change");
    // 1075 is the test's value; 400 + 1125 p beats drilling now (1000) from p = 8/15.
    QTest::newRow("sell payoff 500..1500") << 2 << Parameter::Payoff << 1075.0 << "test > sell";
    QTest::newRow("positive test 0..1")
        << 10 << Parameter::Probability << 8.0 / 15 << "drill now > test";
}

void TestSensitivity::oilBreakEven()
{
    QFETCH(int, option);
    QFETCH(Parameter, parameter);
    QFETCH(double, breakEven);
    QFETCH(QString, change);
    const ExampleTrees::Example oil = ExampleTrees::OilWithTest();
    const CTreeIndex index(oil.tree->GetRoot());
    const CTreeEvaluation evaluation(index);
    QCOMPARE(evaluation.RootValue(), 1075.0);
    CSensitivityAnalysis analysis(evaluation);
    const bool bPayoff = parameter == Parameter::Payoff;
    QVERIFY(analysis.Run(option, parameter, bPayoff ? 500 : 0, bPayoff ? 1500 : 1));
    QCOMPARE(analysis.BreakEvens().size(), size_t(1));
    const CSensitivityAnalysis::BreakEven &found = analysis.BreakEvens().front();
    QCOMPARE(found.parameter, breakEven);
    QCOMPARE(QString::fromStdString(index.Node(found.decision)->name + ": " +
                                    index.Node(found.below)->name + " > " +
                                    index.Node(found.above)->name),
             "Drill?: " + change);
}

void TestSensitivity::variableBreakEvens_data()
{
    QTest::addColumn<QString>("formula"); // of the first option's payoff; the second pays 1
    QTest::addColumn<double>("breakEven");
    QTest::addColumn<double>("tolerance"); // relative; 0: exact
    // Drilling stops paying at a wet revenue of 420,000, soaking following it.
    QTest::newRow("oil wildcatter, linear") << QString() << 420000.0 << 0.0;
    // x^3 - x = 1 at the plastic number.
    QTest::newRow("curved") << "x^3 - x" << 1.324717957244746 << 1e-9;
    QTest::newRow("kinked") << "max(x, 0.5) * 2 - min(x, 0.25) - 0.3042" << 0.7771 << 0.0;
}

void TestSensitivity::variableBreakEvens()
{
    QFETCH(QString, formula);
    QFETCH(double, breakEven);
    QFETCH(double, tolerance);
    ExampleTrees::Example oil = ExampleTrees::OilVariables();
    CDecisionTree curved;
    if (!formula.isEmpty()) {
        curved.Variables().Add({"x", 0.0, "", false, 0, false, 0, ""});
        CNode *pDecision = CNode::CreateDecision(CNode::CreateRoot(nullptr, "R"), "D");
        curved.SetRoot(pDecision->parent);
        ExampleTrees::AddOption(pDecision, "A", 1, 0)->payoffFormula = formula.toStdString();
        ExampleTrees::AddOption(pDecision, "B", 1, 1);
    }
    const CDecisionTree &tree = formula.isEmpty() ? *oil.tree : curved;
    CVariableSensitivity analysis(tree);
    QVERIFY2(analysis.Run(formula.isEmpty() ? "revWet" : "x", 0, formula.isEmpty() ? 1e6 : 2, 7),
             qPrintable(analysis.Error()));
    QCOMPARE(analysis.BreakEvens().size(), size_t(1));
    const double dFound = analysis.BreakEvens().front().parameter;
    if (tolerance == 0)
        QCOMPARE(dFound, breakEven);
    else
        QVERIFY2(std::fabs(dFound - breakEven) <= tolerance * breakEven,
                 qPrintable(QString::number(dFound, 'g', 17)));
}

void TestSensitivity::agreesWithResolves()
{
    std::mt19937 random(13);
    for (int nTrial = 0; nTrial < 1000; ++nTrial) {
        CDecisionTree tree;
        tree.SetRoot(RandomTree(random));
        const CTreeIndex index(tree.GetRoot());
        // Half the trials under the other rules in turn, the default one
        // with a risk tolerance, where only the tornado applies.
        const bool bOther = nTrial % 4 > 1;
        CDecisionRule rule(CDecisionRule::Kind(bOther ? nTrial / 4 % 6 : 0));
        rule.SetRiskTolerance(bOther && rule.GetKind() == 0 ? 4.0 : 0.0);
        const CTreeEvaluation evaluation(index, rule);
        const Parameter parameter = nTrial % 2 ? Parameter::Probability : Parameter::Payoff;
        const bool bPayoff = parameter == Parameter::Payoff;
        std::vector<int> inputs;
        for (int n = 1; n < index.Size(); ++n)
            if (index.Type(n) == NodeType::Option &&
                (bPayoff || index.Type(index.Parent(n)) == NodeType::Situation))
                inputs.push_back(n);
        if (inputs.empty())
            continue;
        auto resolve = [&](int n, double dValue) {
            const Resolved resolved = Resolve(tree.GetRoot(), {{n, parameter, dValue}}, rule);
            return std::pair{resolved.value, resolved.chosen};
        };
        // Options near the top have more below them that can react.
        const int nOption = inputs[random() % std::min(inputs.size(), size_t(1 + nTrial % 6))];
        const double dLow = bPayoff ? index.Node(nOption)->payoff - random() % 80 : 0.0;
        const double dHigh = bPayoff ? index.Node(nOption)->payoff + 1 + random() % 80 : 1.0;
        CSensitivityAnalysis analysis(evaluation);
        // Refused, it leaves no steps or break-evens to check below.
        const bool bLines = !rule.HasRiskTolerance() && (bPayoff || rule.Expects());
        QCOMPARE(analysis.Run(nOption, parameter, dLow, dHigh, 16), bLines);

        // A wrong weight, radius or tie rule shows as a value or choice that
        // the editor's solver does not reach.
        for (const CSensitivityAnalysis::Step &step : analysis.Steps()) {
            const auto [dValue, chosen] = resolve(nOption, step.parameter);
            QVERIFY(qAbs(step.value - dValue) < 1e-9);
            for (int n = 0; n < index.Size() && bPayoff; ++n)
                if (index.Type(n) == NodeType::Decision)
                    QCOMPARE(analysis.ChosenAt(n, step.parameter), chosen[size_t(n)]);
        }
        const double dNear = 1e-6 * (dHigh - dLow);
        for (const CSensitivityAnalysis::BreakEven &found : analysis.BreakEvens()) {
            const size_t decision = size_t(found.decision);
            QVERIFY(qAbs(found.value - resolve(nOption, found.parameter).first) < 1e-9);
            QCOMPARE(resolve(nOption, found.parameter - dNear).second[decision], found.below);
            QCOMPARE(resolve(nOption, found.parameter + dNear).second[decision], found.above);
        }

        // Exactly the inputs that swing the Root are listed, at the solver's values.
        CTornado tornado(evaluation);
        QVERIFY(tornado.Run(50));
        // Widest first: the input that matters most leads.
        QVERIFY(std::is_sorted(tornado.Bars().begin(), tornado.Bars().end(),
                               [](const auto &a, const auto &b) { return a.Swing() > b.Swing(); }));
        long nSwinging = 0;
        for (int n : inputs) {
            const double dNow = bPayoff ? index.Node(n)->payoff : index.Node(n)->probability;
            // A probability stays within 0 and 1.
            const double dFloor = bPayoff ? -qInf() : 0.0, dCeiling = bPayoff ? qInf() : 1.0;
            const double dMove = qAbs(dNow) / 2;
            const double dValueLow = resolve(n, qBound(dFloor, dNow - dMove, dCeiling)).first;
            const double dValueHigh = resolve(n, qBound(dFloor, dNow + dMove, dCeiling)).first;
            const bool bSwings = qAbs(dValueHigh - dValueLow) > 1e-9;
            nSwinging += bSwings;
            for (const CTornado::Bar &bar : tornado.Bars())
                if (bar.option == n && bar.kind == parameter)
                    QVERIFY(bSwings && qAbs(bar.valueLow - dValueLow) < 1e-9 &&
                            qAbs(bar.valueHigh - dValueHigh) < 1e-9);
        }
        QCOMPARE(std::count_if(tornado.Bars().begin(), tornado.Bars().end(),
                               [&](const CTornado::Bar &bar) { return bar.kind == parameter; }),
                 nSwinging);

        // The spider's lines pass through the solver's values at every step.
        CSpiderAnalysis spider(evaluation);
        QVERIFY(spider.Run(50, 4));
        QVERIFY(std::is_sorted(spider.Lines().begin(), spider.Lines().end(),
                               [](const auto &a, const auto &b) { return a.Swing() > b.Swing(); }));
        for (const CSpiderAnalysis::Line &line : spider.Lines())
            for (const auto &[dChange, dValue] : line.points) {
                const double dNow = line.input.current;
                double dAt = dNow + qAbs(dNow) * dChange / 100;
                if (line.input.kind == Parameter::Probability)
                    dAt = qBound(0.0, dAt, 1.0);
                QVERIFY(line.input.kind != parameter ||
                        qAbs(dValue - resolve(line.input.option, dAt).first) < 1e-9);
            }
    }
}

void TestSensitivity::twoWayOil_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<Parameter>("xParameter");
    QTest::addColumn<double>("dryNow"); // the probability of "dry" after drilling now
    // Across the test's payoff t, up the sell payoff s. The test is worth
    // t + 0.6 * 1625 + 0.4 * 500 = t + 1175, drilling now 1000 (975 when dry
    // has 0.6): the test is chosen from t = max(s, 1000) - 1175 on, where
    // that lies in the range.
    QTest::newRow("test payoff by sell payoff") << 4 << Parameter::Payoff << 0.5;
    QTest::newRow("positive test by sell payoff") << 10 << Parameter::Probability << 0.5;
    QTest::newRow("drilling now does not add up") << 4 << Parameter::Payoff << 0.6;
}

void TestSensitivity::twoWayOil()
{
    QFETCH(int, x);
    QFETCH(Parameter, xParameter);
    QFETCH(double, dryNow);
    const ExampleTrees::Example oil = ExampleTrees::OilWithTest();
    oil.tree->GetRoot()->children[0]->children[1]->children[0]->children[1]->probability = dryNow;
    const bool bPayoff = xParameter == Parameter::Payoff;
    CTwoWayAnalysis analysis(*oil.tree);
    QVERIFY2(analysis.Run({x, "", xParameter, bPayoff ? -300.0 : 0.0, bPayoff ? 0.0 : 1.0},
                          {2, "", Parameter::Payoff, 500, 1500}, 10),
             qPrintable(analysis.Error()));
    QCOMPARE(analysis.Decision(), 1);
    QCOMPARE(analysis.Grid().size(), size_t(11 * 11));
    const auto resolve = [&](double dX, double dY) {
        return Resolve(oil.tree->GetRoot(), {{2, Parameter::Payoff, dY}, {x, xParameter, dX}},
                       CDecisionRule());
    };
    // Every point is a full rollback of a changed copy.
    for (const CTwoWayAnalysis::Point &point : analysis.Grid()) {
        const Resolved resolved = resolve(point.x, point.y);
        QVERIFY(qAbs(point.value - resolved.value) < 1e-9);
        QCOMPARE(point.chosen, resolved.chosen[1]);
        QCOMPARE(point.consistent, resolved.consistent);
    }
    // Each row's break-evens lie where the choice flips, and nowhere else.
    for (int j = 0; j <= analysis.Steps(); ++j) {
        const CTwoWayAnalysis::Row &row = analysis.Rows()[size_t(j)];
        const double dNear = 1e-6;
        for (const CSensitivityAnalysis::BreakEven &found : row.breakEvens) {
            QCOMPARE(resolve(found.parameter - dNear, row.y).chosen[size_t(found.decision)],
                     found.below);
            QCOMPARE(resolve(found.parameter + dNear, row.y).chosen[size_t(found.decision)],
                     found.above);
        }
        for (int i = 0; i < analysis.Steps(); ++i) {
            const CTwoWayAnalysis::Point &a = analysis.At(i, j);
            const CTwoWayAnalysis::Point &b = analysis.At(i + 1, j);
            const bool bBetween =
                std::any_of(row.breakEvens.begin(), row.breakEvens.end(), [&](const auto &found) {
                    return found.decision == 1 && found.parameter >= a.x && found.parameter < b.x;
                });
            QCOMPARE(a.chosen != b.chosen, bBetween);
        }
        if (bPayoff) {
            // Drilling now pays its -250 on both paths, whatever they add up to.
            const double dHand = std::max(row.y, 1250 - 250 * (0.5 + dryNow)) - 1175;
            QCOMPARE(row.breakEvens.size(), size_t(dHand <= 0));
            if (dHand <= 0)
                QCOMPARE(row.breakEvens.front().parameter, dHand);
        }
    }
}

// Tornado, spider and two-way moving variables that formulas carry through
// the tree: each value they give is that of the project with the variables set.
void TestSensitivity::variableDrivenAnalyses()
{
    const QString strPath = QStringLiteral(RAMIFY_EXAMPLES_DIR "/OilVariables.rmproj");
    CProjectDocument document;
    QVERIFY(document.Read(strPath).Succeeded());
    const auto valueWith = [&strPath](const std::vector<std::pair<std::string, double>> &set) {
        CProjectDocument copy;
        copy.Read(strPath);
        CVariables variables = copy.GetVariables();
        for (const auto &[strName, dValue] : set) {
            CVariables::Variable variable = variables.At(variables.Find(strName));
            variable.value = dValue;
            variable.formula.clear();
            variables.Set(variables.Find(strName), variable);
        }
        copy.SetVariables(variables);
        return copy.GetRoot()->children.front()->payoff;
    };
    const auto near = [](double dFound, double dExpected) {
        return qAbs(dFound - dExpected) <= 1e-9 * (1 + qAbs(dExpected));
    };
    const CTreeIndex index(document.GetRoot());
    const CTreeEvaluation evaluation(index, document.GetSettings().rule);
    CTornado tornado(evaluation);
    QVERIFY(tornado.Run(10, &document.GetTree()));
    int nVariables = 0;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        if (bar.option >= 0)
            continue;
        ++nVariables;
        QVERIFY(near(bar.valueLow, valueWith({{bar.variable, bar.low}})));
        QVERIFY(near(bar.valueHigh, valueWith({{bar.variable, bar.high}})));
    }
    QVERIFY(nVariables >= 2);
    CSpiderAnalysis spider(evaluation);
    QVERIFY(spider.Run(10, 4, &document.GetTree()));
    for (const CSpiderAnalysis::Line &line : spider.Lines())
        if (line.input.option < 0) {
            QVERIFY(near(line.points.front().second,
                         valueWith({{line.input.variable, line.input.low}})));
            QVERIFY(near(line.points.back().second,
                         valueWith({{line.input.variable, line.input.high}})));
        }
    // A variable across runs every row through the variable's own analysis.
    CTwoWayAnalysis twoWay(document.GetTree(), document.GetSettings().rule);
    QVERIFY2(twoWay.Run({-1, "revWet", Parameter::Payoff, 300000, 800000},
                        {-1, "cFair", Parameter::Payoff, 200000, 400000}, 4),
             qPrintable(twoWay.Error()));
    QCOMPARE(twoWay.Grid().size(), size_t(25));
    for (const CTwoWayAnalysis::Point &point : twoWay.Grid())
        QVERIFY(near(point.value, valueWith({{"revWet", point.x}, {"cFair", point.y}})));
}

void TestSensitivity::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // part of stdout on success, else of stderr
    // Oil after a positive test at 2750: install 1712.5, the test 1187.5.
    QTest::newRow("tornado") << QStringList{"--json", "--tornado", "10"} << 0
                             << "\"valueHigh\": 1187.5";
    QTest::newRow("ambiguous name")
        << QStringList{"--sensitivity", "oil:payoff=0..1"} << 2 << "#9, #25, #27";
    QTest::newRow("probability under a Decision")
        << QStringList{"--sensitivity", "#3:probability=0..1"} << 2 << "(#3)";
}

void TestSensitivity::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QProcess process;
    process.start(RAMIFY_SOLVE_PATH, arguments << RAMIFY_EXAMPLES_DIR "/OilWithTest.rmproj");
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(QString::fromUtf8(exitCode ? process.readAllStandardError()
                                       : process.readAllStandardOutput())
                .contains(output));
}

// The line colours of a sensitivity chart, by option name.
QMap<QString, QColor> LineColours(const CAnalysisPanel *pPanel)
{
    QMap<QString, QColor> colours;
    for (QtCharts::QAbstractSeries *pSeries : pPanel->ChartView()->chart()->series())
        if (auto *pLine = qobject_cast<QtCharts::QLineSeries *>(pSeries))
            colours.insert(pLine->name(), pLine->pen().color());
    return colours;
}

void TestSensitivity::panelsFollowTheirProject()
{
    CRamify main;
    main.show();
    auto trigger = [&](const char *pAction) {
        // The actions work on the project of the active window.
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.findChild<QAction *>(pAction)->trigger();
    };
    GuiTest::AnswerFileDialog(RAMIFY_EXAMPLES_DIR "/OilWithTest.rmproj");
    trigger("actionOpenProject");
    auto *pWindow = main.findChild<CDecisionTreeWindow *>();
    QVERIFY(pWindow);
    CNode *pChoice = pWindow->GetTree().GetRoot()->children[0];
    // An option keeps its colour from one chart to the next, also where it
    // comes second in one ("drill now", "test") and first in the other
    // ("test", "sell").
    pWindow->OnItemContextMenu(pWindow->GetItem(pChoice->children[2]),
                               ContextAction::ActionSensitivity);
    auto *pPanel = main.findChild<CSensitivityPanel *>();
    QVERIFY(pPanel);
    auto *pLow = pPanel->findChild<QLineEdit *>("lineEditLow");
    QTRY_VERIFY(!pLow->text().isEmpty());
    pLow->setText("-5000");
    emit pLow->editingFinished();
    QTRY_VERIFY(LineColours(pPanel).contains("drill now"));
    const QColor test = LineColours(pPanel).value("test");
    pWindow->OnItemContextMenu(pWindow->GetItem(pChoice->children[0]),
                               ContextAction::ActionSensitivity);
    QTRY_COMPARE(pPanel->BreakEvens(), QVector<double>{1075});
    QCOMPARE(LineColours(pPanel).value("test"), test);
    trigger("actionTornado");
    QVERIFY(main.findChild<CTornadoPanel *>());
    // The spider waits in a tab beside the tornado.
    auto *pSpider = main.findChild<CSpiderPanel *>();
    QTRY_COMPARE(pSpider ? pSpider->ShownCount() : 0, CSpiderPanel::MaxLines);
    // The two-way map over the test's payoff and the sell payoff.
    trigger("actionTwoWay");
    auto *pTwoWay = main.findChild<CTwoWayPanel *>();
    QVERIFY(pTwoWay);
    QTRY_VERIFY(pTwoWay->ShownCount() > 0);
    pTwoWay->ChooseInputs(2, 0);
    // Copied, its table is headed as the window names things; saved, it is
    // the one ramify-solve prints as CSV, inputs named as its command line
    // takes them.
    QTRY_VERIFY(pTwoWay->TableText().startsWith("payoff of \"test\"") &&
                pTwoWay->TableText().contains("\tpayoff of \"sell\"") &&
                pTwoWay->TableText().contains("\tValue of the tree\tChosen\t"));
    QTemporaryDir dir;
    const QString strCsv = dir.filePath("twoway.csv");
    QString strError;
    QVERIFY(pTwoWay->SaveTable(strCsv, &strError));
    QFile csv(strCsv);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(csv.readLine().startsWith("test:payoff,sell:payoff,value,chosen,consistent"));
    for (auto [pName, pText] : {std::pair{"lineEditLowX", "-300"},
                                {"lineEditHighX", "0"},
                                {"lineEditLowY", "500"},
                                {"lineEditHighY", "1500"}}) {
        auto *pEdit = pTwoWay->findChild<QLineEdit *>(pName);
        pEdit->setText(pText);
        emit pEdit->editingFinished();
    }
    QTRY_VERIFY(pTwoWay->TableText().contains("\n-300\t500\t1000\tdrill now\ttrue\n"));
    const QRectF plot = pTwoWay->ChartView()->chart()->plotArea();
    QCOMPARE(pTwoWay->TextAt(plot.bottomLeft() + QPointF(1, -1)).section('\n', 3),
             "\"Drill?\" chooses \"drill now\"");
    // Each row of the map changes where its own row of the grid does: the
    // test wins from t = max(s, 1000) - 1175 on, below 0 only for s < 1175.
    const auto changes = pTwoWay->MapChanges();
    QVERIFY(changes.size() > 2);
    for (const auto &[dSell, along] : changes) {
        const double dTest = std::max(dSell, 1000.0) - 1175;
        QCOMPARE(along.size(), size_t(dTest <= 0));
        if (!along.empty())
            QVERIFY(qAbs(along.front() - dTest) < 1e-9);
    }
    // Its value axis words numbers in the project's format, as the canvas does.
    CProjectSettings settings;
    settings.numbers = {true, 2, QStringLiteral("$"), QString()};
    pWindow->GetDocument().SetSettings(settings);
    // The panel draws its chart anew, axes included.
    const auto axisText = [pPanel](double dValue) {
        auto *pAxis = qobject_cast<QtCharts::QValueAxis *>(
            pPanel->ChartView()->chart()->axes(Qt::Vertical).value(0));
        return pAxis ? QString::asprintf(pAxis->labelFormat().toLatin1(), dValue) : QString();
    };
    QTRY_COMPARE(axisText(1234567.0), NumberToText(1234567.0, settings.numbers));
    pWindow->GetDocument().SetSettings(CProjectSettings());
    // A saved chart says what it shows and what was found.
    QVERIFY(pPanel->SaveChart(dir.filePath("chart.svg"), &strError));
    QFile svg(dir.filePath("chart.svg"));
    const QString strSvg = svg.open(QIODevice::ReadOnly) ? QString::fromUtf8(svg.readAll()) : "";
    QVERIFY(pPanel->Heading().startsWith("Oil wildcatter with a test: ") &&
            strSvg.contains(" >Oil wildcatter with a test: ") && strSvg.contains(">At 1075: "));
    // A range end shows whole, sign and all.
    QVERIFY(pLow->fontMetrics().horizontalAdvance("-1.234567891e-100") < pLow->width());

    // A test for 200 is worth 975: selling then wins over drilling now from 1000 on.
    pWindow->ApplyNodeValues(pChoice->children[2], "test", 1, -200);
    QTRY_COMPARE(pPanel->BreakEvens(), QVector<double>{1000});
    // The map follows: the grid moves the test's payoff anyway, the tree's point moves.
    QTRY_VERIFY(pTwoWay->ChartView()->chart()->series().back()->name() == "Now: -200, 750");
    // An end of the range that does not read goes back to the one drawn.
    const QString strLow = pLow->text();
    pLow->setText(QStringLiteral("$500"));
    emit pLow->editingFinished();
    QCOMPARE(pLow->text(), strLow);
    QCOMPARE(pPanel->BreakEvens(), QVector<double>{1000});
    QVERIFY(!pWindow->isWindowModified() && pWindow->GetUndoStack()->count() == 0);
    // Beside another project the panels step aside, and come back with theirs.
    GuiTest::AnswerFileDialog(RAMIFY_EXAMPLES_DIR "/Party.rmproj");
    trigger("actionOpenProject");
    QTRY_VERIFY(pPanel->parentWidget()->isHidden());
    auto *pArea = main.findChild<QMdiArea *>();
    pArea->setActiveSubWindow(pArea->subWindowList().front());
    QTRY_VERIFY(!pPanel->parentWidget()->isHidden());
    // The panels go with the project (under the sanitizers, without touching its tree).
    trigger("actionCloseProject");
    QTRY_VERIFY(!main.findChild<CAnalysisPanel *>());
}

void TestSensitivity::variablesPanel()
{
    CRamify main;
    main.show();
    QApplication::setActiveWindow(&main);
    QVERIFY(QTest::qWaitForWindowActive(&main));
    GuiTest::AnswerFileDialog(RAMIFY_EXAMPLES_DIR "/OilVariables.rmproj");
    main.findChild<QAction *>("actionOpenProject")->trigger();
    auto *pWindow = main.findChild<CDecisionTreeWindow *>();
    QVERIFY(pWindow);
    QApplication::setActiveWindow(&main);
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.findChild<QAction *>("actionVariables")->trigger();
    auto *pPanel = main.findChild<CVariablesPanel *>();
    QVERIFY(pPanel);
    auto *pTable = pPanel->findChild<QTableWidget *>();
    const CNode *pDrill = pWindow->GetTree().GetRoot()->children[0];
    const CNode *pWet = pDrill->children[0]->children[0]->children[0]->children[0]->children[1];
    const auto edit = [&](int nRow, int nColumn, const char *pText) {
        pTable->item(nRow, nColumn)->setText(QString::fromUtf8(pText));
        return pPanel->Problem();
    };
    QCOMPARE(pTable->item(0, CVariablesPanel::ColumnUses)->text(),
             QStringLiteral("3 options, 1 variable"));
    // A value typed is tried on the tree and the canvas at once; Escape takes
    // it back, Enter makes it one step.
    QUndoStack *pStack = pWindow->GetUndoStack();
    const CQEditableGraphicsTextItem *pWetText = GuiTest::PayoffText(pWindow->GetItem(pWet));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        pTable->editItem(pTable->item(0, CVariablesPanel::ColumnValue));
        auto *pEditor = pTable->viewport()->findChild<QLineEdit *>();
        QVERIFY(pEditor);
        pEditor->selectAll();
        QTest::keyClicks(pEditor, "500000");
        QCOMPARE(pDrill->payoff, 40000.0);
        QCOMPARE(pWetText->toPlainText(), QStringLiteral("500000"));
        QCOMPARE(pStack->count(), 0);
        QTest::keyClick(pEditor, key);
        QTRY_COMPARE(pStack->count(), key == Qt::Key_Escape ? 0 : 1);
        QTRY_COMPARE(pDrill->payoff, key == Qt::Key_Escape ? 140000.0 : 40000.0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    pStack->undo();
    QCOMPARE(pWetText->toPlainText(), QStringLiteral("700000"));
    // The comment takes the room the other columns leave, after edits too.
    QTRY_COMPARE(pTable->horizontalHeader()->length(), pTable->viewport()->width());
    // Its sensitivity: soaking follows wet, and drilling stops paying at 420,000.
    pTable->setCurrentCell(0, 0);
    pPanel->findChild<QPushButton *>("pushButtonVariableSensitivity")->click();
    auto *pSensitivity = main.findChild<CVariableSensitivityPanel *>();
    QVERIFY(pSensitivity);
    QTRY_COMPARE(pSensitivity->BreakEvens().size(), 1);
    QCOMPARE(pSensitivity->BreakEvens().front(), 420000.0);
    pStack->redo();
    // Soaking follows wet; every use is recomputed and rolled back at once.
    QVERIFY(edit(0, CVariablesPanel::ColumnValue, "500000").isEmpty());
    QCOMPARE(pDrill->payoff, 40000.0);
    // Refused, each with its reason, and the project keeps what it had.
    QVERIFY(edit(1, CVariablesPanel::ColumnValue, "revWet +").contains("cannot be read"));
    QVERIFY(edit(0, CVariablesPanel::ColumnValue, "revSoak").contains("depends on itself"));
    QVERIFY(edit(0, CVariablesPanel::ColumnName, "cLow").contains("already"));
    pTable->setCurrentCell(0, 0);
    pPanel->DeleteVariable();
    QVERIFY(pPanel->Problem().contains("variable revSoak"));
    QCOMPARE(pStack->count(), 1);
    // A rename follows into every formula; undo takes back one step at a time.
    QVERIFY(edit(0, CVariablesPanel::ColumnName, "wet").isEmpty());
    QCOMPARE(pWet->payoffFormula, std::string("wet"));
    QCOMPARE(pWindow->GetUndoStack()->undoText(), QStringLiteral("Rename Variable revWet"));
    pWindow->GetUndoStack()->undo();
    pWindow->GetUndoStack()->undo();
    QCOMPARE(pWet->payoffFormula, std::string("revWet"));
    QCOMPARE(pDrill->payoff, 140000.0);
    // A number typed over a formula replaces it until undone.
    CNodeGrapicsItem *pItem = pWindow->GetItem(const_cast<CNode *>(pWet));
    pItem->SetPayoff(1e6);
    emit pItem->sig_focusOut("Wet", 0.3, 700000);
    QVERIFY(pWet->payoffFormula.empty() && pWet->payoff == 1e6);
    pWindow->GetUndoStack()->undo();
    QCOMPARE(pWet->payoffFormula + "=" + std::to_string(pWet->payoff),
             std::string("revWet=700000.000000"));
}

RAMIFY_GUI_TEST_MAIN(TestSensitivity)
#include "tst_sensitivity.moc"
