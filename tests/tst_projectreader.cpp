#include "CProjectFile.h"
#include "ProjectFileHelpers.h"
#include "TreeBuilders.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace ProjectFileHelpers;
using namespace TreeBuilders;

// The reading rules, and files that are broken, crafted or hostile.
class TestProjectReader : public QObject
{
    Q_OBJECT

private slots:
    void sixDigitFilesReadAsBefore();
    void brokenOffFile_data();
    void brokenOffFile();
    void nodesAtAnyDepthWithExactNames();
    void unknownTypeAndDanglingParents();
    void laterIdReplacesEarlier();
    void severalRoots_data();
    void severalRoots();
    void missingAttributes();
    void coordinates_data();
    void coordinates();
    void flags_data();
    void flags();
    void charactersFromOtherEncodings();
    void declarations_data();
    void declarations();
    void readReplacesEarlierTree();
    void unopenableFileLeavesTree();
    void messages();
};

void TestProjectReader::sixDigitFilesReadAsBefore()
{
    CDecisionTree tree;
    const QByteArray bytes =
        Project("<Node ID=\"1\" ParentID=\"0\" Type=\"0\" Probability=\"0.123457\" "
                "Payoff=\"1.23457e+06\"/>\n");
    QVERIFY(ReadBytes(bytes, tree).Succeeded());
    QCOMPARE(tree.GetRoot()->probability, 0.123457);
    QCOMPARE(tree.GetRoot()->payoff, 1234570.0);

    // NaN has no digits to keep; it is written as Qt writes it and read back.
    tree.GetRoot()->payoff = std::nan("");
    CDecisionTree copy;
    QVERIFY(ReadBytes(WriteBytes(tree, "p"), copy).Succeeded());
    QVERIFY(std::isnan(copy.GetRoot()->payoff));
}

void TestProjectReader::brokenOffFile_data()
{
    QTest::addColumn<int>("nodesBefore");
    QTest::addColumn<int>("cutInto");
    // Cuts inside the element after nodesBefore complete ones, cutInto bytes in.
    QTest::newRow("inside the element name") << 5 << 3;
    QTest::newRow("between attributes") << 4 << 19;
    QTest::newRow("inside a value") << 7 << 45;
    QTest::newRow("before the slash") << 1 << -3;
    QTest::newRow("after the last node") << 10 << 0;
}

void TestProjectReader::brokenOffFile()
{
    QFETCH(int, nodesBefore);
    QFETCH(int, cutInto);
    WorkedExample ex;
    const QByteArray bytes = WriteBytes(ex.tree, QStringLiteral("Plan"));

    int nCut = -1;
    for (int i = 0; i <= nodesBefore; ++i)
        nCut = bytes.indexOf("<Node", nCut + 1);
    if (nCut < 0)
        nCut = bytes.indexOf("</RMFYProject>");
    else if (cutInto < 0)
        nCut = bytes.indexOf("/>", nCut) + 2 + cutInto;
    else
        nCut += cutInto;
    const QByteArray broken = bytes.left(nCut);

    CDecisionTree tree;
    const CProjectFile::ReadResult result = ReadBytes(broken, tree);
    QVERIFY(result.opened);
    QVERIFY(!result.complete);
    QVERIFY(!result.errorText.isEmpty());
    QCOMPARE(result.errorLine, qint64(broken.count('\n') + 1));
    QCOMPARE(result.projectName, QStringLiteral("Plan"));
    int nCount = 0;
    std::vector<const CNode *> pending{tree.GetRoot()};
    while (!pending.empty()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        ++nCount;
        pending.insert(pending.end(), pNode->children.begin(), pNode->children.end());
    }
    QCOMPARE(nCount, nodesBefore);
}

void TestProjectReader::nodesAtAnyDepthWithExactNames()
{
    const QByteArray bytes = "<?xml version=\"1.0\"?>\n<Wrapper>\n<RMFYProject Name=\"Deep\">\n"
                             "<Group><Node ID=\"1\" ParentID=\"0\" Type=\"0\" Name=\"r\"/>\n"
                             "<More><Node ID=\"2\" ParentID=\"1\" Type=\"1\" Name=\"d\">"
                             "<Node ID=\"3\" ParentID=\"2\" Type=\"3\" Name=\"inner\"/></Node>"
                             "</More></Group>\n"
                             "<node ID=\"4\" ParentID=\"2\" Type=\"3\" Name=\"lower case\"/>\n"
                             "<Node ID=\"5\" ParentID=\"2\" Type=\"3\" Name=\"after\"/>\n"
                             "<RMFYPROJECT Name=\"ignored\"/>\n"
                             "</RMFYProject>\n</Wrapper>\n";
    CDecisionTree tree;
    const CProjectFile::ReadResult result = ReadBytes(bytes, tree);
    QVERIFY(result.Succeeded());
    QCOMPARE(result.projectName, QStringLiteral("Deep"));
    QCOMPARE(ChildNames(tree.GetRoot()), QStringList{"d"});
    QCOMPARE(ChildNames(tree.GetRoot()->children[0]), (QStringList{"inner", "after"}));
}

void TestProjectReader::unknownTypeAndDanglingParents()
{
    const QByteArray bytes = Project(
        NodeXml(1, 0, 0, "r") + NodeXml(2, 1, 1, "d") + NodeXml(3, 2, 7, "seven") +
        NodeXml(4, 3, 3, "under seven") + NodeXml(5, 2, 3, "kept") + NodeXml(6, 99, 3, "dangling") +
        NodeXml(7, 6, 4, "under dangling") + NodeXml(8, 2, -1, "") + NodeXml(9, 5, 4, ""));
    CDecisionTree tree;
    QVERIFY(ReadBytes(bytes, tree).Succeeded());
    const CNode *pDecision = tree.GetRoot()->children.at(0);
    QCOMPARE(ChildNames(pDecision), QStringList{"kept"});
    QCOMPARE(pDecision->children[0]->children.size(), size_t(1));
    // The unreachable nodes were freed; the sanitizer run would report a leak.
}

void TestProjectReader::laterIdReplacesEarlier()
{
    const QByteArray bytes = Project(NodeXml(1, 0, 0, "r") + NodeXml(2, 1, 1, "first") +
                                     NodeXml(2, 1, 2, "second") + NodeXml(3, 2, 3, "under second"));
    CDecisionTree tree;
    QVERIFY(ReadBytes(bytes, tree).Succeeded());
    QCOMPARE(ChildNames(tree.GetRoot()), (QStringList{"first", "second"}));
    QVERIFY(tree.GetRoot()->children[0]->children.empty());
    QCOMPARE(ChildNames(tree.GetRoot()->children[1]), QStringList{"under second"});
}

void TestProjectReader::severalRoots_data()
{
    QTest::addColumn<QByteArray>("nodes");
    QTest::addColumn<QStringList>("rootChildren");
    QTest::addColumn<QString>("rootName");
    QTest::newRow("two trees") << NodeXml(1, 0, 0, "first") + NodeXml(2, 1, 1, "d1") +
                                      NodeXml(3, 0, 0, "second") + NodeXml(4, 2, 3, "under d1") +
                                      NodeXml(5, 3, 2, "s2")
                               << QStringList{"s2"} << "second";
    QTest::newRow("second Root below the first")
        << NodeXml(1, 0, 0, "first") + NodeXml(2, 1, 1, "d1") + NodeXml(3, 2, 0, "second") +
               NodeXml(4, 2, 3, "under d1") + NodeXml(5, 3, 4, "t2") + NodeXml(6, 1, 3, "x")
        << QStringList{"t2"} << "second";
    QTest::newRow("Root below a dangling node")
        << NodeXml(1, 77, 1, "loose") + NodeXml(2, 1, 0, "root") + NodeXml(3, 1, 3, "sibling") +
               NodeXml(4, 2, 1, "d")
        << QStringList{"d"} << "root";
    QTest::newRow("same ID for both Roots")
        << NodeXml(1, 0, 0, "first") + NodeXml(1, 0, 0, "second") + NodeXml(2, 1, 2, "s")
        << QStringList{"s"} << "second";
    QTest::newRow("first Root later again")
        << NodeXml(1, 0, 0, "first") + NodeXml(2, 1, 1, "d") + NodeXml(3, 2, 0, "second") +
               NodeXml(4, 2, 0, "third") + NodeXml(5, 4, 4, "t")
        << QStringList{"t"} << "third";
}

void TestProjectReader::severalRoots()
{
    QFETCH(QByteArray, nodes);
    QFETCH(QStringList, rootChildren);
    QFETCH(QString, rootName);
    CDecisionTree tree;
    QVERIFY(ReadBytes(Project(nodes), tree).Succeeded());
    const CNode *pRoot = tree.GetRoot();
    QVERIFY(pRoot);
    QVERIFY(pRoot->parent == nullptr);
    QCOMPARE(QString::fromStdString(pRoot->name), rootName);
    QCOMPARE(ChildNames(pRoot), rootChildren);
    for (const CNode *pChild : pRoot->children)
        QCOMPARE(pChild->parent, pRoot);
}

void TestProjectReader::missingAttributes()
{
    const QByteArray bytes = Project("<Node/>\n<Node ID=\"2\" ParentID=\"0\" Type=\"3\"/>\n"
                                     "<Node ParentID=\"0\" Type=\"4\" Name=\"under 0\"/>\n");
    CDecisionTree tree;
    QVERIFY(ReadBytes(bytes, tree).Succeeded());
    // A bare element is a Root registered under 0, so the nodes naming parent 0 hang below it.
    const CNode *pRoot = tree.GetRoot();
    QCOMPARE(pRoot->type, int(NodeType::Root));
    QCOMPARE(pRoot->name, std::string());
    QCOMPARE(pRoot->probability, 0.0);
    QCOMPARE(pRoot->payoff, 0.0);
    QVERIFY(!pRoot->HasPosition());
    QCOMPARE(pRoot->x, CNode::NoPosition);
    QVERIFY(pRoot->active);
    QVERIFY(pRoot->payoffComment.empty());
    QCOMPARE(ChildNames(pRoot), (QStringList{"", "under 0"}));
    const CNode *pOption = pRoot->children[0];
    QCOMPARE(pOption->type, int(NodeType::Option));
    QVERIFY(pOption->active);
    QCOMPARE(pOption->probability, 0.0);
}

void TestProjectReader::coordinates_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QByteArray("") << int(CNode::NoPosition);
    QTest::newRow("integer") << QByteArray("-40") << -40;
    QTest::newRow("fraction") << QByteArray("12.9") << 12;
    QTest::newRow("negative fraction") << QByteArray("-12.9") << -12;
    QTest::newRow("exponent") << QByteArray("1.5e3") << 1500;
    QTest::newRow("unreadable") << QByteArray("left") << 0;
    QTest::newRow("too large") << QByteArray("1e12") << std::numeric_limits<int32_t>::max();
    QTest::newRow("too small") << QByteArray("-1e300") << std::numeric_limits<int32_t>::min();
    QTest::newRow("just above") << QByteArray("2147483648") << std::numeric_limits<int32_t>::max();
    QTest::newRow("largest") << QByteArray("2147483647") << std::numeric_limits<int32_t>::max();
    QTest::newRow("infinite") << QByteArray("inf") << std::numeric_limits<int32_t>::max();
    QTest::newRow("minus infinite") << QByteArray("-inf") << std::numeric_limits<int32_t>::min();
    QTest::newRow("not a number") << QByteArray("nan") << int(CNode::NoPosition);
}

void TestProjectReader::coordinates()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    CDecisionTree tree;
    QVERIFY(
        ReadBytes(Project("<Node Type=\"0\" X=\"" + text + "\" Y=\"7\"/>\n"), tree).Succeeded());
    QCOMPARE(tree.GetRoot()->x, expected);
    QCOMPARE(tree.GetRoot()->y, 7);
}

void TestProjectReader::flags_data()
{
    QTest::addColumn<QByteArray>("attribute");
    QTest::addColumn<bool>("expected");
    QTest::newRow("missing") << QByteArray() << true;
    QTest::newRow("one") << QByteArray("TRUE=\"1\"") << true;
    QTest::newRow("zero") << QByteArray("TRUE=\"0\"") << false;
    QTest::newRow("other number") << QByteArray("TRUE=\"-3\"") << true;
    QTest::newRow("empty") << QByteArray("TRUE=\"\"") << false;
    QTest::newRow("word") << QByteArray("TRUE=\"true\"") << false;
}

void TestProjectReader::flags()
{
    QFETCH(QByteArray, attribute);
    QFETCH(bool, expected);
    CDecisionTree tree;
    QVERIFY(ReadBytes(Project("<Node Type=\"0\" " + attribute + "/>\n"), tree).Succeeded());
    QCOMPARE(tree.GetRoot()->active, expected);
}

void TestProjectReader::charactersFromOtherEncodings()
{
    // UTF-7 can spell lone surrogates (+2D0-, +3gA-), which XML does not
    // allow but Qt's reader lets through; they are dropped so that the project
    // saves and reads back as it was read.
    const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\n"
                             "<RMFYProject Name=\"a+2D0-b\"><Node Type=\"0\" Name=\"c+3gA-d\" "
                             "PayoffComment=\"+AOk-t+AOk-\"/></RMFYProject>\n";
    CDecisionTree tree;
    const CProjectFile::ReadResult result = ReadBytes(bytes, tree);
    QVERIFY(result.Succeeded());
    QCOMPARE(result.projectName, QStringLiteral("ab"));
    QCOMPARE(tree.GetRoot()->name, std::string("cd"));
    QCOMPARE(QString::fromStdString(tree.GetRoot()->payoffComment), QStringLiteral("été"));
}

void TestProjectReader::declarations_data()
{
    QTest::addColumn<QByteArray>("doctype");
    QTest::addColumn<bool>("accepted");
    QByteArray laughs = "<!DOCTYPE RMFYProject [\n<!ENTITY l0 \"lollollollollol\">\n";
    for (int i = 1; i < 10; ++i)
        laughs += QStringLiteral("<!ENTITY l%1 \"%2\">\n")
                      .arg(i)
                      .arg(QStringLiteral("&l%1;").arg(i - 1).repeated(10))
                      .toUtf8();
    laughs += "]>\n";
    QTest::newRow("nested entities") << laughs << false;
    QTest::newRow("one small entity")
        << QByteArray("<!DOCTYPE RMFYProject [<!ENTITY n \"name\">]>\n") << false;
    QTest::newRow("attribute defaults")
        << QByteArray("<!DOCTYPE RMFYProject [<!ATTLIST Node Extra CDATA \"x\">]>\n") << false;
    QTest::newRow("empty internal subset") << QByteArray("<!DOCTYPE RMFYProject []>\n") << false;
    QTest::newRow("bare document type") << QByteArray("<!DOCTYPE RMFYProject>\n") << true;
}

void TestProjectReader::declarations()
{
    QFETCH(QByteArray, doctype);
    QFETCH(bool, accepted);
    const QByteArray bytes =
        "<?xml version=\"1.0\"?>\n" + doctype +
        "<RMFYProject Name=\"P\"><Node Type=\"0\" Name=\"r\"/></RMFYProject>\n";
    CDecisionTree tree;
    const CProjectFile::ReadResult result = ReadBytes(bytes, tree);
    QVERIFY(result.opened);
    QCOMPARE(result.complete, accepted);
    QCOMPARE(tree.GetRoot() != nullptr, accepted);
    if (!accepted)
        QCOMPARE(result.errorLine, qint64(doctype.count('\n') + 1));
}

void TestProjectReader::readReplacesEarlierTree()
{
    WorkedExample ex;
    const QByteArray bytes = WriteBytes(ex.tree, QStringLiteral("Plan"));
    CDecisionTree tree;
    tree.SetRoot(CNode::CreateRoot(nullptr, "old"));
    CNode::CreateTerminal(tree.GetRoot(), "");
    QVERIFY(ReadBytes(bytes, tree).Succeeded());
    CompareTrees(ex.root, tree.GetRoot());

    // A document without a Root leaves the tree empty rather than stale.
    QVERIFY(ReadBytes(Project(NodeXml(2, 1, 3, "orphan")), tree).Succeeded());
    QVERIFY(tree.GetRoot() == nullptr);
}

void TestProjectReader::unopenableFileLeavesTree()
{
    QTemporaryDir dir;
    WorkedExample ex;
    const QString strPath = dir.filePath(QStringLiteral("missing.rmproj"));
    const CProjectFile::ReadResult result = CProjectFile::Read(strPath, ex.tree);
    QVERIFY(!result.opened);
    QVERIFY(!result.Succeeded());
    QCOMPARE(ex.tree.GetRoot(), ex.root);
    QVERIFY(result.Message().contains(strPath));

    const CProjectFile::ReadResult folder = CProjectFile::Read(dir.path(), ex.tree);
    QVERIFY(!folder.opened);
    QCOMPARE(ex.tree.GetRoot(), ex.root);
}

void TestProjectReader::messages()
{
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("broken.rmproj"));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?>\n<RMFYProject Name=\"P\">\n  <Node Type=\"0\" "
               "Name=</RMFYProject>");
    file.close();

    CDecisionTree tree;
    const CProjectFile::ReadResult result = CProjectFile::Read(strPath, tree);
    QVERIFY(result.opened);
    QVERIFY(!result.complete);
    QCOMPARE(result.filePath, strPath);
    QCOMPARE(result.errorLine, qint64(3));
    const QString strMessage = result.Message();
    QVERIFY2(strMessage.contains(strPath) && strMessage.contains(QStringLiteral("line 3")) &&
                 strMessage.contains(QStringLiteral("column %1").arg(result.errorColumn)) &&
                 strMessage.contains(result.errorText),
             qPrintable(strMessage));

    QVERIFY(ReadBytes(Project(NodeXml(1, 0, 0)), tree).Message().isEmpty());
}

QTEST_APPLESS_MAIN(TestProjectReader)
#include "tst_projectreader.moc"
