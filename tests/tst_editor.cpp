#include "CProjectFile.h"
#include "EditorTestKit.h"
#include "GuiTestMain.h"
#include "ProjectFileHelpers.h"
#include "TextNumber.h"
#include "TreeBuilders.h"

#include <QTemporaryDir>
#include <QUndoStack>

using namespace EditorTestKit;
using namespace TreeBuilders;

namespace {

// A window shown on its own, large enough for a small tree.
struct ShownWindow
{
    CDecisionTreeWindow window{nullptr, QStringLiteral("Project1")};

    ShownWindow()
    {
        window.resize(900, 600);
        window.setWindowTitle(QStringLiteral("Project1[*]"));
        window.show();
        QApplication::setActiveWindow(&window);
    }
    bool WaitShown() { return QTest::qWaitForWindowActive(&window); }
    CNodeGrapicsItem *Item(const CNode *pNode) const { return window.GetItem(pNode); }
    CNode *Root() { return window.GetTree().GetRoot(); }
    CNode *Child(CNode *pNode, int nIndex) const
    {
        return pNode->children.at(static_cast<size_t>(nIndex));
    }
};

QString WriteExample(const QTemporaryDir &dir, const CDecisionTree &tree, const QString &strName)
{
    const QString strPath = dir.filePath(strName + QStringLiteral(".rmproj"));
    QString strError;
    if (!CProjectFile::Write(strPath, tree, strName, &strError))
        qWarning() << strError;
    return strPath;
}

// Every item shows exactly what its node holds.
void VerifyShownValues(const CDecisionTreeWindow &window, const CNode *pRoot)
{
    std::vector<const CNode *> pending{pRoot};
    while (!pending.empty()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        for (const CNode *pChild : pNode->children)
            pending.push_back(pChild);
        const CNodeGrapicsItem *pItem = window.GetItem(pNode);
        QVERIFY(pItem);
        QCOMPARE(pItem->toPlainText(), QString::fromStdString(pNode->name));
        if (const QGraphicsTextItem *pPayoff = PayoffText(pItem))
            QCOMPARE(pPayoff->toPlainText(), NumberToText(pNode->payoff));
        if (const CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem))
            QCOMPARE(pProbability->GetProbability(), pNode->probability);
    }
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void newProject();
    void probabilityWarningAndRecovery();
    void notifyOnDecision();
    void deepPayoffEditSolvesUpwardOnly();
    void dragStoresTruncatedPosition();
    void valueEditsAreUndoSteps();
    void renameUndone();
    void undoKeepsExactPayoff();
    void valueBehindUnchangedTextIsSolved();
    void visitingThirdsKeepsThemExact();
    void loadShowsStoredStateWithoutSolving();
    void loadRootWithTwoChildrenShowsNothing();
    void loadBrokenFileSaysSo();
    void loadMissingFileSaysSo();
    void loadOtherXmlSaysSo();
    void saveAndReopen();
    void failedSaveSaysSo();
    void closeQuestion_data();
    void closeQuestion();

private:
    // Loads the worked example into the window and rolls it back.
    void LoadExample(ShownWindow &shown);

    QTemporaryDir m_dir;
};

void TestEditor::LoadExample(ShownWindow &shown)
{
    WorkedExample example;
    const QString strPath = WriteExample(m_dir, example.tree, QStringLiteral("Plan"));
    QVERIFY(shown.window.LoadProject(strPath));
    shown.window.NotifyValuesChanged(shown.Root());
    QVERIFY(shown.WaitShown());
}

void TestEditor::newProject()
{
    ShownWindow shown;
    shown.window.NewProject(QStringLiteral("Project1"));
    CNode *pRoot = shown.Root();
    QVERIFY(pRoot);
    QCOMPARE(pRoot->name, std::string("Project1"));
    CNodeGrapicsItem *pRootItem = shown.Item(pRoot);
    QCOMPARE(pRootItem->pos(), QPointF(0, shown.window.height() / 2));
    QVERIFY(!pRoot->HasPosition());

    QCOMPARE(pRoot->children.size(), size_t(1));
    CNode *pTerminal = pRoot->children.front();
    QCOMPARE(pTerminal->type, int(NodeType::Terminal));
    CNodeGrapicsItem *pTerminalItem = shown.Item(pTerminal);
    const QPointF anchor = pRootItem->mapToScene(pRootItem->RightAnchor());
    QCOMPARE(pTerminalItem->pos().x(), std::trunc(anchor.x() + 100));
    QVERIFY(qAbs(pTerminalItem->sceneBoundingRect().center().y() - anchor.y()) <= 1.0);
    QCOMPARE(pTerminal->x, int(pTerminalItem->pos().x()));
    QCOMPARE(pTerminal->y, int(pTerminalItem->pos().y()));
    QVERIFY(pTerminalItem->GetArrow());
    QVERIFY(!shown.window.isWindowModified());
    QCOMPARE(shown.window.GetUndoStack()->count(), 0);
}

void TestEditor::probabilityWarningAndRecovery()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pDecision = shown.Child(shown.Root(), 0);
    CNode *pSituation = shown.Child(shown.Child(pDecision, 1), 0);
    CNode *pS1 = shown.Child(pSituation, 0);
    CNode *pS2 = shown.Child(pSituation, 1);
    QCOMPARE(pSituation->payoff, 9.0);
    QCOMPARE(RedArrowCount(shown.window), 3);

    TypeInto(shown.window, ProbabilityText(shown.Item(pS1)), QStringLiteral("0.3"));
    QCOMPARE(pS1->probability, 0.3);
    QVERIFY(ErrorShown(shown.Item(pS1)));
    QVERIFY(ErrorShown(shown.Item(pS2)));
    QCOMPARE(RedArrowCount(shown.window), 0);
    QCOMPARE(pSituation->payoff, 9.0); // not solved

    TypeInto(shown.window, ProbabilityText(shown.Item(pS1)), QStringLiteral("0.4"));
    QVERIFY(!ErrorShown(shown.Item(pS1)));
    QVERIFY(!ErrorShown(shown.Item(pS2)));
    QCOMPARE(pSituation->payoff, 9.0);
    QCOMPARE(RedArrowCount(shown.window), 3);

    // A consistent edit is solved at once: S1 at 0.5 makes S worth 12.5.
    TypeInto(shown.window, ProbabilityText(shown.Item(pS1)), QStringLiteral("0.5"));
    TypeInto(shown.window, ProbabilityText(shown.Item(pS2)), QStringLiteral("0.5"));
    QCOMPARE(pSituation->payoff, 12.5);
    QCOMPARE(pDecision->payoff, 12.5);
    VerifyShownValues(shown.window, shown.Root());
}

void TestEditor::notifyOnDecision()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pDecision = shown.Child(shown.Root(), 0);
    int nRedBetween = -1;
    // Connected after the window, so this sees the state between the steps.
    connect(shown.Item(pDecision), &CNodeGrapicsItem::sig_probabilityChanged, this,
            [&]() { nRedBetween = RedArrowCount(shown.window); });
    shown.window.NotifyValuesChanged(pDecision);
    QCOMPARE(nRedBetween, 0);
    QCOMPARE(RedArrowCount(shown.window), 3);
    for (CNode *pOption : pDecision->children)
        QVERIFY(!ErrorShown(shown.Item(pOption)));
}

void TestEditor::deepPayoffEditSolvesUpwardOnly()
{
    WorkedExample example;
    CNode *pInner = ReplaceTerminal(example.s1, &CNode::CreateDecision, "D2");
    AddOption(pInner, "X", 1, 1);
    AddOption(pInner, "Y", 1, 2);
    ShownWindow shown;
    QVERIFY(shown.window.LoadProject(WriteExample(m_dir, example.tree, QStringLiteral("Deep"))));
    shown.window.NotifyValuesChanged(shown.Root());
    QVERIFY(shown.WaitShown());

    CNode *pDecision = shown.Child(shown.Root(), 0);
    CNode *pTa = shown.Child(shown.Child(pDecision, 0), 0);
    CNode *pSituation = shown.Child(shown.Child(pDecision, 1), 0);
    CNode *pD2 = shown.Child(shown.Child(pSituation, 0), 0);
    CNode *pX = shown.Child(pD2, 0);
    // A stale value outside the edited path must stay as it is.
    pTa->payoff = 3;
    CQEditableGraphicsTextItem *pTaText = PayoffText(shown.Item(pTa));
    QCOMPARE(pTaText->toPlainText(), QStringLiteral("10"));

    TypeInto(shown.window, PayoffText(shown.Item(pX)), QStringLiteral("100"));
    // T(X) = 100 + 30 = 130; D2 = 130; S = 0.4 * 130 + 0.6 * -5 = 49; D = 49.
    QCOMPARE(pD2->payoff, 130.0);
    QCOMPARE(pSituation->payoff, 49.0);
    QCOMPARE(pDecision->payoff, 49.0);
    QCOMPARE(pTa->payoff, 3.0);
    QCOMPARE(pTaText->toPlainText(), QStringLiteral("10"));
    pTa->payoff = 10;
    VerifyShownValues(shown.window, shown.Root());
}

void TestEditor::dragStoresTruncatedPosition()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pDecision = shown.Child(shown.Root(), 0);
    CNodeGrapicsItem *pItem = shown.Item(pDecision);
    pItem->setPos(10.9, -3.7);
    QCOMPARE(pDecision->x, 10);
    QCOMPARE(pDecision->y, -3);
    pItem->setPos(-0.5, 1e12);
    QCOMPARE(pDecision->x, 0);
    QCOMPARE(pDecision->y, std::numeric_limits<int32_t>::max());
    QVERIFY(!shown.window.isWindowModified());
    QCOMPARE(shown.window.GetUndoStack()->count(), 0);
    // The arrow into the dragged node followed it.
    const QRectF arrowBounds = pItem->GetArrow()->boundingRect();
    QVERIFY(arrowBounds.contains(pItem->mapToScene(pItem->LeftAnchor())));
}

void TestEditor::valueEditsAreUndoSteps()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pDecision = shown.Child(shown.Root(), 0);
    CNode *pA = shown.Child(pDecision, 0);
    CQEditableGraphicsTextItem *pPayoff = PayoffText(shown.Item(pA));

    TypeInto(shown.window, pPayoff, QStringLiteral("25"));
    QUndoStack *pStack = shown.window.GetUndoStack();
    QCOMPARE(pStack->count(), 1);
    QVERIFY(shown.window.isWindowModified());
    QCOMPARE(pDecision->payoff, 25.0);

    shown.window.setWindowModified(false);
    pStack->undo();
    QCOMPARE(pA->payoff, 10.0);
    QCOMPARE(pPayoff->toPlainText(), QStringLiteral("10"));
    QCOMPARE(pDecision->payoff, 10.0);
    QVERIFY(!shown.window.isWindowModified());

    pStack->redo();
    QCOMPARE(pA->payoff, 25.0);
    QCOMPARE(pPayoff->toPlainText(), QStringLiteral("25"));
    QCOMPARE(pDecision->payoff, 25.0);
    QVERIFY(shown.window.isWindowModified());
    VerifyShownValues(shown.window, shown.Root());

    // Leaving a text unchanged makes no step.
    TypeInto(shown.window, pPayoff, QStringLiteral("25"));
    QCOMPARE(pStack->count(), 1);
}

void TestEditor::renameUndone()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pA = shown.Child(shown.Child(shown.Root(), 0), 0);
    CNodeGrapicsItem *pItem = shown.Item(pA);
    TypeInto(shown.window, pItem, QStringLiteral("Alpha"));
    QCOMPARE(pA->name, std::string("Alpha"));
    shown.window.GetUndoStack()->undo();
    QCOMPARE(pA->name, std::string("A"));
    QCOMPARE(pItem->toPlainText(), QStringLiteral("A"));
    shown.window.GetUndoStack()->redo();
    QCOMPARE(pItem->toPlainText(), QStringLiteral("Alpha"));
}

void TestEditor::undoKeepsExactPayoff()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pA = shown.Child(shown.Child(shown.Root(), 0), 0);
    CQEditableGraphicsTextItem *pPayoff = PayoffText(shown.Item(pA));
    TypeInto(shown.window, pPayoff, QStringLiteral("1234567"));
    TypeInto(shown.window, pPayoff, QStringLiteral("5"));
    shown.window.GetUndoStack()->undo();
    // Shown with 6 digits, but the value must come back exactly.
    QCOMPARE(pPayoff->toPlainText(), QStringLiteral("1234567"));
    QCOMPARE(pA->payoff, 1234567.0);
    TypeInto(shown.window, pPayoff, QStringLiteral("6"));
    shown.window.GetUndoStack()->undo();
    QCOMPARE(pA->payoff, 1234567.0);
    QCOMPARE(shown.Child(shown.Root(), 0)->payoff, 1234567.0);
}

void TestEditor::valueBehindUnchangedTextIsSolved()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pDecision = shown.Child(shown.Root(), 0);
    CNode *pA = pDecision->children.front();
    CNode *pS1 = shown.Child(shown.Child(shown.Child(pDecision, 1), 0), 0);
    // Both values still show as before ("10", "40%"), yet they are new values
    // and must be stored and rolled back.
    shown.window.ApplyNodeValues(pA, QStringLiteral("A"), 1.0, 10.00002);
    QCOMPARE(PayoffText(shown.Item(pA))->toPlainText(), QStringLiteral("10"));
    QCOMPARE(pA->payoff, 10.00002);
    QCOMPARE(pDecision->payoff, 10.00002);
    shown.window.ApplyNodeValues(pS1, QStringLiteral("S1"), 0.40002, 30.0);
    QCOMPARE(pS1->probability, 0.40002);
    QCOMPARE(ProbabilityText(shown.Item(pS1))->toPlainText(), QStringLiteral("40%"));
    QVERIFY(ErrorShown(shown.Item(pS1)));
}

void TestEditor::visitingThirdsKeepsThemExact()
{
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "Thirds");
    tree.SetRoot(pRoot);
    CNode *pSituation = CNode::CreateSituation(pRoot, "S");
    for (const char *pName : {"a", "b", "c"})
        AddOption(pSituation, pName, 1.0 / 3, 3);
    ShownWindow shown;
    QVERIFY(shown.window.LoadProject(WriteExample(m_dir, tree, QStringLiteral("Thirds"))));
    QVERIFY(shown.WaitShown());
    CNode *pLoaded = shown.Child(shown.Root(), 0);
    for (CNode *pOption : pLoaded->children) {
        // Into the field and out again, typing nothing.
        CProbabilityGraphicsTextItem *pText = ProbabilityText(shown.Item(pOption));
        StartEditing(shown.window, pText);
        QVERIFY(pText->hasFocus());
        QCOMPARE(pText->toPlainText(), QStringLiteral("0.333333"));
        QTest::keyClick(shown.window.viewport(), Qt::Key_Return);
        QCOMPARE(pOption->probability, 1.0 / 3);
        QVERIFY(!ErrorShown(shown.Item(pOption)));
    }
    QCOMPARE(shown.window.GetUndoStack()->count(), 0);
    QVERIFY(shown.window.GetTree().IsProbabilityConsistent());
}

void TestEditor::loadShowsStoredStateWithoutSolving()
{
    WorkedExample example;
    // Values and flags that a rollback would never give: they must show as stored.
    example.d->payoff = 77;
    example.a->active = false;
    example.b->active = true;
    example.s->x = 300;
    example.s->y = -40;
    example.root->x = 5;
    example.root->y = 6;
    ShownWindow shown;
    QVERIFY(shown.window.LoadProject(WriteExample(m_dir, example.tree, QStringLiteral("Stored"))));
    QCOMPARE(shown.window.GetProjectName(), QStringLiteral("Stored"));
    CNode *pDecision = shown.Child(shown.Root(), 0);
    QCOMPARE(pDecision->payoff, 77.0);
    QCOMPARE(PayoffText(shown.Item(pDecision))->toPlainText(), QStringLiteral("77"));
    QCOMPARE(shown.Item(shown.Root())->pos(), QPointF(5, 6));
    CNode *pSituation = shown.Child(shown.Child(pDecision, 1), 0);
    QCOMPARE(shown.Item(pSituation)->pos(), QPointF(300, -40));
    QVERIFY(!ArrowIsRed(shown.Item(shown.Child(pDecision, 0))));
    QVERIFY(ArrowIsRed(shown.Item(shown.Child(pDecision, 1))));
    QVERIFY(ArrowIsRed(shown.Item(pSituation)));
    QCOMPARE(CountItems(shown.window), 10);
    QVERIFY(!shown.window.isWindowModified());
}

void TestEditor::loadRootWithTwoChildrenShowsNothing()
{
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "Two");
    tree.SetRoot(pRoot);
    CNode::CreateTerminal(pRoot, "");
    CNode::CreateTerminal(pRoot, "");
    ShownWindow shown;
    shown.window.LoadProject(WriteExample(m_dir, tree, QStringLiteral("Two")));
    QCOMPARE(CountItems(shown.window), 0);
    QVERIFY(shown.window.scene()->items().isEmpty());
}

void TestEditor::loadBrokenFileSaysSo()
{
    WorkedExample example;
    const QString strPath = WriteExample(m_dir, example.tree, QStringLiteral("Broken"));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    // Break the file off in the middle of the fifth node.
    int nAt = -1;
    for (int i = 0; i < 5; ++i)
        nAt = bytes.indexOf("<Node", nAt + 1);
    bytes.truncate(nAt + 20);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    ShownWindow shown;
    QString strMessage;
    AnswerMessageBox(QMessageBox::Ok, &strMessage);
    QVERIFY(!shown.window.LoadProject(strPath));
    QVERIFY2(strMessage.contains(QStringLiteral("Broken.rmproj")), qPrintable(strMessage));
    QVERIFY2(strMessage.contains(QStringLiteral("line")), qPrintable(strMessage));
    // What was read is still there: Root, D, A, B.
    QCOMPARE(shown.Root()->children.front()->children.size(), size_t(2));
    QCOMPARE(shown.window.GetFilePath(), strPath);
}

void TestEditor::loadMissingFileSaysSo()
{
    ShownWindow shown;
    QString strMessage;
    AnswerMessageBox(QMessageBox::Ok, &strMessage);
    QVERIFY(!shown.window.LoadProject(m_dir.filePath(QStringLiteral("nothing.rmproj"))));
    QVERIFY2(strMessage.contains(QStringLiteral("nothing.rmproj")), qPrintable(strMessage));
    QVERIFY(!shown.Root());
    QVERIFY(shown.window.GetFilePath().isEmpty());
}

void TestEditor::loadOtherXmlSaysSo()
{
    const QString strPath = m_dir.filePath(QStringLiteral("other.rmproj"));
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?>\n<Shopping><Item Name=\"Milk\"/></Shopping>\n");
    file.close();
    ShownWindow shown;
    QString strMessage;
    AnswerMessageBox(QMessageBox::Ok, &strMessage);
    QVERIFY(!shown.window.LoadProject(strPath));
    QVERIFY2(strMessage.contains(QStringLiteral("other.rmproj")), qPrintable(strMessage));
    QVERIFY(!shown.Root());
    // Nothing to save, so the file cannot be overwritten by an empty project.
    QVERIFY(!shown.window.SaveProject());
}

void TestEditor::saveAndReopen()
{
    ShownWindow shown;
    LoadExample(shown);
    CNode *pA = shown.Child(shown.Child(shown.Root(), 0), 0);
    TypeInto(shown.window, PayoffText(shown.Item(pA)), QStringLiteral("1234567"));
    const QString strPath = m_dir.filePath(QStringLiteral("again.rmproj"));
    shown.window.SetFilePath(strPath);
    QVERIFY(shown.window.SaveProject());

    ShownWindow reopened;
    QVERIFY(reopened.window.LoadProject(strPath));
    ProjectFileHelpers::CompareTrees(shown.Root(), reopened.Root());
    QCOMPARE(shown.Child(shown.Child(reopened.Root(), 0), 0)->payoff, 1234567.0);
}

void TestEditor::failedSaveSaysSo()
{
    ShownWindow shown;
    LoadExample(shown);
    shown.window.setWindowModified(true);
    shown.window.SetFilePath(m_dir.filePath(QStringLiteral("missing/folder/x.rmproj")));
    QString strMessage;
    AnswerMessageBox(QMessageBox::Ok, &strMessage);
    QVERIFY(!shown.window.SaveProject());
    QVERIFY2(strMessage.contains(QStringLiteral("x.rmproj")), qPrintable(strMessage));
    QVERIFY(shown.window.isWindowModified());

    // A cancelled path dialog says nothing and leaves no path behind.
    shown.window.SetFilePath(QString());
    CancelFileDialog();
    QVERIFY(!shown.window.SaveProject());
    QVERIFY(shown.window.GetFilePath().isEmpty());
}

void TestEditor::closeQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("path"); // "" never saved, "bad" unwritable, "good" writable
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("written");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << "good" << false << false;
    QTest::newRow("no") << int(QMessageBox::No) << "good" << true << false;
    QTest::newRow("yes") << int(QMessageBox::Yes) << "good" << true << true;
    QTest::newRow("yes, dialog cancelled") << int(QMessageBox::Yes) << "" << false << false;
    QTest::newRow("yes, write fails") << int(QMessageBox::Yes) << "bad" << false << false;
}

void TestEditor::closeQuestion()
{
    QFETCH(int, answer);
    QFETCH(QString, path);
    QFETCH(bool, closes);
    QFETCH(bool, written);

    ShownWindow shown;
    shown.window.NewProject(QStringLiteral("Project1"));
    shown.window.setWindowModified(true);
    QString strFile;
    if (path == QLatin1String("good"))
        strFile = m_dir.filePath(QStringLiteral("close-%1.rmproj").arg(answer));
    else if (path == QLatin1String("bad"))
        strFile = m_dir.filePath(QStringLiteral("no/such/folder.rmproj"));
    if (!strFile.isEmpty())
        QFile::remove(strFile);
    shown.window.SetFilePath(strFile);

    QStringList texts;
    QList<QMessageBox::StandardButton> buttons{QMessageBox::StandardButton(answer)};
    if (path == QLatin1String("bad"))
        buttons << QMessageBox::Ok; // the report of the failed write
    AnswerMessageBoxes(buttons, &texts);
    if (path.isEmpty())
        CancelFileDialog();

    QCOMPARE(shown.window.close(), closes);
    QCOMPARE(texts.value(0),
             QStringLiteral("Confirmation\nDo you want to save Project1 before exit?"));
    QCOMPARE(texts.size(), buttons.size());
    QCOMPARE(shown.window.isVisible(), !closes);
    QCOMPARE(!strFile.isEmpty() && QFile::exists(strFile), written);
    if (!closes)
        QVERIFY(shown.window.isWindowModified());
}

RAMIFY_GUI_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
