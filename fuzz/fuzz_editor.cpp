// Feeds arbitrary bytes to the editor window as a project file. The window
// must show what it can, lay it out, roll it back and highlight the chosen
// path without a fault; every node of a shown tree that no fold hides gets
// its item, and no hidden one does; every analysis panel must compute on it,
// and again after an edit, without a fault; and what the window then saves
// must read back to the same tree.
#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
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

#include <cstdint>
#include <cstdlib>
#include <memory>
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
    std::vector<const CNode *> pending{pRoot};
    while (!pending.empty()) {
        const CNode *pNode = pending.back();
        pending.pop_back();
        if ((window.GetItem(pNode) != nullptr) != (bShown && !CTreeScene::IsHidden(pNode)))
            std::abort();
        pending.insert(pending.end(), pNode->children.begin(), pNode->children.end());
    }
    if (bShown) {
        // As after an edit at the Root: solve everything, then highlight.
        window.NotifyValuesChanged(pRoot);
        window.TreeScene()->LayoutChildren(pRoot);
        window.TreeScene()->UpdateBestPath(pRoot, window.GetTree().IsProbabilityConsistent());
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
        !SameTrees(pRoot, copy.GetRoot()))
        std::abort();
    return 0;
}
