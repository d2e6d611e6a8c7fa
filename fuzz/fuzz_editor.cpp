// Feeds arbitrary bytes to the editor window as a project file. The window
// must show what it can, lay it out, roll it back and highlight the chosen
// path without a fault; every node of a shown tree that no fold hides gets
// its item, and no hidden one does; and what
// the window then saves must read back to the same tree.
#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CTreeScene.h"
#include "FuzzTrees.h"

#include <QApplication>
#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // One application, and so one platform, for the whole run. It is never
    // destroyed: the run ends with exit(), after which nothing may use it.
    new QApplication(*pArgc, *pArgv);
    return 0;
}

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
