// Never losing work: saving onto what is not a plain file or onto a full
// disk, files whose nodes do not all belong to the tree, recovery copies of
// other instances.
#include "CRecoveryKeeper.h"
#include "CRecoveryStore.h"
#include "GuiTest.h"
#include "TestTrees.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void saveTargets_data();
    void saveTargets();
    void openReportsDroppedNodes_data();
    void openReportsDroppedNodes();
    void onlyEndedInstancesLeaveOrphans();
    void copyFollowsEdits();

private:
    QTemporaryDir dir;
};

void TestRecovery::saveTargets_data()
{
    // The reason the failed save must give, and the kind of file the target
    // must still be afterwards.
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("kind");
    QTest::newRow("pipe nobody reads: refused, not replaced") << "reading" << S_IFIFO;
    QTest::newRow("device: written straight to") << "No space left on device" << S_IFCHR;
    QTest::newRow("full disk: reason, old file whole") << "No space left on device" << S_IFREG;
    QTest::newRow("folder: reason") << "Is a directory" << S_IFDIR;
}

void TestRecovery::saveTargets()
{
    QFETCH(QString, reason);
    QFETCH(int, kind);
    QTemporaryDir target;
    QString strPath = target.filePath(QStringLiteral("p.rmproj"));
    const QByteArray path = QFile::encodeName(strPath);
    const QByteArray old = "old";
    const auto unmount = qScopeGuard([&] { umount(QFile::encodeName(target.path())); });
    if (kind == S_IFIFO) {
        QCOMPARE(mkfifo(path, 0600), 0);
    } else if (kind == S_IFCHR) {
        // Only who may make a node of /dev/full may replace the real one.
        if (mknod(path, S_IFCHR | 0600, makedev(1, 7)) != 0)
            strPath = QStringLiteral("/dev/full");
    } else if (kind == S_IFREG) {
        if (mount("tmpfs", QFile::encodeName(target.path()), "tmpfs", 0, "size=64k") != 0)
            QSKIP("no tmpfs can be mounted here; the device row stands in");
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
        QFile fill(target.filePath(QStringLiteral("fill")));
        QVERIFY(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (fill.write(QByteArray(4096, 'x')) > 0) {
        }
    } else {
        QVERIFY(QDir(target.path()).mkdir(QStringLiteral("p.rmproj")));
    }

    CDecisionTree tree;
    tree.SetRoot(CNode::CreateRoot(nullptr, "Plan"));
    CNode::CreateTerminal(tree.GetRoot(), "");
    QString strError;
    QVERIFY(!CProjectFile::Write(strPath, tree, QStringLiteral("Plan"), &strError));
    QVERIFY2(strError.contains(reason) && strError.contains(strPath), qPrintable(strError));
    struct stat info;
    QCOMPARE(lstat(QFile::encodeName(strPath), &info), 0);
    QCOMPARE(int(info.st_mode & S_IFMT), kind);
    QFile file(strPath);
    if (kind == S_IFREG && file.open(QIODevice::ReadOnly))
        QCOMPARE(file.readAll(), old);
}

void TestRecovery::openReportsDroppedNodes_data()
{
    // What the window says on opening, and whether ramify-solve fails.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<int>("solveStatus");
    QFile seed(QStringLiteral(RAMIFY_SEVERAL_ROOTS));
    QVERIFY(seed.open(QIODevice::ReadOnly));
    QTest::newRow("several Roots: the count, and that saving loses the rest")
        << seed.readAll() << QStringList{"3 of the 9", "will not keep the other 6"} << 1;
    // Nothing is shown, but saving keeps the whole tree: no loss is claimed.
    QTest::newRow("Root with two children: what is shown, no loss")
        << Project(NodeXml(1, 0, 0) + NodeXml(2, 1, 4) + NodeXml(3, 1, 4))
        << QStringList{"0 of the 3", "Root"} << 0;
}

void TestRecovery::openReportsDroppedNodes()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, said);
    QFETCH(int, solveStatus);
    QFile project(dir.filePath(QStringLiteral("p.rmproj")));
    QVERIFY(project.open(QIODevice::WriteOnly) && project.write(file) == file.size());
    project.close();
    CDecisionTreeWindow window(nullptr, QString());
    QStringList texts;
    GuiTest::AnswerMessageBoxes({QMessageBox::Ok}, &texts);
    window.LoadProject(project.fileName());
    const QString strText = texts.join('\n');
    for (const QString &strPart : said)
        QVERIFY2(strText.contains(strPart), qPrintable(strText));
    QCOMPARE(strText.contains(QLatin1String("not keep")), solveStatus == 1);

    QProcess solve;
    solve.start(QStringLiteral(RAMIFY_SOLVE_PATH), {project.fileName()});
    QVERIFY(solve.waitForFinished(60000));
    QCOMPARE(solve.exitCode(), solveStatus);
    QCOMPARE(solve.readAllStandardError().contains(said[0].toUtf8()), solveStatus == 1);
}

// A copy must never be taken from an instance that still runs, and one left
// by an ended instance must come back with the file it belongs to.
void TestRecovery::onlyEndedInstancesLeaveOrphans()
{
    const QString strFolder = dir.filePath(QStringLiteral("store"));
    auto pEnded = std::make_unique<CRecoveryStore>(strFolder);
    CRecoveryStore running(strFolder);
    QVERIFY(pEnded->Open(nullptr) && running.Open(nullptr));
    CVariables variables;
    variables.Add({"price", 2.5, "", false, 0, false, 0, ""});
    pEnded->WriteCopy(pEnded->NewCopyId(), CNode::CreateRoot(nullptr, "Plan"),
                      QStringLiteral("Plan"), QStringLiteral("/p"), variables);
    pEnded->Flush();
    QVERIFY(running.ClaimOrphans().isEmpty());
    running.ReleaseOrphans();

    pEnded.reset();
    const QVector<CRecoveryStore::Copy> orphans = running.ClaimOrphans();
    QCOMPARE(orphans.size(), 1);
    QCOMPARE(orphans[0].filePath, QStringLiteral("/p"));
    CRecoveryStore::Copy adopted;
    QVERIFY(running.AdoptOrphan(orphans[0], &adopted, nullptr));
    running.ReleaseOrphans();
    QCOMPARE(QDir(running.OwnFolder()).entryList({"*.rmproj"}),
             QStringList{adopted.id + ".rmproj"});
    CDecisionTree copy;
    CProjectFile::Read(adopted.ProjectPath(), copy);
    QCOMPARE(copy.Variables().Count(), 1);
    QCOMPARE(QDir(strFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
}

// The copy holds the latest edit, not only the one that marked the project,
// and goes once the project is saved.
void TestRecovery::copyFollowsEdits()
{
    CRecoveryStore store(dir.filePath(QStringLiteral("keeper")));
    QVERIFY(store.Open(nullptr));
    CProjectDocument document;
    QVERIFY(document.Read(QStringLiteral(RAMIFY_EXAMPLES_DIR "/Plan.rmproj")).Succeeded());
    const QString strId = store.NewCopyId();
    CRecoveryKeeper keeper(&document, store, strId);
    keeper.SetTiming(0, 0);
    const QString strCopy = QDir(store.OwnFolder()).filePath(strId + QStringLiteral(".rmproj"));
    CNode *pOption = document.GetRoot()->children.front()->children.front();
    const auto copiedPayoff = [&]() {
        store.Flush();
        CDecisionTree copy;
        CProjectFile::Read(strCopy, copy);
        return copy.GetRoot() ? copy.GetRoot()->children.front()->children.front()->payoff : -1.0;
    };
    for (const double dPayoff : {123.0, 456.0}) {
        document.SetValues(pOption, qQNaN(), dPayoff);
        document.SetModified(true);
        QTRY_COMPARE(copiedPayoff(), dPayoff);
    }
    document.SetModified(false);
    store.Flush();
    QVERIFY(!QFile::exists(strCopy));
}

RAMIFY_GUI_TEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
