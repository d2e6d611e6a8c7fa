#include "CProjectFile.h"
#include "TreeBuilders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace TreeBuilders;

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
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        run.err = QStringLiteral("did not finish normally");
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString Example(const char *pFileName)
{
    return QStringLiteral(RAMIFY_EXAMPLES_DIR "/") + QLatin1String(pFileName);
}

// A line of the tree listing: the drawn branch and name, then the columns.
QRegularExpression TreeLine(const QString &strNameWithBranch, const char *pKind,
                            const QString &strProbability, const QString &strValue, bool bChosen)
{
    return QRegularExpression(
        QStringLiteral("^%1 +%2 +%3 +(\\S+ +)?%4%5$")
            .arg(QRegularExpression::escape(strNameWithBranch), QLatin1String(pKind),
                 QRegularExpression::escape(strProbability), QRegularExpression::escape(strValue),
                 bChosen ? QStringLiteral("  \\*") : QString()),
        QRegularExpression::MultilineOption);
}

} // namespace

class TestSolveCli : public QObject
{
    Q_OBJECT

private slots:
    void textOfExamples_data();
    void textOfExamples();
    void jsonOfExamples_data();
    void jsonOfExamples();
    void inconsistentSituation();
    void writeSavesSolvedTree();
    void unreadableInput_data();
    void unreadableInput();
    void usageErrors_data();
    void usageErrors();
    void help();
    void deepTreeStaysNarrow();

private:
    QTemporaryDir dir;
};

void TestSolveCli::textOfExamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QRegularExpression>("line");
    QTest::newRow("Plan") << Example("Plan.rmproj") << "10"
                          << QStringList{"\"D\" chooses \"A\" (value 10)"}
                          << TreeLine("      └─ S", "Situation", "1", "9", false);
    QTest::newRow("Oil wildcatter") << Example("OilWildcatter.rmproj") << "20000"
                                    << QStringList{"\"Drill?\" chooses \"Drill\" (value 20000)"}
                                    << TreeLine("   │     ├─ Wet", "Option", "0.3", "50000", true);
    QTest::newRow("Party") << Example("Party.rmproj") << "70"
                           << QStringList{"\"Location (Sun)\" chooses \"Outdoors\" (value 100)",
                                          "\"Location (Rain)\" chooses \"Indoors\" (value 50)"}
                           << TreeLine("         │  └─", "Terminal", "0.6", "0", false);
}

void TestSolveCli::textOfExamples()
{
    QFETCH(QString, file);
    QFETCH(QString, value);
    QFETCH(QStringList, choices);
    QFETCH(QRegularExpression, line);
    const Run run = Solve({file});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    QVERIFY(run.out.contains(QStringLiteral("\nValue:   %1\n").arg(value)));
    QVERIFY2(run.out.contains(QStringLiteral("Decisions:\n  ") + choices.join("\n  ") + "\n"),
             qPrintable(run.out));
    QVERIFY(run.out.contains(
        QStringLiteral("Situations whose probabilities do not add up to 1:\n  none\n")));
    QVERIFY2(line.match(run.out).hasMatch(), qPrintable(line.pattern() + "\n" + run.out));
}

void TestSolveCli::jsonOfExamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("nodes");
    QTest::addColumn<QStringList>("chosen");
    QTest::newRow("Plan") << Example("Plan.rmproj") << 10.0 << 10 << QStringList{"A"};
    QTest::newRow("Oil wildcatter")
        << Example("OilWildcatter.rmproj") << 20000.0 << 12 << QStringList{"Drill"};
    QTest::newRow("Party") << Example("Party.rmproj") << 70.0 << 18
                           << QStringList{"Outdoors", "Indoors"};
}

void TestSolveCli::jsonOfExamples()
{
    QFETCH(QString, file);
    QFETCH(double, value);
    QFETCH(int, nodes);
    QFETCH(QStringList, chosen);
    const Run run = Solve({QStringLiteral("--json"), file});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(json.value("file").toString(), file);
    QCOMPARE(json.value("value").toDouble(), value);
    QCOMPARE(json.value("consistent").toBool(), true);
    QVERIFY(json.value("inconsistentSituations").toArray().isEmpty());
    QStringList names;
    for (const QJsonValue &decision : json.value("decisions").toArray())
        names << decision.toObject().value("chosen").toString();
    QCOMPARE(names, chosen);

    const QJsonArray nodeList = json.value("nodes").toArray();
    QCOMPARE(nodeList.size(), nodes);
    for (int i = 0; i < nodeList.size(); ++i) {
        const QJsonObject node = nodeList.at(i).toObject();
        QCOMPARE(node.value("id").toInt(), i + 1);
        QVERIFY(node.value("parentId").toInt() < i + 1);
    }
    QCOMPARE(nodeList.at(0).toObject().value("value").toDouble(), value);
}

void TestSolveCli::inconsistentSituation()
{
    WorkedExample ex;
    ex.s2->probability = 0.5;
    ex.s->name = "Mark\net %1";
    const QString strPath = dir.filePath(QStringLiteral("odd.rmproj"));
    QVERIFY(CProjectFile::Write(strPath, ex.tree, QStringLiteral("Odd")));

    const Run text = Solve({strPath});
    QCOMPARE(text.exitCode, 0);
    QVERIFY2(text.out.contains(QStringLiteral("add up to 1:\n  \"Mark et %1\" adds up to 0.9\n")),
             qPrintable(text.out));
    // B leads to 0.4 * 30 + 0.5 * -5 = 9.5 < 10.
    QVERIFY(
        TreeLine("      └─ Mark et %1", "Situation", "1", "9.5", false).match(text.out).hasMatch());

    const Run json = Solve({strPath, QStringLiteral("--json")});
    QCOMPARE(json.exitCode, 0);
    const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(document.value("consistent").toBool(), false);
    const QJsonArray situations = document.value("inconsistentSituations").toArray();
    QCOMPARE(situations.size(), 1);
    QCOMPARE(situations.at(0).toObject().value("name").toString(), QStringLiteral("Mark\net %1"));
    QCOMPARE(situations.at(0).toObject().value("probabilitySum").toDouble(), 0.9);
}

void TestSolveCli::writeSavesSolvedTree()
{
    // Stored values start wrong; the written file must hold rolled-back ones.
    WorkedExample ex;
    ex.d->payoff = -1;
    ex.a->active = false;
    const QString strIn = dir.filePath(QStringLiteral("unsolved.rmproj"));
    const QString strOut = dir.filePath(QStringLiteral("solved.rmproj"));
    QVERIFY(CProjectFile::Write(strIn, ex.tree, QStringLiteral("Unsolved")));

    const Run run = Solve({QStringLiteral("--write"), strOut, strIn});
    QCOMPARE(run.exitCode, 0);
    CDecisionTree tree;
    const CProjectFile::ReadResult result = CProjectFile::Read(strOut, tree);
    QVERIFY(result.Succeeded());
    QCOMPARE(result.projectName, QStringLiteral("Unsolved"));
    const CNode *pDecision = tree.GetRoot()->children.at(0);
    QCOMPARE(pDecision->payoff, 10.0);
    QVERIFY(pDecision->children.at(0)->active);
    QCOMPARE(pDecision->children.at(1)->children.at(0)->payoff, 9.0);

    const Run failed = Solve({QStringLiteral("--write"), dir.filePath("missing/x.rmproj"), strIn});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY2(failed.err.contains(dir.filePath("missing/x.rmproj")), qPrintable(failed.err));
}

void TestSolveCli::unreadableInput_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("where");
    QTest::newRow("broken off") << QByteArray("<?xml version=\"1.0\"?>\n<RMFYProject Name=\"P\">\n"
                                              "<Node Type=\"0\"/>\n<Node Type=\"4\" Par")
                                << "line 4, column 18";
    QTest::newRow("not XML") << QByteArray("PK\x03\x04 binary") << "line 1, column 1";
    QTest::newRow("no tree") << QByteArray("<RMFYProject Name=\"P\"/>") << "holds no decision tree";
    QTest::newRow("missing") << QByteArray() << "Cannot open";
}

void TestSolveCli::unreadableInput()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, where);
    const QString strPath = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".rmproj");
    if (!content.isEmpty()) {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const Run run = Solve({strPath});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(strPath) && run.err.contains(where), qPrintable(run.err));
}

void TestSolveCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no file") << QStringList();
    QTest::newRow("two files") << QStringList{Example("Plan.rmproj"), Example("Party.rmproj")};
    QTest::newRow("unknown option") << QStringList{"--fast", Example("Plan.rmproj")};
    QTest::newRow("write without file") << QStringList{Example("Plan.rmproj"), "--write"};
}

void TestSolveCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    const Run run = Solve(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QVERIFY(run.err.contains(QStringLiteral("--help")));
}

void TestSolveCli::help()
{
    const Run run = Solve({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    for (const char *pText : {"Usage:", "--json", "--write <out>", "Exit status", "  2  "})
        QVERIFY2(run.out.contains(QLatin1String(pText)), pText);
}

void TestSolveCli::deepTreeStaysNarrow()
{
    const int nDepth = 20000;
    CDecisionTree tree;
    tree.SetRoot(MakeChain(nDepth));
    const QString strPath = dir.filePath(QStringLiteral("deep.rmproj"));
    QVERIFY(CProjectFile::Write(strPath, tree, QStringLiteral("Deep")));

    const Run run = Solve({strPath});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split('\n');
    int nLongest = 0;
    for (const QString &strLine : lines)
        nLongest = std::max(nLongest, int(strLine.size()));
    QVERIFY2(nLongest < 250, qPrintable(QString::number(nLongest)));
    // Every Option adds 1 on the way down the single path.
    const QString strValue = QString::number((nDepth - 2) / 2);
    QVERIFY(run.out.contains(QStringLiteral("\nValue:   %1\n").arg(strValue)));
    QVERIFY(
        TreeLine(QStringLiteral("(level %1) └─").arg(nDepth - 1), "Terminal", "1", strValue, true)
            .match(run.out)
            .hasMatch());
}

QTEST_GUILESS_MAIN(TestSolveCli)
#include "tst_solvecli.moc"
