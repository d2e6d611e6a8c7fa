#include "CDecisionSolver.h"
#include "CProjectFile.h"
#include "CProjectFileWriter.h"
#include "ProjectFileHelpers.h"
#include "TreeBuilders.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>

using namespace ProjectFileHelpers;
using namespace TreeBuilders;

// What is written, how it reads back, and how saving fails.
class TestProjectFile : public QObject
{
    Q_OBJECT

private slots:
    void exactBytesOfTwoNodes();
    void roundTripOfEveryField();
    void roundTripOfTexts_data();
    void roundTripOfTexts();
    void numbers_data();
    void numbers();
    void fewestDigitsThatReadBack();
    void unsafeCharacters_data();
    void unsafeCharacters();
    void deepChain();
    void writeWithoutRoot();
    void writeReplacesWholeFile();
    void fullDeviceFails();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void unwritableTargets_data();
    void unwritableTargets();
};

void TestProjectFile::exactBytesOfTwoNodes()
{
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "Start");
    tree.SetRoot(pRoot);
    pRoot->x = 10;
    pRoot->y = -20;
    pRoot->payoff = 2.5;
    CNode *pTerminal = CNode::CreateTerminal(pRoot, "");
    pTerminal->active = false;
    pTerminal->probability = 0.4;
    pTerminal->payoffComment = "a \"b\" & c";

    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<RMFYProject Name=\"Tiny\" Version=\"1\">\n"
        "    <Node ID=\"1\" ParentID=\"0\" Type=\"0\" Name=\"Start\" Probability=\"1\" "
        "Payoff=\"2.5\" X=\"10\" Y=\"-20\" TRUE=\"1\" PayoffComment=\"\"/>\n"
        "    <Node ID=\"2\" ParentID=\"1\" Type=\"4\" Name=\"\" Probability=\"0.4\" "
        "Payoff=\"0\" X=\"\" Y=\"\" TRUE=\"0\" PayoffComment=\"a &quot;b&quot; &amp; c\"/>\n"
        "</RMFYProject>\n";
    QCOMPARE(WriteBytes(tree, QStringLiteral("Tiny")), expected);
}

void TestProjectFile::roundTripOfEveryField()
{
    WorkedExample ex;
    CDecisionSolver().Solve(ex.root);
    ex.root->x = 0;
    ex.root->y = 0;
    ex.d->x = 150;
    ex.d->y = -75;
    ex.s->x = std::numeric_limits<int32_t>::max();
    ex.s->y = std::numeric_limits<int32_t>::min() + 1;
    ex.s1->payoffComment = "market grows";
    ex.root->probability = 0.75;

    const QByteArray bytes = WriteBytes(ex.tree, QStringLiteral("Plan"));
    CDecisionTree copy;
    const CProjectFile::ReadResult result = ReadBytes(bytes, copy);
    QVERIFY(result.Succeeded());
    QCOMPARE(result.projectName, QStringLiteral("Plan"));
    CompareTrees(ex.root, copy.GetRoot());
    QVERIFY(copy.GetRoot()->parent == nullptr);
    // Saving what was read gives the same bytes again.
    QCOMPARE(WriteBytes(copy, QStringLiteral("Plan")), bytes);
}

void TestProjectFile::roundTripOfTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("non-ASCII letters") << QStringLiteral("Ærøskøbing, München, Łódź, 日本, 😀");
    QTest::newRow("quotes") << QStringLiteral("say \"yes\" or 'no'");
    QTest::newRow("markup") << QStringLiteral("a < b && c > d </Node> <!-- x -->");
    QTest::newRow("line breaks") << QStringLiteral("first\nsecond\r\nthird\tend");
    QTest::newRow("outer spaces") << QStringLiteral("  padded  ");
    QTest::newRow("entities") << QStringLiteral("&amp; &#10; &lt;");
}

void TestProjectFile::roundTripOfTexts()
{
    QFETCH(QString, text);
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, text.toStdString());
    tree.SetRoot(pRoot);
    CNode *pDecision = CNode::CreateDecision(pRoot, text.toStdString());
    AddOption(pDecision, text.toStdString(), 1, 1)->payoffComment = text.toStdString();

    CDecisionTree copy;
    const CProjectFile::ReadResult result = ReadBytes(WriteBytes(tree, text), copy);
    QVERIFY(result.Succeeded());
    QCOMPARE(result.projectName, text);
    CompareTrees(pRoot, copy.GetRoot());
}

void TestProjectFile::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("0.4") << 0.4 << "0.4";
    QTest::newRow("one") << 1.0 << "1";
    QTest::newRow("small") << 0.00001 << "1e-05";
    QTest::newRow("million and a half") << 1.5e6 << "1.5e+06";
    QTest::newRow("negative") << -5.0 << "-5";
    QTest::newRow("seven digits") << 1234567.0 << "1234567";
    QTest::newRow("nine digits") << 0.123456789 << "0.123456789";
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.30000000000000004";
    QTest::newRow("third") << 1.0 / 3.0 << "0.3333333333333333";
    QTest::newRow("lowest") << std::numeric_limits<double>::lowest() << "-1.7976931348623157e+308";
    QTest::newRow("denormal") << std::numeric_limits<double>::denorm_min() << "4.94066e-324";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "inf";
}

void TestProjectFile::numbers()
{
    QFETCH(double, value);
    QFETCH(QString, written);
    QCOMPARE(CProjectFileWriter::FormatNumber(value), written);

    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    pRoot->payoff = value;
    pRoot->probability = -value;
    CDecisionTree copy;
    QVERIFY(ReadBytes(WriteBytes(tree, "p"), copy).Succeeded());
    // Exactly the same double, not merely a close one.
    QVERIFY(copy.GetRoot()->payoff == value);
    QVERIFY(copy.GetRoot()->probability == -value);
}

void TestProjectFile::fewestDigitsThatReadBack()
{
    // Doubles from random bit patterns cover every exponent and digit count.
    QRandomGenerator random(20240601);
    for (int i = 0; i < 20000; ++i) {
        const quint64 nBits = random.generate64();
        double dValue;
        std::memcpy(&dValue, &nBits, sizeof dValue);
        if (!std::isfinite(dValue))
            continue;
        QString strExpected;
        for (int nPrecision = 6; nPrecision <= 17; ++nPrecision) {
            strExpected = QString::number(dValue, 'g', nPrecision);
            if (strExpected.toDouble() == dValue)
                break;
        }
        QCOMPARE(CProjectFileWriter::FormatNumber(dValue), strExpected);
        QVERIFY(strExpected.toDouble() == dValue);
    }
}

void TestProjectFile::unsafeCharacters_data()
{
    // The project name comes from the user interface as UTF-16 and may hold a
    // lone surrogate; node texts are UTF-8, into which Qt converts one as "?".
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("keptInName");
    QTest::addColumn<QString>("keptInNodes");
    const QChar high(0xD83D);
    const QChar low(0xDE00);
    const QString strControls = QStringLiteral("a\x01"
                                               "b\x1f"
                                               "c\x7f"
                                               "d\te\r\nf");
    const QString strControlsKept = QStringLiteral("abc\x7f"
                                                   "d\te\r\nf");
    QTest::newRow("control characters") << strControls << strControlsKept << strControlsKept;
    QTest::newRow("nul") << QString::fromUtf16(u"x\0y", 3) << "xy"
                         << "xy";
    const QString strNonCharacters = QString::fromUtf16(u"a\uFFFEb\uFFFFc\uFFFDd");
    QTest::newRow("non-characters") << strNonCharacters << QString::fromUtf16(u"abc\uFFFDd")
                                    << QString::fromUtf16(u"abc\uFFFDd");
    QTest::newRow("unpaired high surrogate in the middle")
        << QStringLiteral("ab") + high + QStringLiteral("cd") << "abcd"
        << "ab?cd";
    QTest::newRow("unpaired low surrogate in the middle")
        << QStringLiteral("ab") + low + QStringLiteral("cd") << "abcd"
        << "ab?cd";
    QTest::newRow("unpaired surrogate at the end") << QStringLiteral("end") + high << "end"
                                                   << "end?";
    QTest::newRow("reversed pair") << QStringLiteral("x") + low + high + QStringLiteral("y") << "xy"
                                   << "x??y";
    QTest::newRow("proper pair") << QString(high) + low << QString(high) + low
                                 << QString(high) + low;
}

void TestProjectFile::unsafeCharacters()
{
    QFETCH(QString, text);
    QFETCH(QString, keptInName);
    QFETCH(QString, keptInNodes);
    WorkedExample ex;
    ex.root->name = text.toStdString();
    ex.s->name = text.toStdString();
    ex.s1->payoffComment = text.toStdString();

    CDecisionTree copy;
    const CProjectFile::ReadResult result = ReadBytes(WriteBytes(ex.tree, text), copy);
    QVERIFY2(result.Succeeded(), qPrintable(result.Message()));
    QCOMPARE(result.projectName, keptInName);

    // Everything else survives, including every node written after the text.
    ex.root->name = keptInNodes.toStdString();
    ex.s->name = keptInNodes.toStdString();
    ex.s1->payoffComment = keptInNodes.toStdString();
    CompareTrees(ex.root, copy.GetRoot());
}

void TestProjectFile::deepChain()
{
    const int nDepth = 100000;
    CDecisionTree tree;
    tree.SetRoot(MakeChain(nDepth));
    const QByteArray bytes = WriteBytes(tree, QStringLiteral("Deep"));
    QCOMPARE(bytes.count("<Node "), nDepth);

    CDecisionTree copy;
    QVERIFY(ReadBytes(bytes, copy).Succeeded());
    CompareTrees(tree.GetRoot(), copy.GetRoot());
}

void TestProjectFile::writeWithoutRoot()
{
    CDecisionTree tree;
    QString strError;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(!CProjectFile::Write(buffer, tree, QStringLiteral("p"), &strError));
    QVERIFY(!strError.isEmpty());
    QVERIFY(buffer.data().isEmpty());
}

void TestProjectFile::writeReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("p.rmproj"));
    QFile old(strPath);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();

    WorkedExample ex;
    QVERIFY(CProjectFile::Write(strPath, ex.tree, QStringLiteral("Plan")));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), WriteBytes(ex.tree, QStringLiteral("Plan")));
}

void TestProjectFile::fullDeviceFails()
{
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly))
        QSKIP("no /dev/full here");
    WorkedExample ex;
    QString strError;
    QVERIFY(!CProjectFile::Write(full, ex.tree, QStringLiteral("Plan"), &strError));
    QVERIFY(!strError.isEmpty());
}

void TestProjectFile::fullDiskKeepsOldFile_data()
{
    // A small file fails only when its buffer is flushed; a large one while
    // it is being written.
    QTest::addColumn<int>("nodes");
    QTest::newRow("fails on flush") << 60;
    QTest::newRow("fails while writing") << 2000;
}

void TestProjectFile::fullDiskKeepsOldFile()
{
    QFETCH(int, nodes);
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("p.rmproj"));
    WorkedExample ex;
    QVERIFY(CProjectFile::Write(strPath, ex.tree, QStringLiteral("Plan")));
    const QByteArray before = WriteBytes(ex.tree, QStringLiteral("Plan"));

    CDecisionTree big;
    big.SetRoot(MakeChain(nodes));
    // A file size limit makes every write past it fail, as a full disk would.
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    QString strError;
    const bool bWritten = CProjectFile::Write(strPath, big, QStringLiteral("Big"), &strError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!bWritten);
    QVERIFY(strError.contains(strPath));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.rmproj"});
}

void TestProjectFile::unwritableTargets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("read-only file system") << "proc";
    QTest::newRow("target is a folder") << "folder";
}

void TestProjectFile::unwritableTargets()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString strPath = dir.filePath(QStringLiteral("p.rmproj"));
    QByteArray before;
    if (kind == "missing") {
        strPath = dir.filePath(QStringLiteral("no/such/folder/p.rmproj"));
    } else if (kind == "read-only") {
        QFile old(strPath);
        QVERIFY(old.open(QIODevice::WriteOnly));
        before = "old content";
        old.write(before);
        old.close();
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(dir.filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("permissions do not bind this user");
        }
    } else if (kind == "proc") {
        strPath = QStringLiteral("/proc/ramify-test.rmproj");
    } else {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("p.rmproj")));
    }

    WorkedExample ex;
    QString strError;
    const bool bWritten = CProjectFile::Write(strPath, ex.tree, QStringLiteral("Plan"), &strError);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!bWritten);
    QVERIFY2(strError.contains(strPath), qPrintable(strError));
    if (!before.isEmpty()) {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
    if (kind == "folder")
        QVERIFY(QFileInfo(strPath).isDir());
}

QTEST_APPLESS_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
