// Times a tree of 10,000 nodes whose 5,000 option payoffs are formulas over
// 50 variables: one variable changed and everything computed and rolled back
// again (what a value typed in the variables panel costs the model), and the
// project opened from a file, formulas included. Then the same in the
// editor: the project opened in a window with its variables panel and
// painted, and one variable typed there: computed, rolled back, the canvas
// and the panel brought up to date and painted.
// Run with QT_QPA_PLATFORM=offscreen where there is no display.
#include "BenchTrees.h"
#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CProjectFile.h"
#include "CVariablesPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Variables = 50;
constexpr int Runs = 5;

// Gives every option a payoff formula over two or three of the variables,
// some of them given by formulas of others.
void AddFormulas(CDecisionTree &tree)
{
    for (int i = 0; i < Variables; ++i) {
        CVariables::Variable variable;
        variable.name = "v" + std::to_string(i);
        variable.value = 100.0 + i;
        if (i % 5 == 4)
            variable.formula = "v" + std::to_string(i - 1) + " * 1.1 + v" + std::to_string(i / 2);
        tree.Variables().Add(variable);
    }
    std::vector<CNode *> pending{tree.GetRoot()};
    int nFormula = 0;
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->type == NodeType::Option) {
            const int k = nFormula++;
            // Every text differs, so none shares a compiled formula.
            pNode->payoffFormula = "v" + std::to_string(k % Variables) + " * " +
                                   std::to_string(1 + k % 7) + "." + std::to_string(k) +
                                   " - max(v" + std::to_string((k * 7) % Variables) + ", v" +
                                   std::to_string((k * 13) % Variables) + ") / 2";
        }
        for (CNode *pChild : pNode->children)
            pending.push_back(pChild);
    }
    std::printf("%d nodes, %d payoff formulas over %d variables\n",
                BenchTrees::CountNodes(tree.GetRoot()), nFormula, Variables);
}

void Report(const char *pLabel, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s min %8.2f ms  median %8.2f ms\n", pLabel, times.front(),
                times[times.size() / 2]);
}

} // namespace

// What typing a value in the variables panel costs, window and panel included.
void InTheEditor(const QString &strPath)
{
    std::vector<double> opens, typed;
    for (int nRun = 0; nRun < Runs; ++nRun) {
        QElapsedTimer timer;
        timer.start();
        CDecisionTreeWindow window(nullptr, QString());
        window.resize(1200, 800);
        window.LoadProject(strPath);
        window.show();
        CVariablesPanel panel(&window.GetDocument());
        panel.show();
        window.viewport()->repaint();
        QCoreApplication::processEvents();
        opens.push_back(timer.nsecsElapsed() / 1e6);
        for (int i = 0; i < Runs; ++i) {
            CVariables variables = window.GetDocument().GetVariables();
            variables.SetValue(i, 400.0 + nRun * Runs + i);
            timer.restart();
            window.GetDocument().SetVariables(variables);
            window.viewport()->repaint();
            panel.repaint();
            typed.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    Report("editor: opened with the panel, painted", opens);
    Report("editor: one variable typed, shown, painted", typed);
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    CDecisionTree tree;
    tree.SetRoot(BenchTrees::MakeRealistic(10000));
    AddFormulas(tree);
    tree.ApplyFormulas();

    std::vector<double> changes;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        tree.Variables().SetValue(i, 200.0 + i);
        tree.ApplyFormulas();
        CDecisionSolver().Solve(tree.GetRoot(), [](CNode *) {});
        changes.push_back(timer.nsecsElapsed() / 1e6);
    }
    Report("one variable changed, computed, rolled back", changes);
    std::vector<double> computes, rollbacks;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        tree.Variables().SetValue(i, 300.0 + i);
        tree.ApplyFormulas();
        computes.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        CDecisionSolver().Solve(tree.GetRoot(), [](CNode *) {});
        rollbacks.push_back(timer.nsecsElapsed() / 1e6);
    }
    Report("  of which the formulas", computes);
    Report("  of which the rollback", rollbacks);

    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("formulas.rmproj"));
    CProjectFile::Write(strPath, tree, QStringLiteral("Formulas"));
    std::vector<double> opens;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        CDecisionTree copy;
        const CProjectFile::ReadResult result = CProjectFile::Read(strPath, copy);
        CDecisionSolver().Solve(copy.GetRoot(), [](CNode *) {});
        opens.push_back(timer.nsecsElapsed() / 1e6);
        if (!result.formulaProblems.empty())
            std::printf("%s\n", qPrintable(result.FormulaMessage()));
    }
    Report("opened from a file, computed, rolled back", opens);
    InTheEditor(strPath);
    return 0;
}
