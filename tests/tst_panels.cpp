// Every analysis panel on every example and on random projects with
// variables, formulas, folds and a number format: opened, edited, closed,
// each table checked against the analyses ramify-solve runs; then what the
// variables panel and the sensitivity of a variable tell.
#include "CCsvTable.h"
#include "CDecisionTree.h"
#include "CLeagueTable.h"
#include "CLeagueTablePanel.h"
#include "CNode.h"
#include "CProbabilisticSensitivityPanel.h"
#include "CProjectFile.h"
#include "CPsaChart.h"
#include "CRamify.h"
#include "CRiskProfile.h"
#include "CRiskProfilePanel.h"
#include "CSensitivityPanel.h"
#include "CSpiderAnalysis.h"
#include "CSpiderPanel.h"
#include "CTornado.h"
#include "CTornadoPanel.h"
#include "CTreeEvaluation.h"
#include "CTreeFormulas.h"
#include "CTreeIndex.h"
#include "CTwoWayAnalysis.h"
#include "CTwoWayPanel.h"
#include "CTypedNumber.h"
#include "CValueOfInformation.h"
#include "CValueOfInformationPanel.h"
#include "CVariableSensitivity.h"
#include "CVariableSensitivityPanel.h"
#include "CVariablesPanel.h"
#include "ContextAction.h"
#include "ExampleTrees.h"
#include "GuiTest.h"
#include "NumberPrecision.h"

#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QSet>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolTip>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <tuple>
#include <variant>

using Parameter = CSensitivityAnalysis::Parameter;

namespace {

// A cell as the library gives it: a number, or a text such as a name.
using Cell = std::variant<double, QString>;
using Table = std::vector<std::vector<Cell>>;

// Why a panel's tab-separated table (header left out) does not hold the
// library's rows: every number must read back, as a plain number, to the
// same double, whatever the project's number format shows on screen.
QString TableFault(const QString &strPanel, const Table &expected)
{
    QStringList lines = strPanel.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return QStringLiteral("no table");
    lines.removeFirst();
    if (lines.size() != int(expected.size()))
        return QStringLiteral("%1 rows, the library has %2").arg(lines.size()).arg(expected.size());
    for (int r = 0; r < lines.size(); ++r) {
        const QStringList cells = lines[r].split(QLatin1Char('\t'));
        const std::vector<Cell> &row = expected[size_t(r)];
        if (cells.size() < int(row.size()))
            return QStringLiteral("row %1 is short: %2").arg(r).arg(lines[r]);
        for (size_t c = 0; c < row.size(); ++c) {
            const QString &strCell = cells[int(c)];
            if (const auto *pText = std::get_if<QString>(&row[c])) {
                if (strCell != *pText)
                    return QStringLiteral("row %1: \"%2\", not \"%3\"").arg(r).arg(strCell, *pText);
                continue;
            }
            bool bNumber = false;
            const double dCell = strCell.toDouble(&bNumber);
            const double dExpected = std::get<double>(row[c]);
            // What is not a number is an empty cell.
            if (std::isnan(dExpected) ? !strCell.isEmpty() : !bNumber || dCell != dExpected)
                return QStringLiteral("row %1: \"%2\" where the library has %3")
                    .arg(r)
                    .arg(strCell, PlainNumber(dExpected));
        }
    }
    return QString();
}

// A range field as the panel reads it.
double Field(const QWidget *pPanel, const char *pName, CTypedNumber::Kind kind)
{
    return CTypedNumber::Read(pPanel->findChild<QLineEdit *>(pName)->text(), kind).ValueOr(qQNaN());
}

Table Steps(const std::vector<CSensitivityAnalysis::Step> &steps)
{
    Table table;
    for (const CSensitivityAnalysis::Step &step : steps)
        table.push_back({step.parameter, step.value});
    return table;
}

// What each panel shows, computed as ramify-solve computes it; a panel the
// library refuses shows no table.
Table Tornado(const CDecisionTree &tree, const CTreeEvaluation &evaluation)
{
    CTornado tornado(evaluation);
    Table table;
    if (!tornado.Run(10, &tree) || !std::isfinite(tornado.CurrentValue()))
        return table;
    for (const CTornado::Bar &bar : tornado.Bars()) {
        const bool bVariable = CTornado::IsVariable(bar);
        const bool bWeight = bar.kind == Parameter::Weight;
        table.push_back({bVariable ? QString::fromStdString(bar.variable)
                         : bWeight ? QStringLiteral("w")
                                   : CAnalysisTable::NodeLabel(evaluation.Index(), bar.option),
                         QString(bVariable                             ? "variable"
                                 : bWeight                             ? "weight"
                                 : bar.kind == Parameter::Payoff       ? "payoff"
                                 : bar.kind == Parameter::SecondPayoff ? "payoff2"
                                                                       : "probability"),
                         bar.current, bar.low, bar.high, bar.valueLow, bar.valueHigh, bar.Swing()});
    }
    return table;
}

Table Spider(const CDecisionTree &tree, const CTreeEvaluation &evaluation)
{
    CSpiderAnalysis spider(evaluation);
    Table table;
    if (!spider.Run(10, CSpiderPanel::Steps, &tree))
        return table;
    for (const CSpiderAnalysis::Line &line : spider.Lines())
        for (const auto &[dChange, dValue] : line.points)
            table.push_back({CTornado::ShortName(evaluation.Index(), line.input.option,
                                                 line.input.kind, line.input.variable),
                             dChange, dValue});
    return table;
}

Table RiskProfile(const CTreeEvaluation &evaluation)
{
    CRiskProfile profile(evaluation);
    Table table;
    if (!profile.Run())
        return table;
    for (const CRiskProfile::Profile &option : profile.Profiles())
        table.push_back(
            {QStringLiteral("%1 (#%2)").arg(option.name).arg(CTreeIndex::IdOf(option.option)),
             option.chosen ? QStringLiteral("yes") : QStringLiteral("no"), option.mean,
             option.standardDeviation, option.minimum, option.maximum, option.probabilityOfLoss});
    return table;
}

// The panel's first run: the defaults it shows, on as many threads as
// there are; the library must give the same bits on any number.
Table Psa(const CDecisionTree &tree, const CDecisionRule &rule)
{
    CProbabilisticSensitivity psa;
    Table table;
    if (!psa.Prepare(tree, rule).isEmpty() || !psa.Run({1000, 1, false, 0.0, 1, false}))
        return table;
    for (const QStringList &cells : psa.Table().rows) {
        table.push_back({cells.front()});
        for (int c = 1; c < cells.size(); ++c)
            table.back().push_back(cells.at(c).isEmpty() ? qQNaN() : cells.at(c).toDouble());
    }
    return table;
}

Table Information(const CTreeEvaluation &evaluation)
{
    CValueOfInformation information(evaluation);
    Table table;
    if (!information.Run())
        return table;
    for (const CValueOfInformation::Uncertainty &uncertainty : information.Uncertainties()) {
        QStringList ids;
        for (int n : uncertainty.situations)
            ids << QStringLiteral("#%1").arg(CTreeIndex::IdOf(n));
        table.push_back(
            {uncertainty.name.isEmpty()
                 ? QStringLiteral("(no name) #%1").arg(CTreeIndex::IdOf(uncertainty.situations[0]))
                 : uncertainty.name + CValueOfInformation::ReadingNote(uncertainty),
             ids.join(QStringLiteral(", ")), uncertainty.valueWithInformation, uncertainty.evpi});
    }
    if (information.HasAll())
        table.push_back({QStringLiteral("Everything"), QString(),
                         information.AllValueWithInformation(), information.AllEvpi()});
    return table;
}

// The two inputs a two-way table's header names, among every input there is.
bool TwoWayInputs(const QString &strHeader, const CDecisionTree &tree, const CTreeIndex &index,
                  CTwoWayAnalysis::Input *pX, CTwoWayAnalysis::Input *pY)
{
    std::vector<CTwoWayAnalysis::Input> inputs;
    for (int n = 0; n < index.Size(); ++n)
        if (index.Type(n) == NodeType::Option) {
            inputs.push_back({n, "", Parameter::Payoff, 0, 0});
            inputs.push_back({n, "", Parameter::SecondPayoff, 0, 0});
            inputs.push_back({n, "", Parameter::Probability, 0, 0});
        }
    inputs.push_back({-1, "", Parameter::Weight, 0, 0});
    for (int n = 0; n < tree.Variables().Count(); ++n)
        inputs.push_back({-1, tree.Variables().At(n).name, Parameter::Payoff, 0, 0});
    const QStringList names = strHeader.section(QLatin1Char('\n'), 0, 0).split(QLatin1Char('\t'));
    int nFound = 0;
    for (const CTwoWayAnalysis::Input &input : inputs)
        for (int k = 0; k < 2; ++k)
            if (names.value(k) ==
                CTornado::Describe(index, input.option, input.kind, input.variable)) {
                (k == 0 ? *pX : *pY) = input;
                ++nFound;
            }
    return nFound == 2;
}

// A random project: variables, one a formula of others; payoffs given by
// formulas of them, Situations sharing out a rest by "#", some folds, and
// now and then a Situation whose probabilities do not add up.
CDecisionTree *RandomProject(std::mt19937 &random)
{
    auto *pTree = new CDecisionTree;
    CVariables &variables = pTree->Variables();
    variables.Add({"price", double(10 + random() % 90), "", true, 5.0, true, 150.0, ""});
    variables.Add({"cost", double(random() % 40), "", false, 0, false, 0, ""});
    variables.Add({"margin", 0.0, "price - cost", false, 0, false, 0, ""});
    variables.Add({"pHit", 0.25 * (1 + random() % 3), "", false, 0, false, 0, ""});
    static const char *const payoffs[] = {"", "", "margin", "-cost", "price * 2 - margin", ""};
    CNode *pRoot = CNode::CreateRoot(nullptr, "Random");
    pTree->SetRoot(pRoot);
    std::vector<std::pair<CNode *, unsigned>> ends{{pRoot, 0}};
    int nNames = 0;
    while (!ends.empty()) {
        const auto [pEnd, nDepth] = ends.back();
        ends.pop_back();
        const unsigned nRoll = nDepth == 0 ? 5 : nDepth < 4 ? random() % 10 : 0;
        if (nRoll < 3) {
            CNode::CreateTerminal(pEnd, "");
            continue;
        }
        const bool bSituation = nRoll >= 7;
        const std::string strName = (bSituation ? "S" : "D") + std::to_string(nNames++);
        CNode *pOwner = bSituation ? CNode::CreateSituation(pEnd, strName)
                                   : CNode::CreateDecision(pEnd, strName);
        const unsigned nCount = 2 + random() % 2;
        for (unsigned i = 0; i < nCount; ++i) {
            CNode *pOption = CNode::CreateOption(pOwner, "o" + std::to_string(nNames++));
            pOption->payoff = int(random() % 200) - 60;
            pOption->payoffFormula = payoffs[random() % 6];
            pOption->probability = bSituation ? 1.0 / nCount : 1.0;
            if (bSituation && i == 0 && random() % 2)
                pOption->probabilityFormula = "pHit";
            else if (bSituation && i + 1 == nCount && random() % 8)
                pOption->probabilityFormula = "#";
            ends.emplace_back(pOption, nDepth + 1);
        }
        pOwner->folded = nDepth > 1 && random() % 5 == 0;
    }
    pTree->ApplyFormulas();
    return pTree;
}

template <typename Panel> Panel *Find(CRamify &main)
{
    return main.findChild<Panel *>();
}

// Why a panel's table differs from the library's; a panel the library
// refuses must show no table, and the panel's chart a note instead.
QString Fault(const char *pPanel, const QString &strText, const Table &expected)
{
    if (expected.empty())
        return strText.section('\n', 1).trimmed().isEmpty()
                   ? QString()
                   : QStringLiteral("%1 shows rows the library refuses").arg(pPanel);
    const QString strFault = TableFault(strText, expected);
    return strFault.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(pPanel, strFault);
}

// Every panel's table against the library, pOption being the option of the
// sensitivity panel.
QString TablesFault(CRamify &main, CDecisionTreeWindow &window, const CNode *pOption)
{
    const CDecisionTree &tree = window.GetTree();
    const CCriteria &criteria = window.GetDocument().GetSettings().criteria;
    CLeagueTable league(criteria);
    const bool bLeague = league.Run(tree).isEmpty();
    // Rows under the heading, if any.
    const auto rows = [](const CAnalysisPanel *pPanel) {
        return pPanel->TableText().trimmed().count(QLatin1Char('\n'));
    };
    const auto *pLeague = Find<CLeagueTablePanel>(main);
    if (bLeague ? pLeague->TableText() != league.Table().TabSeparated() : rows(pLeague) > 0)
        return QStringLiteral("The league table shows another table.");
    // The others follow the combined value of two criteria, unless the
    // weight is infinite; then they refuse.
    if (!criteria.AnalysisProblem().isEmpty()) {
        for (const CAnalysisPanel *pPanel : main.findChildren<CAnalysisPanel *>())
            if (!qobject_cast<const CLeagueTablePanel *>(pPanel) &&
                !qobject_cast<const CProbabilisticSensitivityPanel *>(pPanel) && rows(pPanel) > 0)
                return QStringLiteral("%1 answers at an infinite weight.")
                    .arg(pPanel->metaObject()->className());
        return QString();
    }
    if (criteria.two &&
        (rows(Find<CTornadoPanel>(main)) == 0 || rows(Find<CSensitivityPanel>(main)) == 0))
        return QStringLiteral("The tornado or the one-way analysis shows nothing for two "
                              "criteria.");
    const CDecisionRule rule = window.GetDocument().GetSettings().AnalysisRule();
    const CTreeIndex index(tree.GetRoot());
    const CTreeEvaluation evaluation(index, rule);
    QStringList faults;
    faults << Fault("tornado", Find<CTornadoPanel>(main)->TableText(), Tornado(tree, evaluation))
           << Fault("spider", Find<CSpiderPanel>(main)->TableText(), Spider(tree, evaluation))
           << Fault("risk profile", Find<CRiskProfilePanel>(main)->TableText(),
                    RiskProfile(evaluation))
           << Fault("value of information", Find<CValueOfInformationPanel>(main)->TableText(),
                    Information(evaluation));
    // After an edit it shows the run before, marked as such, until run again.
    const auto *pPsa = Find<CProbabilisticSensitivityPanel>(main);
    if (!pPsa->IsStale())
        faults << Fault("probabilistic sensitivity", pPsa->TableText(), Psa(tree, rule));

    const auto *pSensitivity = Find<CSensitivityPanel>(main);
    const bool bPayoff = pSensitivity->findChild<QComboBox *>()->currentIndex() == 0;
    const auto kind = bPayoff ? CTypedNumber::Kind::Amount : CTypedNumber::Kind::Probability;
    CSensitivityAnalysis analysis(evaluation);
    faults << Fault("sensitivity", pSensitivity->TableText(),
                    analysis.Run(index.IndexOf(pOption),
                                 bPayoff ? Parameter::Payoff : Parameter::Probability,
                                 Field(pSensitivity, "lineEditLow", kind),
                                 Field(pSensitivity, "lineEditHigh", kind))
                        ? Steps(analysis.Steps())
                        : Table());

    if (const auto *pVariable = Find<CVariableSensitivityPanel>(main)) {
        CVariableSensitivity moved(tree, rule);
        faults << Fault("variable sensitivity", pVariable->TableText(),
                        moved.Run(pVariable->Variable(),
                                  Field(pVariable, "lineEditLow", CTypedNumber::Kind::Amount),
                                  Field(pVariable, "lineEditHigh", CTypedNumber::Kind::Amount))
                            ? Steps(moved.Steps())
                            : Table());
    }

    const auto *pTwoWay = Find<CTwoWayPanel>(main);
    CTwoWayAnalysis::Input x;
    CTwoWayAnalysis::Input y;
    if (TwoWayInputs(pTwoWay->TableText(), tree, index, &x, &y)) {
        const auto read = [&](CTwoWayAnalysis::Input *pInput, const char *pLow, const char *pHigh) {
            const auto inputKind = pInput->option >= 0 && pInput->kind == Parameter::Probability
                                       ? CTypedNumber::Kind::Probability
                                       : CTypedNumber::Kind::Amount;
            pInput->low = Field(pTwoWay, pLow, inputKind);
            pInput->high = Field(pTwoWay, pHigh, inputKind);
        };
        read(&x, "lineEditLowX", "lineEditHighX");
        read(&y, "lineEditLowY", "lineEditHighY");
        CTwoWayAnalysis twoWay(tree, rule);
        Table grid;
        if (twoWay.Run(x, y))
            for (const CTwoWayAnalysis::Point &point : twoWay.Grid())
                grid.push_back({point.x, point.y, point.value});
        faults << Fault("two-way", pTwoWay->TableText(), grid);
    } else {
        faults << Fault("two-way", pTwoWay->TableText(), Table());
    }

    // The variables, each with the options and variables that use it.
    const auto *pVariables = Find<CVariablesPanel>(main);
    const auto *pTable = pVariables->findChild<QTableWidget *>();
    const CVariables &variables = tree.Variables();
    const std::unordered_map<std::string, int> uses = CTreeFormulas::UseCounts(tree.GetRoot());
    if (pTable->rowCount() != variables.Count())
        faults << QStringLiteral("the variables panel has %1 rows").arg(pTable->rowCount());
    for (int n = 0; n < variables.Count() && n < pTable->rowCount(); ++n) {
        const auto found = uses.find(variables.At(n).name);
        const int nUses = found == uses.end() ? 0 : found->second;
        const QString strUses = pTable->item(n, CVariablesPanel::ColumnUses)->text();
        if (pTable->item(n, CVariablesPanel::ColumnName)->text().toStdString() !=
                variables.At(n).name ||
            strUses.section(' ', 0, 0).toInt() != nUses)
            faults << QStringLiteral("variable %1 is shown used by %2, not %3")
                          .arg(QString::fromStdString(variables.At(n).name), strUses)
                          .arg(nUses);
    }
    faults.removeAll(QString());
    return faults.join(QStringLiteral("; "));
}

// Waits until every panel has computed since the spies were cleared.
bool AllRefreshed(std::vector<std::unique_ptr<QSignalSpy>> &spies)
{
    return QTest::qWaitFor([&spies] {
        return std::all_of(spies.begin(), spies.end(),
                           [](const auto &pSpy) { return !pSpy->isEmpty(); });
    });
}

} // namespace

class TestPanels : public QObject
{
    Q_OBJECT

private slots:
    void everyPanel_data();
    void everyPanel();
    void variablesPanelTellsTheTruth();
    void variableSensitivityTellsWhatItPlots();
    void manyUncertaintiesAndLongNames();
    void psaGoesStaleAndCancels();
    void psaOfTwoCriteria();
};

namespace {

// The main window with a project open, its window in front.
CDecisionTreeWindow *Open(CRamify &main, const QString &strPath)
{
    main.resize(1300, 900);
    main.show();
    QApplication::setActiveWindow(&main);
    if (!QTest::qWaitForWindowActive(&main))
        return nullptr;
    main.OpenProject(strPath);
    QApplication::setActiveWindow(&main);
    return main.findChild<CDecisionTreeWindow *>();
}

CNode *Named(CDecisionTreeWindow *pWindow, const std::string &strName)
{
    for (CNode *pNode : GuiTest::Attached(pWindow->GetTree().GetRoot()))
        if (pNode->name == strName)
            return pNode;
    return nullptr;
}

QString Note(const CAnalysisPanel *pPanel)
{
    return pPanel->findChild<QLabel *>(QStringLiteral("labelNote"))->text();
}

// A project file of the tree, written to dir.
QString Saved(const QTemporaryDir &dir, const CDecisionTree &tree)
{
    const QString strPath = dir.filePath(QStringLiteral("project.rmproj"));
    return CProjectFile::Write(strPath, tree, QStringLiteral("Made"), CProjectSettings(), nullptr)
               ? strPath
               : QString();
}

} // namespace

void TestPanels::everyPanel_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("seed"); // of a random project, for no file
    for (const QString &strFile :
         QDir(RAMIFY_EXAMPLES_DIR).entryList({"*.rmproj", "*.json"}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(strFile))
            << QStringLiteral(RAMIFY_EXAMPLES_DIR "/") + strFile << 0;
    for (int nSeed = 1; nSeed <= 12; ++nSeed)
        QTest::newRow(qPrintable(QStringLiteral("random %1").arg(nSeed))) << QString() << nSeed;
}

void TestPanels::everyPanel()
{
    QFETCH(QString, file);
    QFETCH(int, seed);
    QTemporaryDir dir;
    if (file.isEmpty()) {
        std::mt19937 random{quint32(seed)};
        std::unique_ptr<CDecisionTree> pTree(RandomProject(random));
        file = dir.filePath(QStringLiteral("random.rmproj"));
        QVERIFY(CProjectFile::Write(file, *pTree, QStringLiteral("Random"), CProjectSettings(),
                                    nullptr));
    }
    CRamify main;
    main.resize(1300, 900);
    main.show();
    QApplication::setActiveWindow(&main);
    QVERIFY(QTest::qWaitForWindowActive(&main));
    // Another tool's file says what it made of it.
    GuiTest::AnswerModal<QMessageBox>([](QMessageBox *pBox) { pBox->accept(); });
    main.OpenProject(file);
    QApplication::setActiveWindow(&main);
    // The actions work on the window in front.
    CDecisionTreeWindow *pWindow = CRamify::GetActiveTreeWindow();
    QVERIFY(pWindow);
    // Every number in the tables is plain, whatever the canvas shows.
    CProjectSettings settings = pWindow->GetDocument().GetSettings();
    settings.numbers = {true, 2, QStringLiteral("$"), QStringLiteral(" net")};
    pWindow->GetDocument().SetSettings(settings);

    // The first option with an item opens the sensitivity panel.
    CNode *pOption = nullptr;
    for (CNode *pNode : GuiTest::Attached(pWindow->GetTree().GetRoot()))
        if (!pOption && pNode->type == NodeType::Option && pWindow->GetItem(pNode))
            pOption = pNode;
    QVERIFY(pOption);
    pWindow->OnItemContextMenu(pWindow->GetItem(pOption), ContextAction::ActionSensitivity);
    for (const char *pAction :
         {"actionTornado", "actionTwoWay", "actionValueOfInformation", "actionRiskProfile",
          "actionProbabilisticSensitivity", "actionLeagueTable", "actionVariables"}) {
        QApplication::setActiveWindow(&main);
        main.findChild<QAction *>(pAction)->trigger();
    }
    auto *pVariables = Find<CVariablesPanel>(main);
    QVERIFY(pVariables);
    if (!pWindow->GetTree().Variables().IsEmpty()) {
        pVariables->findChild<QTableWidget *>()->setCurrentCell(0, 0);
        pVariables->findChild<QPushButton *>("pushButtonVariableSensitivity")->click();
    }
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    const QList<CAnalysisPanel *> panels = main.findChildren<CAnalysisPanel *>();
    QCOMPARE(panels.size(), pWindow->GetTree().Variables().IsEmpty() ? 8 : 9);
    for (CAnalysisPanel *pPanel : panels)
        spies.push_back(std::make_unique<QSignalSpy>(pPanel, &CAnalysisPanel::sig_refreshed));
    QVERIFY(AllRefreshed(spies));
    QTRY_VERIFY_WITH_TIMEOUT(!Find<CProbabilisticSensitivityPanel>(main)->IsRunning(), 60000);
    QString strFault = TablesFault(main, *pWindow, pOption);
    QVERIFY2(strFault.isEmpty(), qPrintable(strFault));
    // ramify-solve lists the same swings, variables named by name.
    QProcess solve;
    solve.start(RAMIFY_SOLVE_PATH, {"--json", "--tornado", "10", file});
    QVERIFY(solve.waitForFinished());
    const QJsonArray inputs =
        QJsonDocument::fromJson(solve.readAllStandardOutput())["inputs"].toArray();
    // Both follow the combined value of a project of two criteria.
    QStringList rows = Find<CTornadoPanel>(main)->TableText().split('\n', Qt::SkipEmptyParts);
    if (!rows.isEmpty())
        rows.removeFirst();
    QCOMPARE(inputs.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QJsonObject input = inputs[i].toObject();
        const QStringList cells = rows[i].split('\t');
        QCOMPARE(cells[5].toDouble(), input["valueLow"].toDouble());
        QCOMPARE(cells[6].toDouble(), input["valueHigh"].toDouble());
        if (cells[1] == "weight") {
            QCOMPARE(input["kind"].toString(), QStringLiteral("weight"));
            continue;
        }
        QVERIFY(input.contains("variable") == (cells[1] == "variable") &&
                cells[0].endsWith(input.contains("variable") ? input["variable"].toString()
                                                             : QStringLiteral("(#%1)").arg(
                                                                   input["option"]["id"].toInt())));
    }
    // Copy Table gives the same table as Save Table.
    CAnalysisPanel *pTornado = Find<CTornadoPanel>(main);
    if (!pTornado->TableText().isEmpty()) {
        pTornado->findChild<QPushButton *>("pushButtonCopyTable")->click();
        QCOMPARE(QApplication::clipboard()->text(), pTornado->TableText());
    }

    // An edit: every panel follows it, and still agrees.
    for (const auto &pSpy : spies)
        pSpy->clear();
    // A file without positions is arranged, and so changed, as it opens.
    const bool bModified = pWindow->isWindowModified();
    CNodeGrapicsItem *pItem = pWindow->GetItem(pOption);
    const double dPayoff = pOption->payoff;
    pItem->SetPayoff(dPayoff + 7);
    emit pItem->sig_focusOut(QString::fromStdString(pOption->name), pOption->probability, dPayoff);
    QCOMPARE(pWindow->GetUndoStack()->count(), 1);
    QVERIFY(AllRefreshed(spies));
    strFault = TablesFault(main, *pWindow, pOption);
    QVERIFY2(strFault.isEmpty(), qPrintable(strFault));

    // Closed, the project takes its panels along.
    pWindow->GetUndoStack()->undo();
    QCOMPARE(pWindow->isWindowModified(), bModified);
    if (bModified)
        GuiTest::AnswerMessageBoxes({QMessageBox::No});
    main.findChild<QAction *>("actionCloseProject")->trigger();
    QTRY_VERIFY(!main.findChild<CAnalysisPanel *>() && !main.findChild<CVariablesPanel *>());
}

void TestPanels::variablesPanelTellsTheTruth()
{
    CRamify main;
    CDecisionTreeWindow *pWindow = Open(main, RAMIFY_EXAMPLES_DIR "/OilSeismic.rmproj");
    QVERIFY(pWindow);
    main.findChild<QAction *>("actionVariables")->trigger();
    auto *pPanel = Find<CVariablesPanel>(main);
    auto *pTable = pPanel->findChild<QTableWidget *>();
    const CVariables &variables = pWindow->GetDocument().GetVariables();
    const auto uses = [&](const char *pName) {
        return pTable->item(variables.Find(pName), CVariablesPanel::ColumnUses)->text();
    };
    // A variable that only other variables use says so.
    QCOMPARE(uses("cDrill"), QStringLiteral("3 options"));
    QCOMPARE(uses("pPosIfDry"), QStringLiteral("0 options, 1 variable"));
    QCOMPARE(uses("pOil"), QStringLiteral("3 options, 1 variable"));

    // Pastes, deletes and undo are counted as they happen.
    CNode *pChoice = Named(pWindow, "Drill?");
    pWindow->OnItemContextMenu(pWindow->GetItem(Named(pWindow, "drill now")),
                               ContextAction::ActionCopy);
    for (int i = 0; i < 3; ++i)
        pWindow->OnItemContextMenu(pWindow->GetItem(pChoice), ContextAction::ActionPaste);
    QTRY_COMPARE(uses("cDrill"), QStringLiteral("6 options"));
    pWindow->OnItemContextMenu(pWindow->GetItem(Named(pWindow, "test")),
                               ContextAction::ActionDelete);
    QTRY_COMPARE(uses("cDrill"), QStringLiteral("4 options"));
    pWindow->GetUndoStack()->undo();
    QTRY_COMPARE(uses("cDrill"), QStringLiteral("6 options"));

    // A refusal names each user once.
    pTable->setCurrentCell(variables.Find("cDrill"), 0);
    pPanel->DeleteVariable();
    QCOMPARE(pPanel->Problem(),
             QStringLiteral("cDrill is still used by 4 options \"drill now\", 2 options "
                            "\"install\"."));
    pTable->setCurrentCell(variables.Find("pPosIfDry"), 0);
    pPanel->DeleteVariable();
    QCOMPARE(pPanel->Problem(), QStringLiteral("pPosIfDry is still used by variable pPositive."));
    QVERIFY(variables.Find("pPosIfDry") >= 0);

    // Low above High is refused with the reason, and the bounds stay.
    const int nOil = variables.Find("pOil");
    pTable->item(nOil, CVariablesPanel::ColumnLow)->setText("0.9");
    QVERIFY2(pPanel->Problem().contains("must not lie above High"), qPrintable(pPanel->Problem()));
    QCOMPARE(variables.At(nOil).low, 0.3);
    QCOMPARE(pTable->item(nOil, CVariablesPanel::ColumnLow)->text(), QStringLiteral("0.3"));
    // So is a distribution, invalid or with no weight within Low..High; a
    // valid one is one step to undo.
    for (const auto &[pText, pReason] :
         {std::pair{"Beta(0, 2)", "Variable \"pOil\": both"}, {"Uniform(0.8, 0.9)", "Low..High"}}) {
        pTable->item(nOil, CVariablesPanel::ColumnDistribution)->setText(pText);
        QVERIFY2(pPanel->Problem().contains(pReason), qPrintable(pPanel->Problem()));
        QCOMPARE(variables.At(nOil).distribution, std::string("Beta(5, 5)"));
    }
    pTable->item(nOil, CVariablesPanel::ColumnDistribution)->setText("Uniform(0.4, 0.6)");
    QCOMPARE(variables.At(nOil).distribution, std::string("Uniform(0.4, 0.6)"));
    pWindow->GetUndoStack()->undo();
    QCOMPARE(variables.At(nOil).distribution, std::string("Beta(5, 5)"));

    // The sensitivity runs over Low..High, or half the value each way.
    for (const auto &[pName, pLow, pHigh] :
         {std::tuple{"pOil", "0.3", "0.7"}, {"cDrill", "125", "375"}}) {
        pTable->setCurrentCell(variables.Find(pName), 0);
        pPanel->ShowSensitivity();
        auto *pSensitivity = Find<CVariableSensitivityPanel>(main);
        QVERIFY(pSensitivity);
        QTRY_COMPARE(pSensitivity->findChild<QLineEdit *>("lineEditLow")->text(),
                     QString::fromLatin1(pLow));
        QCOMPARE(pSensitivity->findChild<QLineEdit *>("lineEditHigh")->text(),
                 QString::fromLatin1(pHigh));
    }
}

void TestPanels::variableSensitivityTellsWhatItPlots()
{
    CRamify main;
    CDecisionTreeWindow *pWindow = Open(main, RAMIFY_EXAMPLES_DIR "/OilSeismic.rmproj");
    QVERIFY(pWindow);
    main.findChild<QAction *>("actionVariables")->trigger();
    auto *pVariables = Find<CVariablesPanel>(main);
    pVariables->findChild<QTableWidget *>()->setCurrentCell(
        pWindow->GetDocument().GetVariables().Find("pPosIfOil"), 0);
    pVariables->ShowSensitivity();
    auto *pPanel = Find<CVariableSensitivityPanel>(main);
    QVERIFY(pPanel);
    // From 0.45 to 1.35: above 1 the test's negative result would have a
    // negative chance of oil, which the canvas flags. That stretch is shaded
    // and said.
    QTRY_VERIFY(!pPanel->TableText().isEmpty());
    QCOMPARE(pPanel->InconsistentStretches().size(), 1);
    const QPointF stretch = pPanel->InconsistentStretches().front();
    QVERIFY2(qAbs(stretch.x() - 1.0) < 0.01 && stretch.y() == 1.35,
             qPrintable(QStringLiteral("%1..%2").arg(stretch.x()).arg(stretch.y())));
    const QString strNote = Note(pPanel);
    QVERIFY2(strNote.startsWith("Shaded, from about 1") &&
                 strNote.contains("do not lie within 0 and 1"),
             qPrintable(strNote));

    // The oil wildcatter with the chance of a dry hole as a variable: the
    // value where drilling stops paying is 0, up to the rounding of the
    // shares (7.3e-12), and shows as 0.
    ExampleTrees::Example oil = ExampleTrees::OilVariables();
    oil.tree->Variables().Add({"pDry", 0.5, "", true, -0.5, true, 1.5, ""});
    for (CNode *pNode : GuiTest::Attached(oil.tree->GetRoot())) {
        const std::map<std::string, std::string> shares{
            {"Dry", "pDry"}, {"Wet", "(1 - pDry) * 0.6"}, {"Soaking", "#"}};
        if (pNode->type == NodeType::Option && shares.count(pNode->name))
            pNode->probabilityFormula = shares.at(pNode->name);
    }
    QTemporaryDir dir;
    CRamify other;
    CDecisionTreeWindow *pOther = Open(other, Saved(dir, *oil.tree));
    QVERIFY(pOther);
    other.findChild<QAction *>("actionVariables")->trigger();
    pVariables = Find<CVariablesPanel>(other);
    pVariables->findChild<QTableWidget *>()->setCurrentCell(
        pOther->GetDocument().GetVariables().Find("pDry"), 0);
    pVariables->ShowSensitivity();
    pPanel = Find<CVariableSensitivityPanel>(other);
    QTRY_COMPARE(pPanel->BreakEvens().size(), 1);
    const QString strListed = pPanel->findChild<QPlainTextEdit *>()->toPlainText();
    QVERIFY2(strListed.endsWith("; value 0"), qPrintable(strListed));
    // Below 0 the dry hole's chance is negative.
    QCOMPARE(pPanel->InconsistentStretches().front().x(), -0.5);
}

// A run of two criteria adds the acceptability curve and the plane: a line
// of shares for each strategy, every iteration's point of each. The curve
// has the EVPI at each weight on an axis of its own, the model's figures at
// the weights ramify-solve gives them, and its table beside it.
void TestPanels::psaOfTwoCriteria()
{
    QFile example(QStringLiteral(RAMIFY_EXAMPLES_DIR "/Screening.rmproj"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    QByteArray bytes = example.readAll();
    const int nLine = bytes.indexOf('\n', bytes.indexOf("<RMFYProject"));
    bytes.insert(nLine, "\n<Variable Name=\"yearly\" Value=\"900\" "
                        "Distribution=\"Normal(900, 300)\"/>");
    bytes.replace("Payoff2=\"900\"", "Payoff2=\"900\" Payoff2Formula=\"yearly\"");
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("screening.rmproj")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    CRamify main;
    CDecisionTreeWindow *pWindow = Open(main, file.fileName());
    QVERIFY(pWindow);
    CProjectSettings settings = pWindow->GetDocument().GetSettings();
    settings.numbers = {true, 2, QStringLiteral("$"), QString()};
    pWindow->GetDocument().SetSettings(settings);
    main.findChild<QAction *>("actionProbabilisticSensitivity")->trigger();
    auto *pPanel = Find<CProbabilisticSensitivityPanel>(main);
    QTRY_VERIFY_WITH_TIMEOUT(pPanel->Results(), 30000);
    const CProbabilisticSensitivity &psa = *pPanel->Results();
    QVERIFY(psa.TwoCriteria() && psa.Failed() == 0 && psa.StrategyCount() == 4);
    auto *pBox = pPanel->findChild<QComboBox *>("comboBoxChart");
    QCOMPARE(pBox->count(), 5);
    QList<QPointF> evpi;
    QtCharts::QXYSeries *pEvpi = nullptr;
    for (const int nKind : {int(CPsaChart::Acceptability), int(CPsaChart::Plane)}) {
        pBox->setCurrentIndex(nKind);
        const QList<QtCharts::QAbstractSeries *> series = pPanel->ChartView()->chart()->series();
        QCOMPARE(series.size(), psa.StrategyCount() + (nKind == CPsaChart::Acceptability));
        double dSum = 0.0;
        for (QtCharts::QAbstractSeries *pSeries : series) {
            auto *pXY = static_cast<QtCharts::QXYSeries *>(pSeries);
            QVERIFY(!pXY->points().isEmpty());
            const bool bRight = pSeries->attachedAxes().back()->alignment() == Qt::AlignRight;
            if (bRight) {
                evpi = pXY->points();
                pEvpi = pXY;
            }
            dSum += nKind == CPsaChart::Acceptability && !bRight ? pXY->points().back().y() : 0.0;
        }
        // At the top of the range of w each iteration has one best strategy.
        if (nKind == CPsaChart::Acceptability) {
            QVERIFY(std::fabs(dSum - 1.0) <= 1e-9);
            QVERIFY(pPanel->LegendNames().contains("EVPI"));
        }
        // The table beside the chart: each strategy's summary, or the curve.
        const QTableWidget *pTable = pPanel->findChild<QTableWidget *>("tableWidgetStrategies");
        const QStringList header = pPanel->TableText().section('\n', 0, 0).split('\t');
        const int nLast = header.size() - 1;
        for (int c = 0; c <= nLast; ++c) {
            const bool bAmount = nKind == CPsaChart::Acceptability ? c == nLast : c >= 1 && c <= 9;
            QVERIFY2(pTable->item(0, c)->text().startsWith('$') == bAmount, qPrintable(header[c]));
        }
    }
    QVERIFY(pPanel->TableText().contains("Mean Effect"));
    // The EVPI at each weight ramify-solve gives it at, from the run shown.
    const std::vector<double> weights = psa.Weights(CProbabilisticSensitivity::AcceptabilitySteps);
    QCOMPARE(evpi.size(), int(weights.size()));
    QProcess solve;
    solve.start(RAMIFY_SOLVE_PATH, {"--json", "--psa", "1000", file.fileName()});
    QVERIFY(solve.waitForFinished(60000));
    const QJsonArray curve =
        QJsonDocument::fromJson(solve.readAllStandardOutput())["psa"]["acceptability"].toArray();
    QCOMPARE(curve.size(), evpi.size());
    for (int k = 0; k < evpi.size(); ++k) {
        QCOMPARE(evpi[k].x(), weights[size_t(k)]);
        QCOMPARE(evpi[k].y(), psa.EvpiAt(weights[size_t(k)]));
        QVERIFY(evpi[k].y() >= 0.0);
        QCOMPARE(curve[k]["w"].toDouble(), evpi[k].x());
        QCOMPARE(curve[k]["evpi"].toDouble(), evpi[k].y());
    }
    // Somewhere on the range the draws leave the choice open.
    QVERIFY(
        std::any_of(evpi.begin(), evpi.end(), [](const QPointF &point) { return point.y() > 0; }));
    // What the table gives beside the curve, copied or saved.
    pBox->setCurrentIndex(CPsaChart::Acceptability);
    const CAnalysisTable table =
        psa.AcceptabilityTable(CProbabilisticSensitivity::AcceptabilitySteps);
    QCOMPARE(pPanel->TableText(), table.TabSeparated());
    pPanel->findChild<QPushButton *>("pushButtonCopyTable")->click();
    QCOMPARE(QApplication::clipboard()->text(), table.TabSeparated());
    QString strError;
    QVERIFY(pPanel->SaveTable(dir.filePath("curve.csv"), &strError));
    QFile saved(dir.filePath("curve.csv"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), CCsvTable::Write(table.header, table.rows));
    // Hovering the EVPI shows the point nearest the pointer, in the
    // project's format.
    pEvpi = static_cast<QtCharts::QXYSeries *>(pPanel->ChartView()->chart()->series().back());
    main.resize(1400, 900);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QtCharts::QChartView *pView = pPanel->ChartView();
    const QPointF along = pEvpi->at(3) * 0.9 + pEvpi->at(4) * 0.1;
    const QPoint at = pView->mapFromScene(
        pView->chart()->mapToScene(pView->chart()->mapToPosition(along, pEvpi)));
    QTest::mouseMove(pView->viewport(), at + QPoint(0, 20));
    QTest::mouseMove(pView->viewport(), at);
    QTRY_VERIFY2(QToolTip::text().startsWith(
                     QStringLiteral("EVPI\nw = %1\n$").arg(NumberAtPrecision(weights[3], 6))),
                 qPrintable(QToolTip::text()));
    QVERIFY(Note(pPanel).contains(QStringLiteral("information at w = %1: $")
                                      .arg(NumberAtPrecision(psa.Criteria().weight, 6))));
}

// An edit while results are shown marks them stale until the next run; a
// run cancelled leaves the results before it as they were.
void TestPanels::psaGoesStaleAndCancels()
{
    CRamify main;
    CDecisionTreeWindow *pWindow =
        Open(main, QStringLiteral(RAMIFY_EXAMPLES_DIR "/OilSeismic.rmproj"));
    QVERIFY(pWindow);
    main.findChild<QAction *>("actionProbabilisticSensitivity")->trigger();
    auto *pPanel = Find<CProbabilisticSensitivityPanel>(main);
    QTRY_VERIFY_WITH_TIMEOUT(pPanel->Results(), 30000);
    const CProbabilisticSensitivity *pFirst = pPanel->Results();
    QVERIFY(!pPanel->IsStale() && pFirst->Failed() == 0);
    // Every strategy in a colour of its own; the charts' theme has but five.
    for (const CPsaChart::Kind kind : {CPsaChart::Histogram, CPsaChart::RunningMean}) {
        QVector<CPsaChart::Line> lines;
        const std::unique_ptr<QtCharts::QChart> pChart(
            CPsaChart::Make(*pFirst, kind, QStringLiteral("%g"), &lines,
                            [](double dValue) { return QString::number(dValue); }));
        QSet<QRgb> colours;
        for (const CPsaChart::Line &line : lines)
            if (!line.dashed)
                colours.insert(line.colour.rgb());
        QCOMPARE(colours.size(), pFirst->StrategyCount());
        QVERIFY(colours.size() > 5);
    }
    pWindow->GetDocument().SetValues(Named(pWindow, "sell"), qQNaN(), 800);
    QTRY_VERIFY(pPanel->IsStale());
    QVERIFY(Note(pPanel).contains("Run again"));
    pPanel->findChild<QLineEdit *>("lineEditIterations")->setText("10000000");
    pPanel->Run();
    QVERIFY(pPanel->IsRunning());
    pPanel->Cancel();
    QVERIFY(!pPanel->IsRunning() && pPanel->IsStale());
    QCOMPARE(pPanel->Results(), pFirst);
    pPanel->findChild<QLineEdit *>("lineEditIterations")->setText("2000");
    pPanel->Run();
    QTRY_VERIFY_WITH_TIMEOUT(pPanel->Results() != pFirst, 30000);
    QCOMPARE(pPanel->Results()->StrategySummary(0).mean, 800.0);
    QVERIFY(!pPanel->IsStale());
}

void TestPanels::manyUncertaintiesAndLongNames()
{
    // Thirty ventures, each with a chance of its own, and very long names.
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "Ventures");
    tree.SetRoot(pRoot);
    CNode *pChoice = CNode::CreateDecision(pRoot, "Which?");
    const std::string strLong(70, 'w');
    for (int i = 0; i < 30; ++i) {
        CNode *pOption = CNode::CreateOption(pChoice, strLong + std::to_string(i));
        CNode *pChance = CNode::CreateSituation(pOption, "Chance " + std::to_string(i));
        ExampleTrees::AddOption(pChance, "up", 0.5, 10.0 + i);
        ExampleTrees::AddOption(pChance, "down", 0.5, -i);
    }
    QTemporaryDir dir;
    CRamify main;
    CDecisionTreeWindow *pWindow = Open(main, Saved(dir, tree));
    QVERIFY(pWindow);
    main.findChild<QAction *>("actionValueOfInformation")->trigger();
    main.findChild<QAction *>("actionRiskProfile")->trigger();
    auto *pInformation = Find<CValueOfInformationPanel>(main);
    QTRY_VERIFY(pInformation->TableText().count('\n') > 1);
    // The chart shows the largest, says how many are left out; the table has all.
    QCOMPARE(pInformation->ShownCount(), CValueOfInformationPanel::MaxBars + 1);
    QCOMPARE(pInformation->TableText().count('\n'), 1 + 30 + 1);
    QVERIFY(Note(pInformation)
                .contains("the 12 largest of 30 uncertainties; the "
                          "other 18 are in the table"));
    // Every option's name stands in full in the legend.
    auto *pProfile = Find<CRiskProfilePanel>(main);
    QTRY_COMPARE(pProfile->LegendNames().size(), 30);
    QVERIFY(pProfile->LegendNames().front().startsWith(QString::fromStdString(strLong) + "0"));
    QVERIFY(!pProfile->ChartView()->chart()->legend()->isVisible());
}

RAMIFY_GUI_TEST_MAIN(TestPanels)
#include "TextNumber.h"
#include "tst_panels.moc"
