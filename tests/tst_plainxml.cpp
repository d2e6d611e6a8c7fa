#include "CPlainXmlScanner.h"
#include "ReadBothWays.h"
#include "TestTrees.h"

#include <QDir>
#include <QRandomGenerator>

// The plain scan of project files against Qt's reader: whatever it reads,
// it reads as Qt does, and what Ramify writes, it reads itself.
class TestPlainXml : public QObject
{
    Q_OBJECT

private slots:
    void readsAsQtDoes_data();
    void readsAsQtDoes();
    void damagedFilesReadAsQtDoes();
    void writtenFilesAreScanned_data();
    void writtenFilesAreScanned();
};

namespace {

QByteArray RootAnd(const QByteArray &root, const QByteArray &option = {})
{
    return Project(NodeXml(1, 0, 0, root) + NodeXml(2, 1, 1) + NodeXml(3, 2, 3, option) +
                   NodeXml(4, 3, 4));
}

// Reads to the end; false when the scan left the file to Qt.
bool ScannedToTheEnd(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CPlainXmlScanner scanner(buffer);
    while (scanner.NextElement()) {
    }
    return scanner.Plain();
}

// A project with every field in use, a variable and two criteria.
QByteArray Rich(const std::string &strText, int nOptions)
{
    WorkedExample ex;
    ex.root->name = ex.s1->payoffComment = ex.s1->name = strText;
    ex.s1->payoffFormula = "v * 2";
    ex.s2->probabilityFormula = "#";
    ex.s2->payoff2Formula = "v";
    ex.s->folded = true;
    ex.d->x = -40;
    ex.d->y = 7;
    for (int n = 0; n < nOptions; ++n)
        AddOption(ex.d, "more", 0.0, n * 0.37);
    ex.tree.Variables().Add({"v", 2.5, std::string(), true, -1.0, true, 9.0, strText, ""});
    CProjectSettings settings;
    settings.criteria.two = true;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CProjectFile::Write(buffer, ex.tree, QString::fromStdString(strText), settings, nullptr);
    return buffer.data();
}

} // namespace

void TestPlainXml::readsAsQtDoes_data()
{
    QTest::addColumn<QByteArray>("file");
    for (const char *pFolder : {RAMIFY_EXAMPLES_DIR, RAMIFY_SEEDS_DIR}) {
        const QDir folder(QString::fromUtf8(pFolder));
        for (const QString &strName : folder.entryList({QStringLiteral("*.rmproj")})) {
            QFile file(folder.filePath(strName));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(strName)) << file.readAll();
        }
    }
    const QByteArray node = NodeXml(1, 0, 0, "Name=\"r\"");
    const QByteArray plain = RootAnd("Name=\"r\"");
    QTest::newRow("no declaration") << plain.mid(22);
    QTest::newRow("declaration after a blank") << " " + plain;
    QTest::newRow("declared UTF-8") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + plain.mid(21);
    QTest::newRow("declared Latin-1")
        << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + RootAnd("Name=\"\xE9\"").mid(21);
    QTest::newRow("version 1.1") << "<?xml version=\"1.1\"?>" + plain.mid(21);
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + plain;
    QTest::newRow("UTF-16") << QByteArray(
        reinterpret_cast<const char *>(QString::fromUtf8(plain.mid(22)).utf16()),
        (plain.size() - 22) * 2);
    QTest::newRow("line ends of every kind") << QByteArray(plain).replace('\n', "\r\n\t\r");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("declaration only") << plain.left(22);
    QTest::newRow("cut short") << plain.left(plain.size() - 5);
    QTest::newRow("second root") << plain + "<RMFYProject/>";
    QTest::newRow("text after the root") << plain + "x";
    QTest::newRow("text between nodes") << Project(node + "x" + NodeXml(2, 1, 4));
    QTest::newRow("comment") << Project(node + "<!-- c -->");
    QTest::newRow("processing instruction") << Project(node + "<?p x?>");
    QTest::newRow("character data") << Project(node + "<![CDATA[ x ]]>");
    QTest::newRow("document type") << "<!DOCTYPE RMFYProject>" + plain.mid(22);
    QTest::newRow("end tag of another") << Project("<a>" + node + "</b>");
    QTest::newRow("elements around nodes") << Project("<a><b>" + node + "</b ></a>");
    QTest::newRow("namespace") << Project("<x:a xmlns:x=\"u\">" + node + "</x:a>");
    QTest::newRow("undeclared prefix") << Project("<x:a>" + node + "</x:a>");
    QTest::newRow("default namespace") << Project("<a xmlns=\"u\">" + node + "</a>");
    QTest::newRow("single quotes") << RootAnd("Name='r'");
    QTest::newRow("blanks around equals") << RootAnd("Name \t= \n\"r\"");
    QTest::newRow("no blank between attributes") << RootAnd("Name=\"r\"Payoff=\"1\"");
    QTest::newRow("attribute twice") << RootAnd("Name=\"r\" Name=\"s\"");
    QTest::newRow("unknown attribute") << RootAnd("Other.x-1=\"&amp;\"");
    QTest::newRow("blanks inside a value") << RootAnd("Name=\" a\tb\nc\r\nd \"");
    QTest::newRow("tab inside a value") << RootAnd("Name=\"a\tb\"");
    QTest::newRow("markup in a value") << RootAnd("Name=\"a>b\"");
    QTest::newRow("less-than in a value") << RootAnd("Name=\"a<b\"");
    QTest::newRow("entities") << RootAnd("Name=\"&lt;&gt;&amp;&quot;&apos;\"");
    QTest::newRow("references") << RootAnd(
        "Name=\"&#10;&#9;&#13;&#x41;&#65;&#x1F600;&#xe9;&#0000065;\"");
    QTest::newRow("reference to a control") << RootAnd("Name=\"&#1;\"");
    QTest::newRow("reference to a non-character") << RootAnd("Name=\"&#xFFFE;\"");
    QTest::newRow("reference past Unicode") << RootAnd("Name=\"&#x110000;\"");
    QTest::newRow("reference to a surrogate") << RootAnd("Name=\"&#xD800;\"");
    QTest::newRow("reference to NUL") << RootAnd("Name=\"&#0;\"");
    QTest::newRow("reference with X") << RootAnd("Name=\"&#X41;\"");
    QTest::newRow("long reference") << RootAnd("Name=\"&#00000000065;\"");
    QTest::newRow("unknown entity") << RootAnd("Name=\"&nbsp;\"");
    QTest::newRow("bare ampersand") << RootAnd("Name=\"a & b\"");
    QTest::newRow("ampersand at the end") << RootAnd("Name=\"a &amp\"");
    QTest::newRow("non-ASCII") << RootAnd("Name=\"\xC3\xA6\xE6\x97\xA5\xF0\x9F\x98\x80\"");
    QTest::newRow("invalid UTF-8") << RootAnd("Name=\"\xC3\x28\"");
    QTest::newRow("overlong UTF-8") << RootAnd("Name=\"\xC0\xAF\"");
    QTest::newRow("encoded surrogate") << RootAnd("Name=\"\xED\xA0\x80\"");
    QTest::newRow("C1 control") << RootAnd("Name=\"\xC2\x85\"");
    QTest::newRow("non-character") << RootAnd("Name=\"\xEF\xB7\x90\xEF\xBF\xBF\"");
    QTest::newRow("byte order mark in a name") << RootAnd("Name=\"a\xEF\xBB\xBF\"");
    QTest::newRow("NUL") << RootAnd(QByteArray("Name=\"a\0b\"", 10));
    QTest::newRow("DEL") << RootAnd("Name=\"a\x7F\"");
    QTest::newRow("non-ASCII element") << Project("<\xC3\xA6>" + node + "</\xC3\xA6>");
    QTest::newRow("reserved name") << Project("<xmlish>" + node + "</xmlish>");
    QTest::newRow("folded in other words")
        << Project(NodeXml(1, 0, 0) + NodeXml(2, 1, 1, "Folded=\"01\"") +
                   NodeXml(3, 1, 2, "Folded=\" 1\"") + NodeXml(4, 1, 2, "Folded=\"1\""));
    QTest::newRow("variables")
        << "<?xml version=\"1.0\"?><RMFYProject Name=\"&amp;\"><Variable Name=\"a&#10;\" "
           "Value=\"x\" Low=\" 1\" High=\"2e\"/>" +
               node + "<Variable Name=\"b\" Value=\"3\" Formula=\"a *\"/></RMFYProject>";
    QTest::newRow("unknown rule") << Project(node).replace("Version", "Rule=\"none\" Version");
    QTest::newRow("two criteria") << Project(node + NodeXml(2, 1, 1) +
                                             NodeXml(3, 2, 3, "Payoff2=\"4\" Payoff2Formula=\"1\""))
                                         .replace("Version",
                                                  "Criteria=\"2\" Weight=\" inf\" Version");

    // Numbers in every form, in every numeric attribute.
    for (const char *pNumber : {"0",
                                "-0",
                                "0.0",
                                "00",
                                "007",
                                "1.",
                                ".5",
                                "+3",
                                " 5",
                                "5 ",
                                "1,5",
                                "0x10",
                                "1e5",
                                "1E+05",
                                "1e-5",
                                "-1e-300",
                                "1e400",
                                "-1e400",
                                "1e-310",
                                "4.9e-324",
                                "1e-400",
                                "2.2250738585072014e-308",
                                "2.2250738585072011e-308",
                                "1.7976931348623157e308",
                                "1.7976931348623159e308",
                                "0.1000000000000000055511151231257827",
                                "12345678901234567890",
                                "123456789",
                                "1234567890",
                                "4294967295",
                                "4294967296",
                                "2147483648",
                                "-2147483648",
                                "-1",
                                "nan",
                                "inf",
                                "-inf",
                                "1e0001",
                                "",
                                "1e",
                                "-"}) {
        const QByteArray number(pNumber);
        const QByteArray numbers = "Probability=\"" + number + "\" Payoff=\"" + number + "\" X=\"" +
                                   number + "\" Y=\"" + number + "\" TRUE=\"" + number +
                                   "\" Payoff2=\"" + number + "\"";
        QTest::newRow(qPrintable("number " + number)) << RootAnd(numbers, numbers);
        QTest::newRow(qPrintable("identifier " + number))
            << Project(NodeXml(1, 0, 0) + "<Node ID=\"" + number + "\" ParentID=\"1\" Type=\"" +
                       number + "\"/>" + "<Node ParentID=\"" + number + "\" Type=\"4\"/>");
    }
    // Tags across the chunks the scan reads.
    QTest::newRow("large") << Rich("Large", 20000);
}

void TestPlainXml::readsAsQtDoes()
{
    QFETCH(QByteArray, file);
    QVERIFY(ReadsAsQtDoes(file));
}

void TestPlainXml::damagedFilesReadAsQtDoes()
{
    // Each file is a written project with a few bytes changed, put in or cut
    // out, taken from what makes XML go wrong.
    const QByteArray written = Rich("r\xC3\xA9", 3);
    static const char Alphabet[] = "<>&\"';#x:/=!?- \t\n\r\0\x7F\xC3\xA9\xEF\xBF\xBE\x80"
                                   "01e.";
    const QByteArray alphabet(Alphabet, sizeof(Alphabet) - 1);
    QRandomGenerator random(35);
    for (int nRun = 0; nRun < 3000; ++nRun) {
        QByteArray file = written;
        for (int nChange = random.bounded(1, 3); nChange > 0; --nChange) {
            const int nAt = random.bounded(file.size());
            const char c = random.bounded(4) ? alphabet[random.bounded(alphabet.size())]
                                             : char(random.bounded(256));
            switch (random.bounded(4)) {
            case 0:
                file.insert(nAt, c);
                break;
            case 1:
                file.remove(nAt, random.bounded(1, 6));
                break;
            case 2:
                file.truncate(nAt);
                break;
            default:
                file[nAt] = c;
            }
            if (file.isEmpty())
                break;
        }
        QVERIFY2(ReadsAsQtDoes(file), file.toPercentEncoding("<>=\"/ ").constData());
    }
}

void TestPlainXml::writtenFilesAreScanned_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("plain") << Rich("Plan", 0);
    QTest::newRow("non-ASCII") << Rich("\xC3\x86r\xC3\xB8sk\xC3\xB8"
                                       "bing, \xF0\x9F\x98\x80",
                                       2);
    QTest::newRow("markup and line breaks") << Rich("<a href=\"x\">&amp;\n\t\r'</a>", 2);
    QTest::newRow("over a megabyte") << Rich("Large", 20000);
}

void TestPlainXml::writtenFilesAreScanned()
{
    // What Ramify writes is read by the scan, not left to Qt.
    QFETCH(QByteArray, file);
    QVERIFY(ScannedToTheEnd(file));
}

QTEST_APPLESS_MAIN(TestPlainXml)
#include "tst_plainxml.moc"
