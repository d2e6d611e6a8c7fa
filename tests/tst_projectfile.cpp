#include "CDecisionSolver.h"
#include "CProjectDocument.h"
#include "CProjectFileWriter.h"
#include "TestTrees.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <cstring>
#include <limits>
#include <sys/resource.h>

// Writing and reading ".rmproj" files: exact bytes, exact numbers, texts that
// XML cannot carry, hostile files, and never losing the old file.
class TestProjectFile : public QObject
{
    Q_OBJECT

private slots:
    void exactBytesOfASmallProject();
    void roundTripOfEveryField_data();
    void roundTripOfEveryField();
    void fewestDigitsThatReadBack();
    void formulasDecideOnReading_data();
    void formulasDecideOnReading();
    void hostileFiles_data();
    void hostileFiles();
    void everyPathGetsAnEnd();
    void coordinates_data();
    void coordinates();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void unwritableTargets_data();
    void unwritableTargets();
};

namespace {

// The tree as nested names, e.g. "r[d[a[],b[]]]", with each link checked.
QString Shape(const CNode *pNode)
{
    if (!pNode)
        return QStringLiteral("-");
    QStringList children;
    for (const CNode *pChild : pNode->children)
        children << (pChild->parent == pNode ? Shape(pChild) : QStringLiteral("!"));
    return QString::fromStdString(pNode->name) + '[' + children.join(',') + ']';
}

} // namespace

void TestProjectFile::exactBytesOfASmallProject()
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
    QCOMPARE(WriteBytes(tree, QStringLiteral("Tiny")),
             QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                        "<RMFYProject Name=\"Tiny\" Version=\"1\">\n"
                        "    <Node ID=\"1\" ParentID=\"0\" Type=\"0\" Name=\"Start\" "
                        "Probability=\"1\" Payoff=\"2.5\" X=\"10\" Y=\"-20\" TRUE=\"1\" "
                        "PayoffComment=\"\"/>\n"
                        "    <Node ID=\"2\" ParentID=\"1\" Type=\"4\" Name=\"\" "
                        "Probability=\"0.4\" Payoff=\"0\" X=\"\" Y=\"\" TRUE=\"0\" "
                        "PayoffComment=\"a &quot;b&quot; &amp; c\"/>\n"
                        "</RMFYProject>\n"));
}

void TestProjectFile::roundTripOfEveryField_data()
{
    // Characters XML cannot carry are dropped, not written into a file that
    // then cannot be read at all. The project name comes from the user
    // interface as UTF-16 and may hold a lone surrogate; node texts are UTF-8,
    // into which Qt converts one as "?".
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("keptInName"); // null: as written
    QTest::addColumn<QString>("keptInNodes");
    QTest::newRow("plain") << "Plan" << 0.4 << QString() << QString();
    QTest::newRow("non-ASCII") << QStringLiteral("Ærøskøbing, 日本, 😀") << 1234567.891 << QString()
                               << QString();
    QTest::newRow("markup and quotes")
        << "a < b && \"c\" </Node> <!--" << 1.0 / 3 << QString() << QString();
    QTest::newRow("line breaks, blanks")
        << "  a\nb\r\n\tc  " << 0.1 + 0.2 << QString() << QString();
    QTest::newRow("entities as text") << "&amp; &#10; &lt;" << -1e-300 << QString() << QString();
    QTest::newRow("empty") << "" << std::numeric_limits<double>::lowest() << QString() << QString();
    QTest::newRow("control characters")
        << QStringLiteral("a\x01") + "b\x1f" + "c\td" << 1.0 << "abc\td"
        << "abc\td";
    QTest::newRow("nul and non-characters")
        << QString::fromUtf16(u"x\0y\uFFFEz\uFFFF", 6) << 1.0 << "xyz"
        << "xyz";
    QTest::newRow("lone surrogate") << QStringLiteral("ab") + QChar(0xD83D) + "cd" << 1.0 << "abcd"
                                    << "ab?cd";
}

void TestProjectFile::roundTripOfEveryField()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QFETCH(QString, keptInName);
    QFETCH(QString, keptInNodes);
    WorkedExample ex;
    CDecisionSolver().Solve(ex.root);
    // No text here is a formula that can be computed, so each is kept as
    // written and the numbers stay as stored.
    const auto setTexts = [&](const QString &strText) {
        ex.root->name = ex.s->name = ex.s1->name = ex.s1->payoffComment = ex.s1->payoffFormula =
            ex.s2->probabilityFormula = strText.toStdString();
        ex.tree.Variables().Clear();
        ex.tree.Variables().Add({"v", number, strText.toStdString(), true, -number, false, 0.0,
                                 strText.toStdString(), strText.toStdString()});
    };
    setTexts(text);
    ex.s1->payoff = number;
    ex.s2->probability = -number;
    ex.root->probability = 0.75;
    ex.d->x = 150;
    ex.d->y = -75;
    ex.s->x = std::numeric_limits<int32_t>::max();
    ex.s->y = std::numeric_limits<int32_t>::min() + 1;
    ex.s->folded = true;
    CProjectSettings settings;
    settings.numbers = {true, 2, text, text};

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(CProjectFile::Write(buffer, ex.tree, text, settings, nullptr));
    const QByteArray bytes = buffer.data();
    CDecisionTree copy;
    const CProjectFile::ReadResult result = ReadBytes(bytes, copy);
    QVERIFY2(result.Succeeded(), qPrintable(result.Message()));
    settings.numbers.prefix = settings.numbers.suffix = result.projectName;
    QCOMPARE(result.settings, settings);
    QCOMPARE(result.projectName, keptInName.isNull() ? text : keptInName);
    // Exactly the same doubles, not close ones; the same bytes when saved again.
    setTexts(keptInNodes.isNull() ? text : keptInNodes);
    CompareTrees(ex.root, copy.GetRoot());
    QCOMPARE(copy.Variables().Count(), 1);
    const CVariables::Variable &read = copy.Variables().At(0);
    const CVariables::Variable &written = ex.tree.Variables().At(0);
    QCOMPARE(read.formula + "|" + read.comment + "|" + read.distribution,
             written.formula + "|" + written.comment + "|" + written.distribution);
    QCOMPARE(QVector<double>({read.value, read.low, double(read.hasLow), double(read.hasHigh)}),
             QVector<double>({number, -number, 1.0, 0.0}));
    QBuffer again;
    again.open(QIODevice::WriteOnly);
    QVERIFY(CProjectFile::Write(again, copy, text, result.settings, nullptr));
    if (keptInName.isNull())
        QCOMPARE(again.data(), bytes);
}

void TestProjectFile::fewestDigitsThatReadBack()
{
    // Six digits as long as they read back exactly, else as few more as it takes.
    QCOMPARE(CProjectFileWriter::FormatNumber(0.00001), QStringLiteral("1e-05"));
    QCOMPARE(CProjectFileWriter::FormatNumber(1.5e6), QStringLiteral("1.5e+06"));
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
    }
}

void TestProjectFile::formulasDecideOnReading_data()
{
    // A Situation "s" with the options "o4" and "o5" below the variables.
    QTest::addColumn<QByteArray>("variables");
    QTest::addColumn<QByteArray>("extra4"); // a PayoffFormula comes last
    QTest::addColumn<QByteArray>("extra5");
    QTest::addColumn<QVector<double>>("expected"); // payoff and probability of o4, then of o5
    QTest::addColumn<QString>("problem");
    const QByteArray half = "Probability=\"0.5\"";
    const QByteArray a = "<Variable Name=\"a\" Value=\"2\"/>";
    QTest::newRow("stale numbers recomputed")
        << a + "<Variable Name=\"b\" Value=\"0\" Formula=\"a * 3\"/>"
        << half + " ProbabilityFormula=\"0.1*a\" PayoffFormula=\"b - a\"" << half
        << QVector<double>{4, 0.2, 9, 0.5} << "";
    QTest::newRow("rest") << a << QByteArray("Probability=\"0.3\"")
                          << QByteArray("ProbabilityFormula=\" # \"")
                          << QVector<double>{9, 0.3, 9, 0.7} << "";
    QTest::newRow("unknown name") << a << half + " PayoffFormula=\"a + bb\"" << half
                                  << QVector<double>{9, 0.5, 9, 0.5}
                                  << "Payoff of \"o4\": \"bb\" is not a variable";
    QTest::newRow("syntax") << a << half + " PayoffFormula=\"a *\"" << half
                            << QVector<double>{9, 0.5, 9, 0.5} << "Payoff of \"o4\": \"a *\"";
    QTest::newRow("not finite") << a << half + " PayoffFormula=\"1 / (a - 2)\"" << half
                                << QVector<double>{9, 0.5, 9, 0.5} << "not a finite number";
    QTest::newRow("cycle") << QByteArray("<Variable Name=\"x\" Value=\"1\" Formula=\"y\"/>"
                                         "<Variable Name=\"y\" Value=\"1\" Formula=\"x + 1\"/>")
                           << half + " PayoffFormula=\"y\"" << half
                           << QVector<double>{1, 0.5, 9, 0.5}
                           << QStringLiteral("x \u2192 y \u2192 x");
    QTest::newRow("bad names") << a + a + "<Variable Name=\"sin\" Value=\"x\"/>" << half << half
                               << QVector<double>{9, 0.5, 9, 0.5}
                               << "Variable \"a\": Another variable has this name.\n"
                                  "Variable \"sin\": \"sin\" is the name of a function.";
}

void TestProjectFile::formulasDecideOnReading()
{
    QFETCH(QByteArray, variables);
    QFETCH(QByteArray, extra4);
    QFETCH(QByteArray, extra5);
    QFETCH(QVector<double>, expected);
    QFETCH(QString, problem);
    const QByteArray file =
        Project(variables + NodeXml(1, 0, 0) + NodeXml(2, 1, 1) + NodeXml(3, 2, 2, "Name=\"s\"") +
                NodeXml(4, 3, 3, "Name=\"o4\" Payoff=\"9\" " + extra4) +
                NodeXml(5, 3, 3, "Payoff=\"9\" " + extra5) + NodeXml(6, 4, 4) + NodeXml(7, 5, 4));
    CDecisionTree tree;
    const CProjectFile::ReadResult result = ReadBytes(file, tree);
    QVERIFY(result.Succeeded());
    const CNode *pSituation = tree.GetRoot()->children[0]->children[0];
    const CNode *p4 = pSituation->children[0];
    const CNode *p5 = pSituation->children[1];
    QCOMPARE(QVector<double>({p4->payoff, p4->probability, p5->payoff, p5->probability}), expected);
    QVERIFY2(problem.isEmpty() == result.formulaProblems.empty() &&
                 result.FormulaMessage().contains(problem),
             qPrintable(result.FormulaMessage()));
    // Formulas are kept as written, whatever became of them.
    const QByteArray again = WriteBytes(tree, QStringLiteral("P"));
    const int nFormula = extra4.indexOf("PayoffFormula");
    QVERIFY(again.contains("Version=\"2\"") &&
            (nFormula < 0 || again.contains(extra4.mid(nFormula))));
}

void TestProjectFile::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("shape");
    WorkedExample ex;
    const QByteArray plan = WriteBytes(ex.tree, QStringLiteral("Plan"));
    const int nCut = plan.indexOf("Name=\"S1\"");
    QTest::newRow("broken off in a node")
        << plan.left(nCut + 7) << false << "Plan[D[A[[]],B[S[]]]]";
    QTest::newRow("nodes inside other elements")
        << Project("<a><b>" + NodeXml(1, 0, 0, "Name=\"r\"") + "</b>" +
                   NodeXml(2, 1, 4, "Name=\"t\"") + "</a>")
        << true << "r[t[]]";
    QTest::newRow("unknown kind and dangling parents")
        << Project(NodeXml(1, 0, 0, "Name=\"r\"") + NodeXml(2, 1, 7, "Name=\"x\"") +
                   NodeXml(3, 2, 1, "Name=\"lost\"") + NodeXml(4, 1, 1, "Name=\"d\""))
        << true << "r[d[]]";
    QTest::newRow("second Root below the first")
        << Project(NodeXml(1, 0, 0, "Name=\"first\"") + NodeXml(2, 1, 1, "Name=\"d\"") +
                   NodeXml(3, 2, 0, "Name=\"second\"") + NodeXml(4, 3, 4, "Name=\"t\"") +
                   NodeXml(5, 2, 3, "Name=\"late\""))
        << true << "second[t[]]";
    QTest::newRow("same ID for two Roots")
        << Project(NodeXml(1, 0, 0, "Name=\"first\"") + NodeXml(1, 0, 0, "Name=\"second\"") +
                   NodeXml(2, 1, 2, "Name=\"s\""))
        << true << "second[s[]]";
    QTest::newRow("no Root at all") << Project(NodeXml(2, 1, 3, "Name=\"o\"")) << true << "-";
    QByteArray laughs = "<!DOCTYPE RMFYProject [<!ENTITY l0 \"lollollollol\">";
    for (int i = 1; i < 10; ++i)
        laughs += QStringLiteral("<!ENTITY l%1 \"%2\">")
                      .arg(i)
                      .arg(QStringLiteral("&l%1;").arg(i - 1).repeated(10))
                      .toUtf8();
    QTest::newRow("nested entities")
        << "<?xml version=\"1.0\"?>\n" + laughs + "]>" + Project(NodeXml(1, 0, 0)).mid(22) << false
        << "-";
    QTest::newRow("attribute defaults")
        << QByteArray("<!DOCTYPE RMFYProject [<!ATTLIST Node Type CDATA \"0\">]>") +
               Project(NodeXml(1, 0, 0)).mid(22)
        << false << "-";
    QTest::newRow("bare document type")
        << QByteArray("<!DOCTYPE RMFYProject>") + Project(NodeXml(1, 0, 0, "Name=\"r\"")).mid(22)
        << true << "r[]";
}

void TestProjectFile::hostileFiles()
{
    // What a file brings is kept as far as it goes; nothing it names may be
    // used after it was freed (the sanitizer build watches), and entities
    // that expand a small file into gigabytes are refused.
    QFETCH(QByteArray, file);
    QFETCH(bool, complete);
    QFETCH(QString, shape);
    CDecisionTree tree;
    tree.SetRoot(CNode::CreateRoot(nullptr, "stale"));
    const CProjectFile::ReadResult result = ReadBytes(file, tree);
    QCOMPARE(result.complete, complete);
    QCOMPARE(Shape(tree.GetRoot()), shape);
}

void TestProjectFile::everyPathGetsAnEnd()
{
    // An option "o" and, below a Situation, a Situation "s" with nothing
    // below them and an end "t" among options: the rollback must not take
    // their inputs for path sums, nor share out the rest "#" by a
    // probability it overwrites afterwards.
    const QByteArray file =
        Project(NodeXml(1, 0, 0) + NodeXml(2, 1, 1) + NodeXml(3, 2, 3, "Name=\"o\" Payoff=\"5\"") +
                NodeXml(4, 2, 3) + NodeXml(5, 4, 2) +
                NodeXml(6, 5, 3, "Name=\"rest\" Probability=\"0.1\" ProbabilityFormula=\"#\"") +
                NodeXml(7, 5, 2, "Name=\"s\" Probability=\"0.3\" Payoff=\"7\"") + NodeXml(8, 6, 4) +
                NodeXml(9, 5, 4, "Name=\"t\" Probability=\"0.2\""));
    QByteArray bytes = file;
    QString strShape;
    for (int nPass = 0; nPass < 2; ++nPass) {
        QBuffer input(&bytes);
        CProjectDocument document;
        QVERIFY(document.Read(input).Succeeded());
        const CNode *pDecision = document.GetRoot()->children[0];
        const CNode *pSituation = pDecision->children[1]->children[0];
        QCOMPARE(pDecision->children[0]->payoff, 5.0);
        QCOMPARE(pSituation->children[0]->probability, 0.5);
        QCOMPARE(pSituation->children[1]->probability, 0.3);
        QCOMPARE(pSituation->children[2]->probability, 0.2);
        // Saved and read again, the tree is the one shown.
        if (nPass == 1)
            QCOMPARE(Shape(document.GetRoot()), strShape);
        strShape = Shape(document.GetRoot());
        QBuffer output;
        output.open(QIODevice::WriteOnly);
        QVERIFY(document.Write(output, nullptr));
        bytes = output.data();
    }
    // Without its end an option keeps the values the file stored right: an
    // end given on reading had nothing stored to be out of date with.
    QBuffer crafted;
    crafted.setData(Project(NodeXml(1, 0, 0) + NodeXml(2, 1, 1) +
                            NodeXml(3, 2, 3, "Name=\"o\" Payoff=\"5\"") + NodeXml(4, 2, 3)));
    CProjectDocument solved;
    QVERIFY(solved.Read(crafted).Succeeded());
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    QVERIFY(solved.Write(saved, nullptr));
    const QString strSaved = QString::fromUtf8(saved.data());
    const QRegularExpression option(QStringLiteral("ID=\"(\\d+)\"[^>]*Name=\"o\""));
    const QRegularExpression end(QStringLiteral("\\s*<Node [^>]*ParentID=\"%1\"[^>]*/>")
                                     .arg(option.match(strSaved).captured(1)));
    QByteArray cut = QString(strSaved).remove(end).toUtf8();
    QVERIFY(cut.size() < saved.data().size());
    QBuffer input(&cut);
    CProjectDocument document;
    QVERIFY(document.Read(input).Succeeded());
    QVERIFY(!document.StoredValuesWereStale());
}

void TestProjectFile::coordinates_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("read");
    QTest::newRow("empty: not placed") << QByteArray() << int(CNode::NoPosition);
    QTest::newRow("fraction") << QByteArray("-12.9") << -12;
    QTest::newRow("too large") << QByteArray("1e12") << std::numeric_limits<int32_t>::max();
    QTest::newRow("not a number") << QByteArray("nan") << int(CNode::NoPosition);
}

void TestProjectFile::coordinates()
{
    // Converting a double outside the 32-bit range is undefined behaviour.
    QFETCH(QByteArray, text);
    QFETCH(int, read);
    CDecisionTree tree;
    QVERIFY(ReadBytes(Project(NodeXml(1, 0, 0, "X=\"" + text + "\" Y=\"" + text + "\"")), tree)
                .Succeeded());
    QCOMPARE(tree.GetRoot()->x, read);
    QCOMPARE(tree.GetRoot()->y, read);
}

void TestProjectFile::fullDiskKeepsOldFile_data()
{
    // A small file fails only when its last buffer is flushed; a large one
    // while it is being written.
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
    // Saving again keeps the file's permissions; a new file is never executable.
    QVERIFY(QFile::setPermissions(strPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QFile::Permissions kept = QFile::permissions(strPath);
    QVERIFY(CProjectFile::Write(strPath, ex.tree, QStringLiteral("Plan")));
    QCOMPARE(QFile::permissions(strPath), kept);
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
    QCOMPARE(file.readAll(), WriteBytes(ex.tree, QStringLiteral("Plan")));
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
    // Each fails with a message naming the file, and the old file stays.
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString strPath = dir.filePath(QStringLiteral("p.rmproj"));
    const QByteArray before = "old content";
    if (kind == "missing") {
        strPath = dir.filePath(QStringLiteral("no/such/folder/p.rmproj"));
    } else if (kind == "read-only") {
        QFile old(strPath);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(before);
        old.close();
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFile(dir.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly)) {
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
    if (kind == "read-only") {
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

QTEST_APPLESS_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
