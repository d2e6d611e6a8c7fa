#include "CDecisionSolver.h"
#include "CEditRules.h"
#include "CProjectDocument.h"
#include "CTreeFormulas.h"
#include "CTypedNumber.h"
#include "ContextAction.h"
#include "ExampleTrees.h"
#include "FormulaChecks.h"
#include "NumberChecks.h"
#include "SubtreeWalk.h"
#include "TestTrees.h"
#include "TextNumber.h"

#include <QDir>

#include <cmath>
#include <limits>

namespace {

// What the document shows after an edit is what computing every formula and
// rolling back the whole tree shows.
void ShowsWhatComputingAllShows(const CProjectDocument &document)
{
    CVariables all = document.GetVariables();
    CNode *pAll = document.GetRoot()->Clone();
    const std::vector<CVariables::Problem> problems = CTreeFormulas::Apply(pAll, all);
    CDecisionSolver solver;
    solver.SetRule(document.GetSettings().rule);
    solver.SetCriteria(document.GetSettings().criteria);
    solver.Solve(pAll);
    CompareTrees(pAll, document.GetRoot());
    QCOMPARE(CTreeFormulas::Message(document.FormulaProblems()), CTreeFormulas::Message(problems));
    CNode::FreeSubtree(pAll);
}

} // namespace

// The tree, its editing rules and the rollback, without any graphics.
class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void probabilityConsistency_data();
    void probabilityConsistency();
    void editRules_data();
    void editRules();
    void typedNumbers_data();
    void typedNumbers();
    void numberFormat_data();
    void numberFormat();
    void workedExampleRollback();
    void choices_data();
    void choices();
    void ownerLeftWithOnlyATerminal();
    void solveFromAnOptionLeavesSiblingsAlone();
    void deepChainStaysOffTheStack();
    void subtreeWalk_data();
    void subtreeWalk();
    void valuesTypedInTurnShowWhatComputingAllShows();
    void typedValuesShowWhatComputingAllShows_data();
    void typedValuesShowWhatComputingAllShows();
    void typedSeedsOfTheFuzzers_data();
    void typedSeedsOfTheFuzzers();
};

void TestModel::probabilityConsistency_data()
{
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<bool>("consistent");
    QTest::newRow("exact") << 0.4 << 0.6 << true;
    QTest::newRow("within tolerance") << 0.5 << 0.49995 << true;
    QTest::newRow("below tolerance") << 0.5 << 0.4998 << false;
    QTest::newRow("above one") << 0.5 << 0.5002 << false;
    QTest::newRow("not a number") << 0.5 << std::nan("") << false;
}

void TestModel::probabilityConsistency()
{
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(bool, consistent);
    WorkedExample ex;
    ex.s1->probability = first;
    ex.s2->probability = second;
    QCOMPARE(ex.tree.IsProbabilityConsistent(), consistent);
    // A Situation without options adds up to nothing; no Root, no consistency.
    ex.s1->probability = 0.4;
    ex.s2->probability = 0.6;
    CNode::CreateSituation(ex.ta, "empty");
    QVERIFY(!ex.tree.IsProbabilityConsistent());
    QVERIFY(!CDecisionTree().IsProbabilityConsistent());
}

void TestModel::editRules_data()
{
    // Which actions each node of the worked example admits, after D's option
    // A was given a second Terminal-ending sibling C, with an Option and with
    // a Decision in the clipboard. Letters: a add Decision/Situation, o add
    // options, c copy, x cut, d delete, m comment, then the paste targets.
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<bool>("pasteOption");
    QTest::addColumn<bool>("pasteDecision");
    QTest::newRow("Root with a Decision") << "Plan"
                                          << "" << false << false;
    QTest::newRow("Decision") << "D"
                              << "ocxd" << true << false;
    QTest::newRow("option ending in a Terminal") << "A"
                                                 << "acxdm" << false << true;
    QTest::newRow("option leading on") << "B"
                                       << "cxdm" << false << false;
    QTest::newRow("Situation") << "S"
                               << "ocxd" << true << false;
    QTest::newRow("only option left") << "S2"
                                      << "acm" << false << true;
    QTest::newRow("Terminal") << ""
                              << "" << false << false;
}

void TestModel::editRules()
{
    QFETCH(QString, node);
    QFETCH(QString, allowed);
    QFETCH(bool, pasteOption);
    QFETCH(bool, pasteDecision);
    using namespace ContextAction;
    WorkedExample ex;
    AddOption(ex.d, "C", 1, 0);
    ex.s->RemoveChild(ex.s1);
    CNode::FreeSubtree(ex.s1);
    const std::map<QString, CNode *> nodes{{"Plan", ex.root}, {"D", ex.d}, {"A", ex.a},
                                           {"B", ex.b},       {"S", ex.s}, {"S2", ex.s2},
                                           {"", ex.t2}};
    const CNode *pNode = nodes.at(node);
    QString strAllowed;
    const std::pair<int, char> letters[] = {
        {ActionAddDecision, 'a'}, {ActionAddOption, 'o'}, {ActionCopy, 'c'},
        {ActionCut, 'x'},         {ActionDelete, 'd'},    {ActionChangePayoffComment, 'm'}};
    for (const auto &[nAction, cLetter] : letters)
        if (CEditRules::Allows(nAction, pNode, nullptr))
            strAllowed += QLatin1Char(cLetter);
    QCOMPARE(strAllowed, allowed);
    QCOMPARE(CEditRules::Allows(ActionAddSituation, pNode, nullptr), allowed.contains('a'));
    QCOMPARE(CEditRules::Allows(ActionPaste, pNode, ex.a), pasteOption);
    QCOMPARE(CEditRules::Allows(ActionPaste, pNode, ex.d), pasteDecision);
    QVERIFY(!CEditRules::Allows(ActionPaste, pNode, ex.root));
    QVERIFY(!CEditRules::Allows(ActionPaste, pNode, nullptr));
    // The menu offers Paste wherever some clipboard could go.
    QCOMPARE(CEditRules::Offers(ActionPaste, pNode), pasteOption || pasteDecision);
}

void TestModel::typedNumbers_data()
{
    // value is NaN where the text must be refused.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("probability");
    QTest::addColumn<double>("value");
    const double no = std::nan("");
    const struct
    {
        const char *tag, *text, *locale;
        bool probability;
        double value;
    } rows[] = {
        {"plain", " -1e3 ", "C", false, -1000.0},
        {"point in German", "0.25", "de_DE", false, 0.25},
        {"comma groups", "-1,500,000.5", "C", false, -1500000.5},
        {"space groups", "1 500", "en_US", false, 1500.0},
        {"narrow space, French", "1\u202f500,5", "fr_FR", false, 1500.5},
        {"decimal comma, German", "1,5", "de_DE", false, 1.5},
        {"point groups, German", "1.500.000,25", "de_DE", false, 1500000.25},
        {"percent", "50%", "C", true, 0.5},
        {"percent after space", "12,5 %", "fr_FR", true, 0.125},
        {"percent payoff", "50%", "C", false, no},
        {"point both ways, German", "1.500", "de_DE", false, no},
        {"comma decimal in English", "1,5", "en_US", false, no},
        {"uneven groups", "1,50,000", "C", false, no},
        {"currency", "$2000", "C", false, no},
        {"letters", "12abc", "C", false, no},
        {"empty", "  ", "C", true, no},
        {"nan", "nan", "C", false, no},
        {"overflow", "1e999", "C", false, no},
        {"underflow", "1e-999", "C", false, no},
    };
    for (const auto &row : rows)
        QTest::newRow(row.tag) << QString::fromUtf8(row.text) << QString(row.locale)
                               << row.probability << row.value;
}

void TestModel::typedNumbers()
{
    // No NaN, infinity or silent 0 may reach the rollback; a refusal says why.
    QFETCH(QString, text);
    QFETCH(QString, locale);
    QFETCH(bool, probability);
    QFETCH(double, value);
    const auto kind = probability ? CTypedNumber::Kind::Probability : CTypedNumber::Kind::Amount;
    const CTypedNumber number = CTypedNumber::Read(text, kind, QLocale(locale));
    QCOMPARE(number.IsNumber(), !std::isnan(value));
    if (number.IsNumber())
        QCOMPARE(number.ValueOr(std::nan("")), value);
    else
        QVERIFY2(number.Refusal().contains(text.trimmed()) || text.trimmed().isEmpty(),
                 qPrintable(number.Refusal()));
    // Typed on the canvas without variables, nothing else reads: no formula
    // makes 1.5 of the "1.500" refused as a number.
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const CTreeFormulas::Typed typed = CTreeFormulas::Read(text, kind, nullptr, CVariables());
    QLocale::setDefault(before);
    QCOMPARE(typed.refusal.isEmpty(), !std::isnan(value));
    if (!std::isnan(value))
        QCOMPARE(typed.value, value);
}

void TestModel::numberFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("grouping");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("shown");
    const int asNeeded = NumberFormat::AsNeeded;
    const double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        const char *tag;
        double value;
        bool grouping;
        int decimals;
        const char *prefix, *suffix, *shown;
    } rows[] = {
        {"default: every digit before the point", 1164567, false, asNeeded, "", "", "1164567"},
        {"default: six digits after", 12345.678, false, asNeeded, "", "", "12345.7"},
        {"default: rounds into a seventh digit", 999999.7, false, asNeeded, "", "", "999999.7"},
        {"default: from 1e15 on, an exponent", 2e15, false, asNeeded, "", "", "2e+15"},
        {"default: whole numbers to the last digit", -999999999999999, false, asNeeded, "", "",
         "-999999999999999"},
        {"default: a negative zero shows as zero", -0.0, false, asNeeded, "", "", "0"},
        {"currency", 1234567, true, 2, "$", "", "$1,234,567.00"},
        {"sign before the currency", -1234.5, true, 2, "$", "", "-$1,234.50"},
        {"rounds to no sign", -0.001, false, 2, "$", "", "$0.00"},
        {"suffix, no decimals, rounded", 2499.5, true, 0, "", " €", "2,500 €"},
        {"grouping as needed", 1234.5, true, asNeeded, "", "", "1,234.5"},
        {"three digits stay whole", 999, true, 1, "", "", "999.0"},
        {"small fraction keeps its digits", 0.000123, false, asNeeded, "$", "", "$0.000123"},
        {"huge values keep the exponent", 1e20, true, 2, "", "", "1e+20"},
        {"too many decimals are capped", 1.0 / 3, false, 30, "", "", "0.333333333"},
        {"infinity", -inf, true, 2, "$", "", "$-inf"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.tag) << row.value << row.grouping << row.decimals
                               << QString::fromUtf8(row.prefix) << QString::fromUtf8(row.suffix)
                               << QString::fromUtf8(row.shown);
}

void TestModel::numberFormat()
{
    QFETCH(double, value);
    QFETCH(bool, grouping);
    QFETCH(int, decimals);
    QFETCH(QString, prefix);
    QFETCH(QString, suffix);
    QFETCH(QString, shown);
    const NumberFormat format{grouping, decimals, prefix, suffix};
    QCOMPARE(NumberToText(value, format), shown);
    // What is shown without a currency types back as the number shown.
    if (prefix.isEmpty() && suffix.isEmpty() && std::isfinite(value)) {
        const CTypedNumber typed = CTypedNumber::Read(shown, CTypedNumber::Kind::Amount);
        QVERIFY2(typed.IsNumber(), qPrintable(typed.Refusal()));
        QCOMPARE(NumberToText(typed.ValueOr(0), format), shown);
    }
}

void TestModel::workedExampleRollback()
{
    WorkedExample ex;
    const std::vector<CNode *> written = CDecisionSolver().Solve(ex.root);
    // The order in which values are written is what the window refreshes by.
    QCOMPARE(written, (std::vector<CNode *>{ex.ta, ex.d, ex.t1, ex.s, ex.d, ex.t2, ex.s, ex.d}));
    QCOMPARE(ex.d->payoff, 10.0);
    QCOMPARE(ex.s->payoff, 9.0);
    QCOMPARE(ex.t1->payoff, 30.0);
    QCOMPARE(ex.t1->probability, 0.4);
    QVERIFY(ex.a->active && !ex.b->active && ex.s1->active && ex.s2->active);
    // Solving again changes nothing.
    CDecisionSolver().Solve(ex.root);
    QCOMPARE(ex.d->payoff, 10.0);
    QVERIFY(ex.a->active && !ex.b->active);
}

void TestModel::choices_data()
{
    // D's options A and B lead to these values (B through S, worth B's
    // payoff + 9 while S1 has 0.4); S1 has this probability.
    QTest::addColumn<double>("payoffA");
    QTest::addColumn<double>("payoffB");
    QTest::addColumn<double>("probability");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("active"); // A, B, S1 as 0 or 1
    const double dLowest = std::numeric_limits<double>::lowest();
    QTest::newRow("tie keeps the first") << 9.0 << 0.0 << 0.4 << 9.0 << "101";
    QTest::newRow("nan never chosen") << std::nan("") << -7.0 << 0.4 << 2.0 << "011";
    QTest::newRow("nothing usable") << std::nan("") << std::nan("") << 0.4 << dLowest << "001";
    QTest::newRow("share 0.0001, at the threshold") << 10.0 << 0.0 << 0.0001 << 10.0 << "100";
    QTest::newRow("share 0.0002") << 10.0 << 0.0 << 0.0002 << 10.0 << "101";
    QTest::newRow("negative share") << 10.0 << 0.0 << -0.5 << 10.0 << "101";
}

void TestModel::choices()
{
    QFETCH(double, payoffA);
    QFETCH(double, payoffB);
    QFETCH(double, probability);
    QFETCH(double, value);
    QFETCH(QString, active);
    WorkedExample ex;
    ex.a->payoff = payoffA;
    ex.b->payoff = payoffB;
    ex.s1->probability = probability;
    CDecisionSolver().Solve(ex.root);
    QCOMPARE(QString("%1%2%3").arg(ex.a->active).arg(ex.b->active).arg(ex.s1->active), active);
    QCOMPARE(ex.d->payoff, value);
}

void TestModel::ownerLeftWithOnlyATerminal()
{
    // When S's options are all gone, S ends in a Terminal and must take that
    // path's value, and D above must be recomputed from it, not keep the
    // values of options that no longer exist.
    WorkedExample ex;
    CDecisionSolver().Solve(ex.root);
    for (CNode *pOption : {ex.s1, ex.s2}) {
        ex.s->RemoveChild(pOption);
        CNode::FreeSubtree(pOption);
    }
    ex.b->payoff = 25;
    CNode::CreateTerminal(ex.s, "");
    CDecisionSolver().Solve(ex.s);
    QCOMPARE(ex.s->payoff, 25.0);
    QCOMPARE(ex.d->payoff, 25.0);
    QVERIFY(ex.b->active && !ex.a->active);
}

void TestModel::solveFromAnOptionLeavesSiblingsAlone()
{
    WorkedExample ex;
    CDecisionSolver().Solve(ex.root);
    ex.a->payoff = 50;
    ex.s2->payoff = 100; // not solved: A's subtree is the one that changed
    const std::vector<CNode *> written = CDecisionSolver().Solve(ex.a);
    QCOMPARE(written, (std::vector<CNode *>{ex.ta, ex.d}));
    QCOMPARE(ex.t2->payoff, -5.0);
    QCOMPARE(ex.d->payoff, 50.0);
    // A Terminal right under the Root takes the Root's own numbers.
    CDecisionTree tree;
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    tree.SetRoot(pRoot);
    pRoot->payoff = 7;
    CNode *pEnd = CNode::CreateTerminal(pRoot, "");
    QCOMPARE(CDecisionSolver().Solve(pRoot), std::vector<CNode *>{pEnd});
    QCOMPARE(pEnd->payoff, 7.0);
}

void TestModel::deepChainStaysOffTheStack()
{
    // A file can make a tree as deep as it likes; nothing may recurse on it.
    CDecisionTree tree;
    tree.SetRoot(MakeChain(100000));
    const std::vector<CNode *> written = CDecisionSolver().Solve(tree.GetRoot());
    QCOMPARE(tree.GetRoot()->children[0]->payoff, 49999.0);
    QCOMPARE(written.size(), size_t(1 + 49999));
    QVERIFY(tree.IsProbabilityConsistent());
    CNode *pCopy = tree.GetRoot()->Clone();
    pCopy->ClearPositions();
    CNode::FreeSubtree(pCopy);
}

void TestModel::subtreeWalk_data()
{
    QTest::addColumn<QString>("pruned");
    QTest::addColumn<QString>("visited");
    QTest::newRow("everything") << ""
                                << "r d a a1 a2 b b1";
    QTest::newRow("below a left out") << "a"
                                      << "r d a b b1";
    QTest::newRow("below the top left out") << "r"
                                            << "r";
}

void TestModel::subtreeWalk()
{
    // Parents before children and children in order, as a recursive walk
    // would go; a null child is passed over.
    QFETCH(QString, pruned);
    QFETCH(QString, visited);
    CNode *pRoot = CNode::CreateRoot(nullptr, "r");
    CNode *pD = CNode::CreateDecision(pRoot, "d");
    CNode *pA = CNode::CreateOption(pD, "a");
    pD->children.push_back(nullptr);
    CNode *pB = CNode::CreateOption(pD, "b");
    CNode::CreateTerminal(pA, "a1");
    CNode::CreateTerminal(pA, "a2");
    CNode::CreateTerminal(pB, "b1");
    QStringList names;
    WalkSubtree(static_cast<const CNode *>(pRoot), [&](const CNode *pNode) {
        names << QString::fromStdString(pNode->name);
        return names.last() != pruned;
    });
    QCOMPARE(names.join(QLatin1Char(' ')), visited);
    CNode::FreeSubtree(pRoot);
}

void TestModel::valuesTypedInTurnShowWhatComputingAllShows()
{
    // A value typed computes again only the formulas it reaches, through
    // variables defined by others. Each step types one value over the ones
    // before; the first takes the shares past 1 and the "#" beside them to 0;
    // a number of a formula edited directly waits for the next; the
    // posteriors divide 0 by 0 and are mended again.
    ExampleTrees::Example seismic = ExampleTrees::OilSeismic();
    CProjectDocument document;
    document.ReplaceTree(seismic.tree->TakeRoot());
    document.SetVariables(seismic.tree->Variables());
    CNode *pOil = document.GetRoot()->children[0]->children[1]->children[0]->children[0];
    QCOMPARE(pOil->probabilityFormula, std::string("pOil"));
    // Name, value, whether oil's number is edited first, problems then.
    const std::vector<std::tuple<const char *, double, bool, int>> steps = {
        {"pOil", 1.5, false, 0},     {"pOil", 0.6, false, 0},    {"revOil", 3000, false, 0},
        {"pPosIfDry", 0, false, 0},  {"pPosIfOil", 0, false, 1}, {"cDrill", 300, true, 1},
        {"pPosIfOil", 0.8, false, 0}};
    for (const auto &[pName, dValue, bEditOil, nProblems] : steps) {
        if (bEditOil)
            document.SetValues(pOil, 0.9, std::nan(""));
        CVariables typed = document.GetVariables();
        typed.SetValue(typed.Find(pName), dValue);
        document.SetVariables(typed);

        ShowsWhatComputingAllShows(document);
        QCOMPARE(document.FormulaProblems().size(), size_t(nProblems));
        QCOMPARE(document.IsConsistent(), document.GetTree().IsProbabilityConsistent());
    }
}

void TestModel::typedValuesShowWhatComputingAllShows_data()
{
    QTest::addColumn<QString>("path");
    for (const char *pDir : {RAMIFY_EXAMPLES_DIR, RAMIFY_SEEDS_DIR}) {
        const QDir folder(QString::fromUtf8(pDir));
        for (const QString &strFile : folder.entryList({"*.json", "*.rmproj"}, QDir::Files))
            QTest::newRow(qPrintable(strFile)) << folder.filePath(strFile);
    }
}

void TestModel::typedValuesShowWhatComputingAllShows()
{
    // Every variable of every project the suite and the fuzzers keep, typed
    // one above what it was, one after another; then one added, which
    // computes every formula again.
    QFETCH(QString, path);
    CProjectDocument document;
    // What a file read in part shows is edited as well.
    if (!document.Read(path).opened)
        return;
    for (int n = 0; n < document.GetVariables().Count(); ++n) {
        CVariables typed = document.GetVariables();
        typed.SetValue(n, typed.At(n).value + 1);
        document.SetVariables(typed);
        ShowsWhatComputingAllShows(document);
        QVERIFY(!QTest::currentTestFailed());
    }
    CVariables added = document.GetVariables();
    added.Add({"added_in_the_test", 1.0, "", false, 0, false, 0, ""});
    document.SetVariables(added);
    ShowsWhatComputingAllShows(document);
}

void TestModel::typedSeedsOfTheFuzzers_data()
{
    QTest::addColumn<bool>("formula");
    QTest::addColumn<QByteArray>("bytes");
    for (const bool bFormula : {true, false}) {
        const QDir folder(
            QStringLiteral(RAMIFY_SEEDS_DIR) +
            (bFormula ? QStringLiteral("/fuzz_formula") : QStringLiteral("/fuzz_number")));
        for (const QString &strFile : folder.entryList(QDir::Files)) {
            QFile file(folder.filePath(strFile));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(folder.dirName() + QLatin1Char('/') + strFile))
                << bFormula << file.readAll();
        }
    }
}

void TestModel::typedSeedsOfTheFuzzers()
{
    // What the formula and number fuzzers hold, on every input they keep.
    QFETCH(bool, formula);
    QFETCH(QByteArray, bytes);
    const QString strFault =
        formula ? FormulaChecks::Fault(bytes.left(512).toStdString()) : NumberChecks::Fault(bytes);
    QVERIFY2(strFault.isEmpty(), qPrintable(strFault));
}

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
