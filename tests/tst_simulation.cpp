// Probabilistic sensitivity analysis: answers with known standard errors,
// the same numbers for the same seed on any number of threads, failed draws
// counted rather than taken as 0, and distributions refused where typed.
#include "CDistribution.h"
#include "CProbabilisticSensitivity.h"
#include "TestTrees.h"

#include <QtTest>

#include <cmath>

using ExampleTrees::AddOption;
using ExampleTrees::ReplaceTerminal;
using Settings = CProbabilisticSensitivity::Settings;

namespace {

void AddVariable(CDecisionTree &tree, const std::string &strName,
                 const std::string &strDistribution, double dValue = 0.5)
{
    CVariables::Variable variable;
    variable.name = strName;
    variable.value = dValue;
    variable.distribution = strDistribution;
    tree.Variables().Add(variable);
}

// A Decision between a payoff x and a fixed 90.
void Gamble(CDecisionTree &tree, const std::string &strX, const std::string &strPayoff = "x")
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Gamble");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Take?");
    AddOption(pDecision, "Gamble", 1, 0)->payoffFormula = strPayoff;
    AddOption(pDecision, "Fixed", 1, 90);
    tree.SetRoot(pRoot);
    AddVariable(tree, "x", strX, 100);
    tree.ApplyFormulas();
}

// "Go" leads to a Situation whose three probabilities come from Dirichlet(2, 3, 5).
void Shares(CDecisionTree &tree)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, "Shares");
    CNode *pDecision = CNode::CreateDecision(pRoot, "Go?");
    CNode *pSituation =
        ReplaceTerminal(AddOption(pDecision, "Go", 1, 0), CNode::CreateSituation, "Market");
    AddOption(pDecision, "Stay", 1, 0.25);
    for (const auto &[pName, dPayoff, pWeight] :
         {std::tuple{"a", 1.0, "2"}, {"b", 0.0, "3"}, {"c", 0.0, "5"}}) {
        AddOption(pSituation, pName, 1.0 / 3, dPayoff)->probabilityFormula = pName;
        AddVariable(tree, pName, std::string("Dirichlet(market, ") + pWeight + ")", 1.0 / 3);
    }
    tree.SetRoot(pRoot);
    tree.ApplyFormulas();
}

void Run(const CDecisionTree &tree, const Settings &settings, CProbabilisticSensitivity *pPsa)
{
    QCOMPARE(pPsa->Prepare(tree, CDecisionRule()), QString());
    QVERIFY(pPsa->Run(settings));
}

// Within four standard errors.
void CompareNear(double dActual, double dExpected, double dError)
{
    QVERIFY2(std::fabs(dActual - dExpected) <= 4 * dError,
             qPrintable(
                 QStringLiteral("%1 is not %2 ± 4 × %3").arg(dActual).arg(dExpected).arg(dError)));
}

} // namespace

class TestSimulation : public QObject
{
    Q_OBJECT

private slots:
    void knownAnswers_data()
    {
        QTest::addColumn<bool>("latin");
        QTest::newRow("plain Monte Carlo") << false;
        QTest::newRow("Latin hypercube") << true;
    }
    void knownAnswers()
    {
        QFETCH(bool, latin);
        const int64_t nCount = 200000;
        CDecisionTree gamble;
        Gamble(gamble, "Normal(100, 20)");
        CProbabilisticSensitivity psa;
        Run(gamble, {nCount, 7, latin, 0.0, 2, false}, &psa);
        const CProbabilisticSensitivity::Summary &x = psa.StrategySummary(0);
        QCOMPARE(psa.Failed(), int64_t(0));
        CompareNear(x.mean, 100, 20 / std::sqrt(double(nCount)));
        CompareNear(x.sd, 20, 20 / std::sqrt(2.0 * double(nCount)));
        // Gamble is best where x > 90: Φ(0.5).
        CompareNear(x.best, 0.691462, std::sqrt(0.691462 * 0.308538 / double(nCount)));
        QCOMPARE(psa.StrategySummary(1).best + x.best, 1.0);

        CDecisionTree shares;
        Shares(shares);
        Run(shares, {20000, 7, latin, 0.0, 2, true}, &psa);
        QCOMPARE(psa.Failed(), int64_t(0));
        double dWorst = 0.0;
        for (int64_t i = 0; i < 20000; ++i)
            dWorst = std::max(dWorst,
                              std::fabs(psa.Drawn(i, 0) + psa.Drawn(i, 1) + psa.Drawn(i, 2) - 1));
        QVERIFY(dWorst < 1e-12);
        // Var of a Dirichlet share: a(a0 - a) / (a0² (a0 + 1)).
        CompareNear(psa.StrategySummary(0).mean, 0.2, std::sqrt(2.0 * 8 / 1100 / 20000));
    }

    // Blocks of iterations draw the same whoever runs them; a run split
    // across threads must not differ in a single bit.
    void sameSeedAnyThreads_data()
    {
        QTest::addColumn<bool>("latin");
        QTest::newRow("plain Monte Carlo") << false;
        QTest::newRow("Latin hypercube") << true;
    }
    void sameSeedAnyThreads()
    {
        QFETCH(bool, latin);
        CDecisionTree shares;
        Shares(shares);
        CProbabilisticSensitivity one;
        CProbabilisticSensitivity several;
        Run(shares, {1001, 42, latin, 0.1, 1, true}, &one);
        Run(shares, {1001, 42, latin, 0.1, 3, true}, &several);
        QCOMPARE(several.IterationTable().rows, one.IterationTable().rows);
        QCOMPARE(several.Table().rows, one.Table().rows);
        Run(shares, {1001, 43, latin, 0.1, 3, true}, &several);
        QVERIFY(several.IterationTable().rows != one.IterationTable().rows);
    }

    // sqrt of a negative draw fails about half the iterations: counted, with
    // the first reason, and left out of every figure.
    void failedDrawsAreCounted()
    {
        CDecisionTree gamble;
        Gamble(gamble, "Normal(0, 1)", "100 + sqrt(x)");
        CProbabilisticSensitivity psa;
        Run(gamble, {4000, 3, false, 0.0, 2, false}, &psa);
        CompareNear(double(psa.Failed()), 2000, std::sqrt(1000.0));
        QVERIFY2(psa.FirstFailure().contains(QLatin1String("Payoff of \"Gamble\"")),
                 qPrintable(psa.FirstFailure()));
        QVERIFY(psa.StrategySummary(0).min >= 100);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bounded");
        QTest::addColumn<QString>("reason");
        QTest::newRow("sd below 0") << "Normal(0, -1)" << false << "below 0";
        QTest::newRow("a above b") << "Uniform(2, 1)" << false << "above";
        QTest::newRow("alpha 0") << "Beta(0, 1)" << false << "above 0";
        QTest::newRow("not adding up") << "Discrete(1, 0.5, 2, 0.4)" << false << "0.9";
        QTest::newRow("unknown") << "Cauchy(0, 1)" << false << "Ramify knows";
        QTest::newRow("parameters") << "Normal(1)" << false << "2 parameters";
        QTest::newRow("no weight in range") << "Uniform(5, 6)" << true << "Low..High";
        QTest::newRow("lone Dirichlet") << "Dirichlet(2)" << false << "group";
        QTest::newRow("accepted") << "triangular(0, 2, 1)" << true << "";
    }
    void refusals()
    {
        QFETCH(QString, text);
        QFETCH(bool, bounded);
        QFETCH(QString, reason);
        const QString strProblem =
            CDistribution::Problem("p", text.toStdString(), bounded, 0.0, 1.0);
        QCOMPARE(strProblem.isEmpty(), reason.isEmpty());
        QVERIFY2(strProblem.contains(reason) && (reason.isEmpty() || strProblem.contains("\"p\"")),
                 qPrintable(strProblem));
    }

    // Each distribution's quantiles over an even grid of uniforms average to
    // its mean, in the parameters the peer's files mean.
    void means_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("mean");
        for (const auto &[pText, dMean] : {std::pair{"Normal(3, 2)", 3.0},
                                           {"LogNormal(0, 0.5)", std::exp(0.125)},
                                           {"Uniform(2, 4)", 3.0},
                                           {"Triangular(0, 3, 1)", 4.0 / 3},
                                           {"Trapezoidal(0, 6, 1, 2)", 51.0 / 21},
                                           {"Beta(2, 6)", 0.25},
                                           {"Gamma(3, 2)", 6.0},
                                           {"Exponential(5)", 5.0},
                                           {"Weibull(2, 1)", 0.886227},
                                           {"Bernoulli(0.3)", 0.3},
                                           {"Binomial(10, 0.3)", 3.0},
                                           {"Poisson(4)", 4.0},
                                           {"Discrete(5, 0.8, 1, 0.2)", 4.2}})
            QTest::newRow(pText) << pText << dMean;
    }
    void means()
    {
        QFETCH(QString, text);
        QFETCH(double, mean);
        CDistribution distribution;
        QString strError;
        QVERIFY2(distribution.Read(text.toStdString(), &strError), qPrintable(strError));
        const int nCount = 20000;
        double dSum = 0.0;
        for (int i = 0; i < nCount; ++i)
            dSum += distribution.Draw((i + 0.5) / nCount);
        QVERIFY2(std::fabs(dSum / nCount - mean) < 0.01 * std::max(1.0, mean),
                 qPrintable(QString::number(dSum / nCount)));
    }

    // A draw outside Low..High is drawn again, so the truncated Normal keeps
    // its shape inside: half of Normal(0, 1) on 0..∞ has mean √(2/π).
    void truncatedDrawsStayInside()
    {
        CDistribution normal;
        QString strError;
        QVERIFY(normal.Read("Normal(0, 1)", &strError));
        QVERIFY(normal.Truncate(0, 1e9));
        double dSum = 0.0;
        const int nCount = 100000;
        for (int i = 0; i < nCount; ++i) {
            const double dDraw = normal.Draw((i + 0.5) / nCount);
            QVERIFY(dDraw > 0);
            dSum += dDraw;
        }
        QVERIFY(std::fabs(dSum / nCount - std::sqrt(2 / M_PI)) < 1e-3);
    }
};

QTEST_GUILESS_MAIN(TestSimulation)
#include "tst_simulation.moc"
