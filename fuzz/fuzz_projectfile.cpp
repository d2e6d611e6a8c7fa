// Feeds arbitrary bytes to the project file reader (and, for bytes that
// start as JSON, the SilverDecisions reader behind it). Whatever it makes of them
// must save and read back to the same tree: a reader that builds something the
// writer cannot carry, or a writer that loses it, ends the run. The plain scan
// must read the bytes as Qt's reader does, or leave them to it.
#include "CDecisionTree.h"
#include "CNode.h"
#include "CProjectFile.h"
#include "FuzzTrees.h"
#include "ReadBothWays.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pData, size_t nSize)
{
    QBuffer input;
    input.setData(reinterpret_cast<const char *>(pData), int(nSize));
    CDecisionTree tree;
    const CProjectFile::ReadResult result = CProjectFile::Read(input, tree);
    // Bytes that start as JSON are read as a SilverDecisions file, which is
    // refused as a whole when anything in its structure is wrong.
    if (!result.opened && !(result.foreign && !result.errorText.isEmpty() && !tree.GetRoot()))
        std::abort();
    if (!ReadsAsQtDoes(QByteArray::fromRawData(reinterpret_cast<const char *>(pData), int(nSize))))
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
    // A saved file holds its tree and nothing else, so none of its nodes
    // may count as dropped.
    if (!again.Succeeded() || again.projectName != result.projectName ||
        again.nodesInFile != again.nodesInTree || again.nodesInTree != result.nodesInTree ||
        !SameTrees(tree.GetRoot(), copy.GetRoot()))
        std::abort();
    return 0;
}
