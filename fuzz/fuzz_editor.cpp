// Feeds arbitrary bytes to the editor window as a project file. The window
// must show what it can, lay it out, roll it back and highlight the chosen
// path without a fault; every node of a shown tree that no fold hides shows
// its item, and no hidden one does, also after a few edits the input's last
// bytes choose (folds, variables, formulas typed, the number format, undo);
// every analysis panel must compute on it, and again after an edit, without
// a fault; and what the window then saves must read back to the same tree
// and variables.
#include "CDecisionTreeWindow.h"
#include "CLeagueTablePanel.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CProjectSettings.h"
#include "CRiskProfilePanel.h"
#include "CSensitivityPanel.h"
#include "CSpiderPanel.h"
#include "CTornadoPanel.h"
#include "CTreeScene.h"
#include "CTwoWayPanel.h"
#include "CValueOfInformationPanel.h"
#include "CVariableSensitivityPanel.h"
#include "CVariablesPanel.h"
#include "FuzzTrees.h"

#include <QApplication>
#include <QBuffer>
#include <QUndoStack>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // One application, and so one platform, for the whole run. It is never
    // destroyed: the run ends with exit(), after which nothing may use it.
    new QApplication(*pArgc, *pArgv);
    return 0;
}

namespace {

// One edit as the menus, the variables panel and typing make it, on a node shown.
void Edit(CDecisionTreeWindow &window, const std::vector<CNode *> &shown, uint8_t nOp, uint8_t nArg)
{
    CNode *pNode = shown[nArg % shown.size()];
    switch (nOp % 5) {
    case 0:
        if (pNode->type == NodeType::Decision || pNode->type == NodeType::Situation) {
            if (pNode->folded)
                window.Unfold(pNode);
            else
                window.Fold(pNode);
        }
        break;
    case 1: {
        CVariables variables = window.GetDocument().GetVariables();
        const std::string strName = "fz" + std::to_string(variables.Count());
        if (variables.NameProblem(strName).isEmpty()) {
            variables.Add({strName, double(nArg) - 100, "", false, 0, false, 0, ""});
            window.ChangeVariables(QStringLiteral("Variable"), variables);
        }
        break;
    }
    case 2:
        // Names "fz0", which an undo may take away again, or which never was.
        if (pNode->type == NodeType::Option)
            emit window.GetItem(pNode)->sig_formulaTyped(
                nArg & 1, nArg & 1 ? QStringLiteral("fz0 / 300") : QStringLiteral("fz0 * 2 + 1"));
        break;
    case 3: {
        CProjectSettings settings = window.GetDocument().GetSettings();
        settings.numbers = {bool(nArg & 1), int((nArg >> 1) % 11) - 1,
                            nArg & 32 ? QStringLiteral("$") : QString(),
                            nArg & 64 ? QStringLiteral(" €") : QString()};
        window.ChangeSettings(settings);
        break;
    }
    default:
        window.GetUndoStack()->undo();
    }
}

// Opens every panel on the project, lets each compute, makes an edit that
// each must follow, and closes them again.
void OpenEveryPanel(CProjectDocument &document)
{
    const CNode *pOption = nullptr;
    std::vector<const CNode *> pending{document.GetRoot()};
    while (!pOption && !pending.empty() && pending.back()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->type == NodeType::Option)
            pOption = pNode;
        pending.insert(pending.end(), pNode->children.begin(), pNode->children.end());
    }
    std::vector<std::unique_ptr<QWidget>> panels;
    panels.emplace_back(new CSensitivityPanel(&document, pOption));
    if (!document.GetVariables().IsEmpty())
        panels.emplace_back(
            new CVariableSensitivityPanel(&document, document.GetVariables().At(0).name));
    panels.emplace_back(new CTornadoPanel(&document));
    panels.emplace_back(new CSpiderPanel(&document));
    panels.emplace_back(new CTwoWayPanel(&document));
    panels.emplace_back(new CRiskProfilePanel(&document));
    panels.emplace_back(new CValueOfInformationPanel(&document));
    panels.emplace_back(new CLeagueTablePanel(&document));
    panels.emplace_back(new CVariablesPanel(&document));
    QCoreApplication::processEvents();
    // Put back exactly, so that what is saved below is still what was read.
    if (pOption) {
        const double dPayoff = pOption->payoff;
        document.SetValues(const_cast<CNode *>(pOption), pOption->probability, dPayoff + 1);
        QCoreApplication::processEvents();
        document.SetValues(const_cast<CNode *>(pOption), pOption->probability, dPayoff);
        QCoreApplication::processEvents();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    QBuffer input;
    input.setData(reinterpret_cast<const char *>(pData), int(nSize));
    CDecisionTreeWindow window(nullptr, QString());
    window.ReadProject(input);
    CNode *pRoot = window.GetTree().GetRoot();
    if (!pRoot)
        return 0;

    // The window shows a tree whose Root has exactly one child, all of it.
    const bool bShown = pRoot->children.size() == 1;
    // The nodes shown; aborts where an item is missing or one too many.
    const auto shownNodes = [&window, pRoot, bShown]() {
        std::vector<CNode *> shown;
        std::vector<CNode *> pending{pRoot};
        while (!pending.empty()) {
            CNode *pNode = pending.back();
            pending.pop_back();
            const bool bItem = bShown && !CTreeScene::IsHidden(pNode);
            // A fold made in the window hides the items below it, and keeps
            // them for unfolding; a fold read from the file never made them.
            const CNodeGrapicsItem *pItem = window.GetItem(pNode);
            if (bItem ? !pItem || !pItem->isVisible() : pItem && pItem->isVisible())
                std::abort();
            if (bItem)
                shown.push_back(pNode);
            pending.insert(pending.end(), pNode->children.begin(), pNode->children.end());
        }
        return shown;
    };
    shownNodes();
    if (bShown) {
        // As after an edit at the Root: solve everything, then highlight.
        window.NotifyValuesChanged(pRoot);
        window.TreeScene()->LayoutChildren(pRoot);
        window.TreeScene()->UpdateBestPath(pRoot, window.GetTree().IsProbabilityConsistent());
        const size_t nOps = std::min<size_t>(nSize, 12);
        for (size_t i = nSize - nOps; i + 1 < nSize; i += 2)
            Edit(window, shownNodes(), pData[i], pData[i + 1]);
        shownNodes();
    }
    OpenEveryPanel(window.GetDocument());

    // Saved with its settings and opened again as the window opens files:
    // formulas computed, then the tree rolled back by the project's rule. A
    // crafted option without a child is a leaf whose values the rollback
    // writes, so only a reading that rolls back too must meet the same tree.
    QBuffer output;
    output.open(QIODevice::WriteOnly);
    if (!window.GetDocument().Write(output, nullptr))
        std::abort();
    output.close();
    CProjectDocument copy;
    const CProjectFile::ReadResult again = copy.Read(output);
    if (!again.Succeeded() || copy.GetProjectName() != window.GetProjectName() ||
        !SameTrees(pRoot, copy.GetRoot()) ||
        !SameVariables(window.GetDocument().GetVariables(), copy.GetVariables()))
        std::abort();
    return 0;
}
