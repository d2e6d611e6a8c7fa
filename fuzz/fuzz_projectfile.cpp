// Feeds arbitrary bytes to the project file reader. Whatever it makes of them
// must save and read back to the same tree: a reader that builds something the
// writer cannot carry, or a writer that loses it, ends the run.
#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

bool SameTrees(const CNode *pFirst, const CNode *pSecond)
{
    std::vector<std::pair<const CNode *, const CNode *>> pending{{pFirst, pSecond}};
    while (!pending.empty()) {
        const auto [pA, pB] = pending.back();
        pending.pop_back();
        if (!pA || !pB)
            return pA == pB;
        // Doubles compare by their bits' meaning; NaN is only equal to NaN.
        const auto same = [](double a, double b) { return a == b || (a != a && b != b); };
        if (pA->type != pB->type || pA->name != pB->name ||
            !same(pA->probability, pB->probability) || !same(pA->payoff, pB->payoff) ||
            pA->payoffComment != pB->payoffComment || pA->x != pB->x || pA->y != pB->y ||
            pA->active != pB->active || pA->children.size() != pB->children.size())
            return false;
        for (size_t i = 0; i < pA->children.size(); ++i) {
            if (pA->children[i]->parent != pA || pB->children[i]->parent != pB)
                return false;
            pending.emplace_back(pA->children[i], pB->children[i]);
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    QBuffer input;
    input.setData(reinterpret_cast<const char *>(pData), int(nSize));
    CDecisionTree tree;
    const CProjectFile::ReadResult result = CProjectFile::Read(input, tree);
    if (!result.opened)
        std::abort();
    if (!tree.GetRoot())
        return 0;

    QBuffer output;
    output.open(QIODevice::WriteOnly);
    if (!CProjectFile::Write(output, tree, result.projectName))
        std::abort();
    output.close();

    CDecisionTree copy;
    const CProjectFile::ReadResult again = CProjectFile::Read(output, copy);
    if (!again.Succeeded() || again.projectName != result.projectName ||
        !SameTrees(tree.GetRoot(), copy.GetRoot()))
        std::abort();
    return 0;
}
