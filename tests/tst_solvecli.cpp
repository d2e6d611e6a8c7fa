#include "CCsvTable.h"
#include "CProbabilisticSensitivity.h"
#include "CProjectDocument.h"
#include "SubtreeWalk.h"
#include "TestTrees.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// ramify-solve run as a separate process: its exit status tells scripts what
// happened, and --write saves the rolled-back tree.
class TestSolveCli : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void writeSavesTheSolvedTree();
    void jsonIsQtsOwnWording();
    void numbersAgreeWithTheLibrary_data();
    void numbersAgreeWithTheLibrary();
    void psaAgreesWithTheLibrary();

private:
    QTemporaryDir dir;
};

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run Solve(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(RAMIFY_SOLVE_PATH), arguments);
    Run run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString Example(const char *pFileName)
{
    return QStringLiteral(RAMIFY_EXAMPLES_DIR "/") + QLatin1String(pFileName);
}

} // namespace

void TestSolveCli::runs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("file"); // written to "in.rmproj" first when not empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString strIn = dir.filePath(QStringLiteral("in.rmproj"));
    QTest::newRow("example") << QStringList{Example("OilWildcatter.rmproj")} << QByteArray() << 0
                             << "Value:   20000\n"
                             << "";
    QTest::newRow("json") << QStringList{"--json", Example("Party.rmproj")} << QByteArray() << 0
                          << "\"value\": 70"
                          << "";
    // SilverDecisions files, found by their content whatever their name.
    const QString strMarket = Example("MarketTest.json");
    QTest::newRow("peer file") << QStringList{strMarket} << QByteArray() << 0 << "Value:   50\n"
                               << "";
    QTest::newRow("peer file refused")
        << QStringList{strIn} << QByteArray("{\"title\": \"x\"}") << 1 << ""
        << "no SilverDecisions file";
    const QByteArray two = R"({"SilverDecisions": "1.0", "trees": [{"type": "terminal"},
        {"type": "decision", "childEdges": [{"payoff": 7, "childNode": {"type": "terminal"}}]}]})";
    QTest::newRow("tree 2") << QStringList{"--tree", "2", strIn} << two << 0 << "Value:   7\n"
                            << "holds 2 trees; this is tree 2";
    QTest::newRow("tree 3") << QStringList{"--tree", "3", strIn} << two << 1 << ""
                            << "there is no tree 3";
    QTest::newRow("tree 0") << QStringList{"--tree", "0", strIn} << two << 2 << ""
                            << "--tree";
    QTest::newRow("csv sensitivity")
        << QStringList{"--csv", "--sensitivity", "pGood=0.3..0.7", "--steps", "2", strMarket}
        << QByteArray() << 0 << "pGood,value\n"
        << "";
    QTest::newRow("csv tornado") << QStringList{"--csv", "--tornado", "10", strMarket}
                                 << QByteArray() << 0
                                 << "input,kind,current,low,high,value at low,value at high,swing\n"
                                 << "";
    QTest::newRow("csv evpi") << QStringList{"--csv", "--evpi", Example("OilWildcatter.rmproj")}
                              << QByteArray() << 0 << "Oil in the well,#5,55000,35000\n"
                              << "";
    QTest::newRow("csv risk profile")
        << QStringList{"--csv", "--risk-profile", Example("OilWildcatter.rmproj")} << QByteArray()
        << 0 << "option,id,chosen,value,probability,cumulative\nDrill,3,1,-70000,0.5,0.5\n"
        << "";
    // A project of two criteria: the league table, and no analysis of one.
    const QString strScreening = Example("Screening.rmproj");
    QTest::newRow("league table")
        << QStringList{"--csv", "--league-table", strScreening} << QByteArray() << 0
        << "strategy,c1,c2,dominatedBy,extendedDominatedBy,tiedWith,incrementalC1,"
           "incrementalC2,icer,weightFrom,weightTo,best\nNo screening,19.88,600,,,,,,,0,"
        << "";
    QTest::newRow("league table json")
        << QStringList{"--json", "--league-table", strScreening} << QByteArray() << 0
        << "\"dominatedBy\": [\n                    \"Every 3 years\""
        << "";
    QTest::newRow("league table of one criterion")
        << QStringList{"--league-table", Example("OilWildcatter.rmproj")} << QByteArray() << 2 << ""
        << "--league-table compares two criteria";
    // The analyses of one value follow the combined value, and say so.
    QTest::newRow("tornado of two criteria")
        << QStringList{"--tornado", "10", strScreening} << QByteArray() << 0
        << QStringLiteral("Values:    Effect × w − Cost at w = 50000\n") << "";
    QTest::newRow("weight sensitivity")
        << QStringList{"--csv", "--sensitivity", ":weight=0..100000", "--steps", "2", strScreening}
        << QByteArray() << 0 << "weight,value,Programme (#2)\n0,-600,No screening\n"
        << "";
    QFile screening(strScreening);
    QVERIFY(screening.open(QIODevice::ReadOnly));
    const QByteArray infinite = screening.readAll().replace("Weight=\"50000\"", "Weight=\"inf\"");
    QTest::newRow("analysis at an infinite weight")
        << QStringList{"--tornado", "10", strIn} << infinite << 2 << ""
        << "At an infinite weight";
    QByteArray drawn = infinite;
    drawn.replace("Weight=\"inf\"", "Weight=\"50000\"")
        .replace("Payoff2=\"900\"", "Payoff2=\"900\" Payoff2Formula=\"yearly\"")
        .insert(drawn.indexOf('\n', drawn.indexOf("<RMFYProject")),
                "\n<Variable Name=\"yearly\" Value=\"900\" Distribution=\"Normal(900, 300)\"/>");
    QTest::newRow("psa of two criteria")
        << QStringList{"--json", "--psa", "200", strIn} << drawn << 0
        << "\"acceptability\": [\n            {\n                \"best\": ["
        << "";
    QTest::newRow("report at an infinite weight") << QStringList{strIn} << infinite << 0 << "Value:"
                                                  << "";
    QTest::newRow("criteria per node")
        << QStringList{"--json", strScreening} << QByteArray() << 0 << "\"criteria\": ["
        << "";
    QTest::newRow("csv of no table") << QStringList{"--csv", strMarket} << QByteArray() << 2 << ""
                                     << "--csv";
    QTest::newRow("broken off") << QStringList{strIn}
                                << QByteArray("<RMFYProject>\n<Node Type=\"0\"/>\n<Node Par") << 1
                                << ""
                                << "line 3";
    QTest::newRow("not XML") << QStringList{strIn} << QByteArray("PK\x03\x04") << 1 << ""
                             << "line 1, column 1";
    QTest::newRow("no tree") << QStringList{strIn} << QByteArray("<RMFYProject Name=\"P\"/>") << 1
                             << ""
                             << "holds no decision tree";
    QTest::newRow("missing") << QStringList{dir.filePath("none.rmproj")} << QByteArray() << 1 << ""
                             << "none.rmproj";
    QTest::newRow("write fails") << QStringList{"--write", dir.filePath("no/x"), strIn}
                                 << WriteBytes(WorkedExample().tree, "P") << 1 << ""
                                 << dir.filePath("no/x");
    QTest::newRow("no file") << QStringList() << QByteArray() << 2 << ""
                             << "--help";
    QTest::newRow("two files") << QStringList{strIn, strIn} << QByteArray() << 2 << ""
                               << "--help";
    QTest::newRow("unknown option") << QStringList{"--fast", strIn} << QByteArray() << 2 << ""
                                    << "--help";
    // The oil wildcatter with shared inputs, worked out in ExampleTrees.
    const QString strOil = Example("OilVariables.rmproj");
    QTest::newRow("variables") << QStringList{strOil} << QByteArray() << 0 << "Value:   140000\n"
                               << "";
    QTest::newRow("set, soaking follows")
        << QStringList{"--set", "revWet=500000", strOil} << QByteArray() << 0 << "Value:   40000\n"
        << "";
    QTest::newRow("set kept by write")
        << QStringList{"--set", "cLow=1", "--set", "revWet=5e5", "--write", "-", strOil}
        << QByteArray() << 0 << "<Variable Name=\"revWet\" Value=\"500000\" Low=\"300000\""
        << "";
    QTest::newRow("json variables") << QStringList{"--json", strOil} << QByteArray() << 0
                                    << "\"formula\": \"revWet + 500000\",\n"
                                       "            \"name\": \"revSoak\",\n"
                                       "            \"value\": 1200000\n"
                                    << "";
    // Moving a variable rolls back by the rule asked for: the best case of drilling.
    QTest::newRow("variable under a rule")
        << QStringList{"--rule", "maxi-max", "--sensitivity", "revWet=300000..800000", strOil}
        << QByteArray() << 0 << "800000       1.15e+06\n"
        << "";
    QTest::newRow("variable tornado")
        << QStringList{"--tornado", "10", strOil} << QByteArray() << 0
        << "variable revWet                        300000         800000              0         "
           "190000"
        << "";
    // Its posteriors are formulas (see ExampleTrees), worth 1075 as the
    // tree with the posteriors worked out. A test never wrong over oil is
    // positive 0.65 of the time, then oil is 0.5 / 0.65 likely and installing
    // worth 0.5 / 0.65 * 2500 - 250; a negative test means dry (selling, 500):
    // 0.65 * (0.5 / 0.65 * 2500 - 250) + 0.35 * 500 - 100 = 1162.5.
    const QString strSeismic = Example("OilSeismic.rmproj");
    QTest::newRow("posterior formulas")
        << QStringList{strSeismic} << QByteArray() << 0 << "Value:   1075\n"
        << "";
    QTest::newRow("posteriors follow the test") << QStringList{"--set", "pPosIfOil=1", strSeismic}
                                                << QByteArray() << 0 << "Value:   1162.5\n"
                                                << "";
    QTest::newRow("set unknown") << QStringList{"--set", "revWt=1", strOil} << QByteArray() << 2
                                 << ""
                                 << "no variable named \"revWt\"";
    QTest::newRow("set not a number")
        << QStringList{"--set", "revWet=1,5", strOil} << QByteArray() << 2 << ""
        << "NAME=NUMBER";
    QTest::newRow("broken formula")
        << QStringList{strIn}
        << Project("<Variable Name=\"a\" Value=\"1\" Formula=\"a+\"/>" + NodeXml(1, 0, 0) +
                   NodeXml(2, 1, 4, "PayoffFormula=\"b\""))
        << 1 << ""
        << "Variable \"a\": \"a+\" cannot be read";
    // Knowing the oil before drilling: 0.3 * 50,000 + 0.2 * 200,000 against 20,000.
    QTest::newRow("evpi and profiles")
        << QStringList{"--evpi", "--risk-profile", "--json", Example("OilWildcatter.rmproj")}
        << QByteArray() << 0 << "\"evpi\": 35000,"
        << "";
    QTest::newRow("risk tolerance")
        << QStringList{"--risk-tolerance", "1e5", "--json", Example("OilWildcatter.rmproj")}
        << QByteArray() << 0 << "\"riskPremium\""
        << "";
    QTest::newRow("unknown rule") << QStringList{"--rule", "maximin", strIn} << QByteArray() << 2
                                  << ""
                                  << "\"maximin\"";
    QTest::newRow("tolerance not a number")
        << QStringList{"--risk-tolerance", "1e999", strIn} << QByteArray() << 2 << ""
        << "1e999";
    QTest::newRow("tolerance under another rule")
        << QStringList{"--rule", "mini-max", "--risk-tolerance", "5", strIn} << QByteArray() << 2
        << ""
        << "mini-max";
    QTest::newRow("evpi under maxi-min")
        << QStringList{"--rule", "maxi-min", "--evpi", Example("Party.rmproj")} << QByteArray() << 2
        << ""
        << "--evpi";
    // Two Situations "M" whose options have different probabilities.
    QByteArray differing = NodeXml(1, 0, 0) + NodeXml(2, 1, 1);
    for (int nOption : {3, 4})
        differing += NodeXml(nOption, 2, 3) + NodeXml(nOption + 2, nOption, 2, "Name=\"M\"");
    const char *const probabilities[] = {"0.5", "0.5", "0.4", "0.6"};
    for (int nOption = 7; nOption <= 10; ++nOption)
        differing += NodeXml(nOption, nOption < 9 ? 5 : 6, 3,
                             QByteArray("Probability=\"") + probabilities[nOption - 7] + '"') +
                     NodeXml(nOption + 4, nOption, 4);
    QTest::newRow("evpi of copies that differ")
        << QStringList{"--evpi", strIn} << Project(differing) << 1 << ""
        << "\"M\" (#5 and #6)";
    // Two inputs at once, and every input in steps; the ranges of --two-way
    // come as a pair, each of a form of --sensitivity.
    const QString strTest = Example("OilWithTest.rmproj");
    const QString strX = QStringLiteral("test:payoff=-300..0");
    const QString strY = QStringLiteral("sell:payoff=500..1500");
    QTest::newRow("two-way map") << QStringList{"--two-way", strX, strY, strTest} << QByteArray()
                                 << 0 << ""
                                 << "";
    QTest::newRow("two-way json") << QStringList{"--json", "--steps", "1",    "--two-way",
                                                 strX,     strY,      strTest}
                                  << QByteArray() << 0 << "\"parameter\": \"sell:payoff\""
                                  << "";
    QTest::newRow("two-way csv") << QStringList{"--csv", "--steps", "1",    "--two-way",
                                                strX,    strY,      strTest}
                                 << QByteArray() << 0
                                 << "test:payoff,sell:payoff,value,chosen,consistent\n"
                                 << "";
    QTest::newRow("spider csv") << QStringList{"--csv", "--spider", "10", strTest} << QByteArray()
                                << 0 << "parameter,change,value\n"
                                << "";
    QTest::newRow("spider json") << QStringList{"--json", "--spider", "10", strTest} << QByteArray()
                                 << 0 << "\"change\": -10,"
                                 << "";
    QTest::newRow("two-way, one range")
        << QStringList{"--two-way", strX, strTest} << QByteArray() << 2 << ""
        << "two ranges";
    QTest::newRow("two-way, malformed")
        << QStringList{"--two-way", strX, "sell:payoff=500...", strTest} << QByteArray() << 2 << ""
        << "does not consist of two numbers";
    QTest::newRow("two-way, one input twice")
        << QStringList{"--two-way", strX, "#5:payoff=0..1", strTest} << QByteArray() << 2 << ""
        << "must differ";
    QTest::newRow("two-way, too many steps")
        << QStringList{"--two-way", strX, strY, "--steps", "1001", strTest} << QByteArray() << 2
        << ""
        << "at most 1000";
    QTest::newRow("spider and tornado")
        << QStringList{"--spider", "10", "--tornado", "10", strTest} << QByteArray() << 2 << ""
        << "only one of";
    // State first: Dry and Wet alike likely, a test positive over Dry 0.2 of
    // the time and over Wet 0.6: flipped, positive is 0.4 likely.
    CDecisionTree stateFirst;
    stateFirst.SetRoot(CNode::CreateRoot(nullptr, "Flip"));
    CNode *pOil = CNode::CreateSituation(stateFirst.GetRoot(), "Oil");
    for (const double dPositive : {0.2, 0.6}) {
        CNode *pTest = ExampleTrees::ReplaceTerminal(
            AddOption(pOil, dPositive < 0.5 ? "Dry" : "Wet", 0.5, 0.0), &CNode::CreateSituation,
            "Test");
        AddOption(pTest, "pos", dPositive, 10.0);
        AddOption(pTest, "neg", 1.0 - dPositive, 0.0);
    }
    const QByteArray flippable = WriteBytes(stateFirst, "Flip");
    QTest::newRow("flip") << QStringList{"--flip", "Oil", "--write", "-", strIn} << flippable << 0
                          << "Name=\"pos\" Probability=\"0.4\" Payoff=\"10\""
                          << "";
    QTest::newRow("flip refused") << QStringList{"--flip", "#5", strIn} << flippable << 1 << ""
                                  << "Situation \"Test\" (#5) cannot be flipped: Option \"pos\"";
    // Flipped, the oil after each result is one uncertainty read through the test.
    QTest::newRow("evpi through a test") << QStringList{"--flip", "Oil", "--evpi", "--json", strIn}
                                         << flippable << 0 << "\"reading\": \"bayes\""
                                         << "";
    QTest::newRow("flip of nothing") << QStringList{"--flip", "Gas", strIn} << flippable << 1 << ""
                                     << "no node named \"Gas\"";
    const QByteArray gamble = Project(
        "<Variable Name=\"x\" Value=\"100\" Distribution=\"Normal(100, 20)\"/>" + NodeXml(1, 0, 0) +
        NodeXml(2, 1, 1) + NodeXml(3, 2, 3, "Name=\"Gamble\" PayoffFormula=\"x\"") +
        NodeXml(4, 2, 3, "Name=\"Fixed\" Payoff=\"90\"") + NodeXml(5, 3, 4) + NodeXml(6, 4, 4));
    QTest::newRow("psa") << QStringList{"--psa", "500", "--lhs", "--json", strIn} << gamble << 0
                         << "\"firstFailure\": null"
                         << "";
    QTest::newRow("psa options alone") << QStringList{"--threads", "2", strIn} << gamble << 2 << ""
                                       << "--threads belongs to --psa";
    QTest::newRow("psa of no distribution")
        << QStringList{"--psa", "10", Example("OilWildcatter.rmproj")} << QByteArray() << 1 << ""
        << "No variable has a distribution";
    QTest::newRow("help") << QStringList{"--help"} << QByteArray() << 0 << "Exit status"
                          << "";
}

void TestSolveCli::runs()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    if (!file.isEmpty()) {
        QFile in(dir.filePath(QStringLiteral("in.rmproj")));
        QVERIFY(in.open(QIODevice::WriteOnly | QIODevice::Truncate));
        in.write(file);
    }
    const Run run = Solve(arguments);
    QCOMPARE(run.exitCode, status);
    // A success says nothing on stderr unless the row expects a remark.
    QVERIFY2(run.out.contains(out) && (status != 0 || run.err.isEmpty() || !err.isEmpty()),
             qPrintable(run.out));
    QVERIFY2(run.err.contains(err) && (status == 0 || run.out.isEmpty()), qPrintable(run.err));
}

void TestSolveCli::writeSavesTheSolvedTree()
{
    // Stored values start wrong, the tree is deep: the written file must hold
    // rolled-back values, and the listing must not grow wider with depth.
    CDecisionTree tree;
    tree.SetRoot(MakeChain(20000));
    tree.GetRoot()->children[0]->payoff = -1;
    const QString strIn = dir.filePath(QStringLiteral("unsolved.rmproj"));
    const QString strOut = dir.filePath(QStringLiteral("solved.rmproj"));
    QVERIFY(CProjectFile::Write(strIn, tree, QStringLiteral("Deep")));
    const Run run = Solve({QStringLiteral("--write"), strOut, strIn});
    QCOMPARE(run.exitCode, 0);
    int nLongest = 0;
    for (const QString &strLine : run.out.split('\n'))
        nLongest = std::max(nLongest, int(strLine.size()));
    QVERIFY2(nLongest < 250, qPrintable(QString::number(nLongest)));
    CDecisionTree solved;
    const CProjectFile::ReadResult result = CProjectFile::Read(strOut, solved);
    QVERIFY(result.Succeeded());
    QCOMPARE(result.projectName, QStringLiteral("Deep"));
    QCOMPARE(solved.GetRoot()->children[0]->payoff, 9999.0);
    const Run json = Solve({QStringLiteral("--json"), strOut});
    QCOMPARE(QJsonDocument::fromJson(json.out.toUtf8()).object().value("value").toDouble(), 9999.0);
}

void TestSolveCli::jsonIsQtsOwnWording()
{
    // The nodes are worded without Qt's JSON classes; what they print must be
    // what Qt prints for the document it reads back, to the byte. Names and
    // numbers that Qt words in its own way stand beside plain ones.
    CNode *pRoot = CNode::CreateRoot(nullptr, "Root");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Choice");
    for (int i = 0; i < 6; ++i) {
        CNode *pSituation = CNode::CreateSituation(CNode::CreateOption(pDecision, "Go"), "Chance");
        for (int j = 0; j < 2; ++j) {
            CNode *pOption = CNode::CreateOption(pSituation, "Way");
            pOption->probability = 0.5;
            CNode::CreateTerminal(pOption, "End");
        }
    }
    CDecisionTree tree;
    tree.SetRoot(pRoot);
    const std::vector<std::string> names = {
        "plain", "say \"yes\"", "back\\slash", "tab\there", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac",
        "",      "#/ <&>"};
    const std::vector<double> payoffs = {0.1,
                                         -0.0,
                                         1e-7,
                                         123456789.125,
                                         1e20,
                                         9007199254740994.0,
                                         -5,
                                         -9007199254740991.0,
                                         1e15 + 0.5,
                                         2.5e-4,
                                         1.0 / 3,
                                         4503599627370497.5,
                                         -9.5367431640625e-07,
                                         1e-4,
                                         9.99999e-5,
                                         -1.0 / 3e10,
                                         5e-324,
                                         2.2250738585072014e-308,
                                         1e-300};
    size_t nAt = 0;
    size_t nPayoff = 0;
    WalkSubtree(pRoot, [&](CNode *pNode) {
        pNode->name = names[nAt % names.size()];
        pNode->payoffComment = nAt % 3 ? std::string() : names[nAt / 3 % names.size()];
        if (pNode->type == NodeType::Terminal || pNode->type == NodeType::Option)
            pNode->payoff = payoffs[nPayoff++ % payoffs.size()];
        ++nAt;
    });
    const QString strIn = dir.filePath(QStringLiteral("worded.rmproj"));
    QVERIFY(CProjectFile::Write(strIn, tree, QStringLiteral("Worded \"JSON\"")));
    QProcess process;
    process.start(QStringLiteral(RAMIFY_SOLVE_PATH), {QStringLiteral("--json"), strIn});
    QVERIFY(process.waitForFinished(120000));
    const QByteArray out = process.readAllStandardOutput();
    const QJsonDocument read = QJsonDocument::fromJson(out);
    QCOMPARE(read.object().value("nodes").toArray().size(), int(nAt));
    QCOMPARE(out, read.toJson(QJsonDocument::Indented));
}

void TestSolveCli::numbersAgreeWithTheLibrary_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    // What the first columns of the CSV set: a variable, or an option's payoff.
    QTest::addColumn<QStringList>("inputs");
    QTest::newRow("sensitivity of a variable")
        << QStringList{"--csv", "--sensitivity", "pGood=0.3..0.7", "--steps", "4"}
        << Example("MarketTest.json") << QStringList{"pGood"};
    QTest::newRow("two-way") << QStringList{"--csv",
                                            "--steps",
                                            "3",
                                            "--two-way",
                                            "test:payoff=-300..0",
                                            "sell:payoff=500..1500"}
                             << Example("OilWithTest.rmproj")
                             << QStringList{"test:payoff", "sell:payoff"};
}

// Each row of the table, parsed: the value the library gives the project
// with the row's inputs set.
void TestSolveCli::numbersAgreeWithTheLibrary()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QStringList, inputs);
    const Run run = Solve(arguments << file);
    QCOMPARE(run.exitCode, 0);
    QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    const int nValue = lines.takeFirst().split(',').indexOf(QStringLiteral("value"));
    QVERIFY(nValue >= 0 && lines.size() > 3);
    for (const QString &strLine : lines) {
        const QStringList cells = strLine.split(',');
        CProjectDocument document;
        QVERIFY(document.Read(file).Succeeded());
        for (int i = 0; i < inputs.size(); ++i) {
            bool bNumber = false;
            const double dInput = cells.value(i).toDouble(&bNumber);
            QVERIFY2(bNumber, qPrintable(strLine));
            const std::string strName = inputs[i].section(':', 0, 0).toStdString();
            CVariables variables = document.GetVariables();
            const int nVariable = variables.Find(strName);
            if (nVariable >= 0) {
                CVariables::Variable variable = variables.At(nVariable);
                variable.value = dInput;
                variables.Set(nVariable, variable);
                document.SetVariables(variables);
                continue;
            }
            std::vector<CNode *> pending{document.GetRoot()};
            while (!pending.empty()) {
                CNode *pNode = pending.back();
                pending.pop_back();
                if (pNode->type == NodeType::Option && pNode->name == strName)
                    document.SetValues(pNode, qQNaN(), dInput);
                pending.insert(pending.end(), pNode->children.begin(), pNode->children.end());
            }
        }
        bool bNumber = false;
        const double dValue = cells.value(nValue).toDouble(&bNumber);
        const double dExpected = document.GetRoot()->children.front()->payoff;
        QVERIFY2(bNumber && qAbs(dValue - dExpected) <= 1e-9 * (1 + qAbs(dExpected)),
                 qPrintable(strLine + QStringLiteral(" where the library gives ") +
                            QString::number(dExpected, 'g', 17)));
    }
}

// Every draw and every strategy's value of every iteration, on one thread,
// as the library gives them on three for the same seed, bit for bit.
void TestSolveCli::psaAgreesWithTheLibrary()
{
    CDecisionTree tree;
    QVERIFY(CProjectFile::Read(Example("OilVariables.rmproj"), tree).Succeeded());
    CVariables::Variable variable = tree.Variables().At(0);
    variable.distribution = "Normal(700000, 150000)";
    tree.Variables().Set(0, variable);
    const QString strFile = dir.filePath(QStringLiteral("psa.rmproj"));
    QVERIFY(CProjectFile::Write(strFile, tree, QStringLiteral("PSA")));
    const Run run = Solve({"--csv", "--psa", "300", "--seed", "4", "--threads", "1", strFile});
    QCOMPARE(run.exitCode, 0);
    CProbabilisticSensitivity psa;
    QCOMPARE(psa.Prepare(tree, CDecisionRule()), QString());
    QVERIFY(psa.Run({300, 4, false, 0.0, 3, true}));
    const CAnalysisTable table = psa.IterationTable();
    QCOMPARE(run.out.toUtf8(), CCsvTable::Write(table.header, table.rows));
}

QTEST_GUILESS_MAIN(TestSolveCli)
#include "tst_solvecli.moc"
