#include "CProjectFile.h"
#include "ExampleTrees.h"

#include <QBuffer>
#include <QtTest>

// The projects in examples/ are exactly what the writer makes of the trees in
// ExampleTrees.h, and they hold the values that a rollback gives.
class TestExamples : public QObject
{
    Q_OBJECT

private slots:
    void examples_data();
    void committedFileIsWhatTheWriterWrites();
    void committedFileIsWhatTheWriterWrites_data() { examples_data(); }
    void storedValuesAreRolledBack();
    void storedValuesAreRolledBack_data() { examples_data(); }
};

namespace {

QString ExamplePath(const QString &strFileName)
{
    return QStringLiteral(RAMIFY_EXAMPLES_DIR "/") + strFileName;
}

// Decisions in file order with the name of the option each one has chosen.
QStringList ChosenOptions(const CNode *pRoot)
{
    QStringList chosen;
    std::vector<const CNode *> queue{pRoot};
    for (size_t i = 0; i < queue.size(); ++i) {
        const CNode *pNode = queue[i];
        if (pNode->type == NodeType::Decision)
            for (const CNode *pOption : pNode->children)
                if (pOption->active)
                    chosen << QString::fromStdString(pOption->name);
        queue.insert(queue.end(), pNode->children.begin(), pNode->children.end());
    }
    return chosen;
}

} // namespace

void TestExamples::examples_data()
{
    QTest::addColumn<int>("index");
    const std::vector<ExampleTrees::Example> examples = ExampleTrees::All();
    for (size_t i = 0; i < examples.size(); ++i)
        QTest::newRow(qPrintable(examples[i].fileName)) << int(i);
}

void TestExamples::committedFileIsWhatTheWriterWrites()
{
    QFETCH(int, index);
    const ExampleTrees::Example example = std::move(ExampleTrees::All()[size_t(index)]);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(CProjectFile::Write(buffer, *example.tree, example.projectName));

    QFile file(ExamplePath(example.fileName));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QVERIFY2(file.readAll() == buffer.data(),
             "run make_examples on the examples folder to bring it up to date");
}

void TestExamples::storedValuesAreRolledBack()
{
    QFETCH(int, index);
    const ExampleTrees::Example example = std::move(ExampleTrees::All()[size_t(index)]);
    CDecisionTree tree;
    const CProjectFile::ReadResult result = CProjectFile::Read(ExamplePath(example.fileName), tree);
    QVERIFY2(result.Succeeded(), qPrintable(result.Message()));
    QCOMPARE(result.projectName, example.projectName);
    QVERIFY(tree.IsProbabilityConsistent());

    const CNode *pTop = tree.GetRoot()->children.at(0);
    QCOMPARE(pTop->payoff, example.value);
    QStringList expected;
    for (const char *pName : example.chosen)
        expected << QString::fromUtf8(pName);
    QCOMPARE(ChosenOptions(tree.GetRoot()), expected);

    // Stored values are those of a finished rollback: solving again changes nothing.
    CDecisionSolver().Solve(tree.GetRoot());
    QCOMPARE(pTop->payoff, example.value);
    QCOMPARE(ChosenOptions(tree.GetRoot()), expected);
}

QTEST_APPLESS_MAIN(TestExamples)
#include "tst_examples.moc"
