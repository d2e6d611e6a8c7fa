#include "CNodeSearch.h"

#include "CNode.h"
#include "SubtreeWalk.h"

namespace {

bool Holds(const std::string &strField, const QString &strText)
{
    return !strField.empty() &&
           QString::fromStdString(strField).contains(strText, Qt::CaseInsensitive);
}

} // namespace

std::vector<CNode *> CNodeSearch::Matches(CNode *pRoot, const QString &strText)
{
    std::vector<CNode *> found;
    if (!pRoot || strText.isEmpty())
        return found;
    WalkSubtree(pRoot, [&](CNode *pNode) {
        if (Holds(pNode->name, strText) || Holds(pNode->payoffComment, strText))
            found.push_back(pNode);
    });
    return found;
}
