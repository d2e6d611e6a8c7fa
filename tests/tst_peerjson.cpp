#include "CCsvTable.h"
#include "CPeerJsonWriter.h"
#include "CProjectDocument.h"
#include "PeerRoundTrip.h"
#include "TestTrees.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

// SilverDecisions files: what is read from them, what is refused, and that a
// project written as one reads back the same.
class TestPeerJson : public QObject
{
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void constructs_data();
    void constructs();
    void refused_data();
    void refused();
    void treesOfOneFile();
    void roundTrip_data();
    void roundTrip();
    void tooDeepToExport();
    void distributionsRoundTrip();
    void csvCells();

private:
    QTemporaryDir dir;
};

namespace {

QString Example(const char *pName)
{
    return QStringLiteral(RAMIFY_EXAMPLES_DIR "/") + QLatin1String(pName);
}

QString Write(const QTemporaryDir &dir, const QString &strName, const QByteArray &bytes)
{
    const QString strPath = dir.filePath(strName);
    QFile file(strPath);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return strPath;
}

// The value of the tree: that of the top node below the Root.
double Value(const CProjectDocument &document)
{
    return document.GetRoot()->children.front()->payoff;
}

// A file of the layout before 0.6 (no "data"): a decision whose only option
// pays strPayoff, below code strCode; the option's child carries strNodeCode.
QByteArray OneOption(const QByteArray &strCode, const QByteArray &strPayoff,
                     const QByteArray &strNodeCode = "", const QByteArray &strRule = "")
{
    return "{\"SilverDecisions\": \"0.5.2\", \"rule\": \"" + strRule + "\", \"code\": \"" +
           strCode +
           "\", \"expressionScope\": {\"r\": 0.25}, \"trees\": [{\"type\": \"decision\", "
           "\"name\": \"D\", \"childEdges\": [{\"name\": \"o\", \"payoff\": " +
           strPayoff + ", \"childNode\": {\"type\": \"chance\", \"code\": \"" + strNodeCode +
           "\", \"childEdges\": [{\"name\": \"c\", \"payoff\": \"a\", \"probability\": \"#\", "
           "\"childNode\": {\"type\": \"terminal\"}}]}}]}]}";
}

} // namespace

void TestPeerJson::examples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("variables");
    QTest::newRow("umbrella") << Example("Umbrella.json") << -3.0 << "";
    // pGood is drawn by random(0.3, 0.7); the file stored 0.5; pPos is a
    // node's code.
    QTest::newRow("market test") << Example("MarketTest.json") << 50.0
                                 << "pGood=0.5[0.3,0.7] cost=5 gain=100 gainLow=-40 pPos=0.55";
}

void TestPeerJson::examples()
{
    QFETCH(QString, file);
    CProjectDocument document;
    const CProjectFile::ReadResult result = document.Read(file);
    QVERIFY2(result.Succeeded(), qPrintable(result.Message()));
    QVERIFY(result.notes.isEmpty() && result.formulaProblems.empty());
    QFETCH(double, value);
    QCOMPARE(Value(document), value);
    QStringList variables;
    for (int n = 0; n < document.GetVariables().Count(); ++n) {
        const CVariables::Variable &variable = document.GetVariables().At(n);
        variables << QStringLiteral("%1=%2")
                             .arg(QString::fromStdString(variable.name))
                             .arg(variable.value) +
                         (variable.hasLow
                              ? QStringLiteral("[%1,%2]").arg(variable.low).arg(variable.high)
                              : QString());
    }
    QTEST(variables.join(QLatin1Char(' ')), "variables");
    // Nothing to overwrite: another tool's file is never saved over; and it
    // holds no values of this rollback to call out of date.
    QVERIFY(document.GetFilePath().isEmpty() && !document.StoredValuesWereStale());
}

void TestPeerJson::constructs_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("payoff");
    QTest::addColumn<QByteArray>("nodeCode");
    QTest::addColumn<QByteArray>("rule");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("note"); // a part of the notes; empty for none
    QTest::addColumn<bool>("problem");
    QTest::newRow("number") << QByteArray("a = 1") << QByteArray("2") << QByteArray()
                            << QByteArray() << 3.0 << "" << false;
    QTest::newRow("comment") << QByteArray("a = 1 # one") << QByteArray("\"2 # two\"")
                             << QByteArray() << QByteArray() << 3.0 << "" << false;
    QTest::newRow("statements by ;") << QByteArray("b = 2; a = b - 1") << QByteArray("\"b\"")
                                     << QByteArray() << QByteArray() << 3.0 << "" << false;
    QTest::newRow("log natural and to a base")
        << QByteArray("a = 1") << QByteArray("\"log(e^2) + log(8, 2)\"") << QByteArray()
        << QByteArray() << 6.0 << "" << false;
    QTest::newRow("pow square mean pi")
        << QByteArray("a = 1") << QByteArray("\"pow(2, 3) + square(2) + mean(1, 3) + 0*pi\"")
        << QByteArray() << QByteArray() << 15.0 << "" << false;
    QTest::newRow("function without a match")
        << QByteArray("a = 1") << QByteArray("\"foo(2)\"") << QByteArray() << QByteArray() << 1.0
        << "foo" << true;
    QTest::newRow("draw stored") << QByteArray("a = 1\\nr = random()") << QByteArray("\"r\"")
                                 << QByteArray() << QByteArray() << 1.25 << "" << false;
    QTest::newRow("draw not stored")
        << QByteArray("a = 1\\nq = normal(0, 1)") << QByteArray("\"q\"") << QByteArray()
        << QByteArray() << 1.0 << "" << true;
    // The option's payoff sees the file's a; below the node, its own.
    QTest::newRow("node code overrides")
        << QByteArray("a = 1") << QByteArray("\"a\"") << QByteArray("a = a + 9") << QByteArray()
        << 11.0 << "" << false;
    // Both read: the value is the combined one at the weight 1, 3 - 7.
    QTest::newRow("two criteria") << QByteArray("a = 1") << QByteArray("[2, 7]") << QByteArray()
                                  << QByteArray("max-min") << -4.0 << "" << false;
    QTest::newRow("two criteria under a rule of one")
        << QByteArray("a = 1") << QByteArray("[2, 7]") << QByteArray() << QByteArray() << 3.0
        << "two payoff criteria" << false;
    QTest::newRow("pair of one criterion") << QByteArray("a = 1") << QByteArray("[\"2\", \"0\"]")
                                           << QByteArray() << QByteArray() << 3.0 << "" << false;
    // Left out as a project file leaves them out, so what is shown saves as it is.
    QTest::newRow("characters XML cannot carry")
        << QByteArray("a = 1") << QByteArray("\"pow(\\u0000\\u0000 2, 3)\"") << QByteArray()
        << QByteArray() << 9.0 << "" << false;
    QTest::newRow("draw across characters XML cannot carry")
        << QByteArray("a = 1\\nr = ran\\u0001dom()") << QByteArray("\"r\"") << QByteArray()
        << QByteArray() << 1.25 << "" << false;
    QTest::newRow("dollar in a name") << QByteArray("a = 1; $a = 1") << QByteArray("\"$a + 1\"")
                                      << QByteArray() << QByteArray() << 3.0 << "" << false;
    QTest::newRow("unknown rule") << QByteArray("a = 1") << QByteArray("2") << QByteArray()
                                  << QByteArray("best") << 3.0 << "\"best\" is not known" << false;
    QTest::newRow("code that assigns nothing")
        << QByteArray("a = 1\\nf(x) = x") << QByteArray("2") << QByteArray() << QByteArray() << 3.0
        << "f(x) = x" << false;
}

void TestPeerJson::constructs()
{
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, payoff);
    QFETCH(QByteArray, nodeCode);
    QFETCH(QByteArray, rule);
    QFETCH(QString, note);
    QFETCH(bool, problem);
    QBuffer buffer;
    buffer.setData(OneOption(code, payoff, nodeCode, rule));
    CProjectDocument document;
    const CProjectFile::ReadResult result = document.Read(buffer);
    QVERIFY2(result.Succeeded(), qPrintable(result.Message()));
    QVERIFY2(note.isEmpty() ? result.notes.isEmpty() : result.NotesMessage().contains(note),
             qPrintable(result.NotesMessage()));
    QCOMPARE(!result.formulaProblems.empty(), problem);
    QTEST(Value(document), "value");
    // A pre-0.6 file without positions is arranged where it is shown.
    QVERIFY(!result.positioned && !document.GetRoot()->HasPosition());
}

void TestPeerJson::refused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("why");
    const QByteArray tree = R"({"SilverDecisions": "1.2.1", "data": {"trees": [)";
    QTest::newRow("not JSON") << QByteArray("{\"SilverDecisions\": ") << "not JSON";
    QTest::newRow("nested too deep") << QByteArray(5000, '[') << "not JSON";
    QTest::newRow("other JSON") << QByteArray("[1]") << "no SilverDecisions file";
    // Escapes decoded; a nested value given twice is what Qt's parser leaks.
    QTest::newRow("name twice") << tree + R"({"type": "terminal", "name": {"x": []}, "name": 4}]}})"
                                << "the name \"name\" comes twice";
    QTest::newRow("no version") << QByteArray(R"({"data": {"trees": []}})")
                                << "no SilverDecisions file";
    QTest::newRow("no trees") << QByteArray(R"({"SilverDecisions": "1.0", "data": {}})")
                              << "no list of \"trees\"";
    QTest::newRow("empty") << tree + "]}}"
                           << "holds no tree";
    QTest::newRow("tree no node") << tree + "1]}}"
                                  << "tree 1 is not a node";
    QTest::newRow("unknown type") << tree + R"({"type": "fork", "name": "F"}]}})"
                                  << "\"F\" is of the type \"fork\"";
    QTest::newRow("edge without child")
        << tree + R"({"type": "decision", "childEdges": [{"name": "o"}]}]}})"
        << "an option of a node without a name has no child node";
    QTest::newRow("edges no list") << tree + R"({"type": "chance", "childEdges": 3}]}})"
                                   << "are no list";
    QTest::newRow("terminal with options")
        << tree + R"({"type": "terminal", "childEdges": [{"childNode": {"type": "terminal"}}]}]}})"
        << "terminal node with options";
}

void TestPeerJson::refused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, why);
    CProjectDocument document;
    QVERIFY(document.Read(Example("Umbrella.json")).Succeeded());
    const QString strPath = Write(dir, QStringLiteral("refused.json"), file);
    const CProjectFile::ReadResult result = document.Read(strPath);
    QVERIFY(!result.opened);
    QVERIFY2(result.Message().contains(strPath) && result.Message().contains(why),
             qPrintable(result.Message()));
    // Nothing half-opened: the project shown before stays.
    QCOMPARE(Value(document), -3.0);
}

void TestPeerJson::treesOfOneFile()
{
    const QString strPath = Write(dir, QStringLiteral("two.json"), R"({"SilverDecisions": "1.0",
        "title": "Two", "data": {"trees": [
        {"type": "terminal", "location": {"x": 10, "y": 20}},
        {"type": "chance", "location": {"x": 0, "y": 0}, "childEdges": [
            {"payoff": 4, "probability": "#", "childNode": {"type": "terminal"}},
            {"payoff": 8, "probability": "#", "childNode": {"type": "terminal"}}]}]}})");
    CProjectDocument document;
    CProjectFile::ReadResult result = document.Read(strPath);
    QCOMPARE(result.treeCount, 2);
    QCOMPARE(document.GetProjectName(), QStringLiteral("Two (tree 1 of 2)"));
    QCOMPARE(document.GetRoot()->children.front()->x, 20);
    result = document.Read(strPath, 1);
    QVERIFY(result.Succeeded());
    // Two "#" share the rest; a node without a location leaves the tree unplaced.
    QCOMPARE(Value(document), 6.0);
    QVERIFY(!result.positioned);
    QVERIFY(document.Read(strPath, 2).Message().contains("there is no tree 3"));
}

void TestPeerJson::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The seeds hold the peer's shapes that once broke it: a chance node and
    // a decision without options beside probabilities adding up to 1.299,
    // empty names, a fold, formulas, "#".
    for (const char *pDir : {RAMIFY_EXAMPLES_DIR, RAMIFY_SEEDS_DIR}) {
        const QDir folder(QString::fromUtf8(pDir));
        for (const QString &strFile : folder.entryList({"*.json", "*.rmproj"}, QDir::Files)) {
            QFile file(folder.filePath(strFile));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(strFile)) << file.readAll();
        }
    }
    CProjectDocument fresh;
    fresh.NewTree(QStringLiteral("New"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(fresh.Write(buffer, nullptr));
    QTest::newRow("a new project's lone end") << buffer.data();
}

void TestPeerJson::roundTrip()
{
    QFETCH(QByteArray, bytes);
    const QString strFault = PeerRoundTrip::Fault(bytes);
    QVERIFY2(strFault.isEmpty(), qPrintable(strFault));
}

// The tool's draws stay distributions, their stored draw the base value,
// and go back as the same calls; random(a, b) comes back as Uniform.
void TestPeerJson::distributionsRoundTrip()
{
    QByteArray bytes = OneOption("a = 1\\nr = Normal(0.25, 0.05)\\nu = random(0.1, 0.4)", "\"r\"");
    QStringList shown;
    for (int nPass = 0; nPass < 2; ++nPass) {
        QBuffer buffer;
        buffer.setData(bytes);
        CProjectDocument document;
        QVERIFY(document.Read(buffer).Succeeded());
        const CVariables &variables = document.GetVariables();
        shown.clear();
        for (int v = 0; v < variables.Count(); ++v)
            shown << QString::fromStdString(variables.At(v).name + " " +
                                            variables.At(v).distribution + " " +
                                            variables.At(v).comment);
        QCOMPARE(shown, QStringList({"a  ", "r Normal(0.25, 0.05) ", "u Uniform(0.1, 0.4) "}));
        // A draw the file stored is a number, not a formula left to fail.
        QVERIFY(variables.At(1).formula.empty() && variables.At(1).value == 0.25);
        QString strError;
        bytes = CPeerJsonWriter::Write(document.GetTree(), "T", CProjectSettings(), &strError);
        QVERIFY2(bytes.contains("r = Normal(0.25, 0.05)"), bytes.constData());
    }
}

void TestPeerJson::tooDeepToExport()
{
    // Deeper than JSON readers nest, the file could not be read back.
    CDecisionTree tree;
    tree.SetRoot(MakeChain(2000));
    QString strError;
    QVERIFY(CPeerJsonWriter::Write(tree, "Deep", CProjectSettings(), &strError).isEmpty());
    QVERIFY2(strError.contains("levels deep"), qPrintable(strError));
}

void TestPeerJson::csvCells()
{
    const double dSum = 0.1 + 0.2;
    QCOMPARE(CCsvTable::Write({"name", "value"},
                              {{"a, b", "say \"hi\""}, {PlainNumber(dSum), PlainNumber(1e300)}}),
             QByteArray("name,value\n\"a, b\",\"say \"\"hi\"\"\"\n0.30000000000000004,1e+300\n"));
    QCOMPARE(PlainNumber(dSum).toDouble(), dSum);
}

QTEST_GUILESS_MAIN(TestPeerJson)
#include "TextNumber.h"
#include "tst_peerjson.moc"
