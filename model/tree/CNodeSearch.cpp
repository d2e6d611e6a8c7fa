#include "CNodeSearch.h"

#include "CNode.h"

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
    std::vector<CNode *> pending{pRoot};
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (Holds(pNode->name, strText) || Holds(pNode->payoffComment, strText))
            found.push_back(pNode);
        // Reversed, so that the first child comes off the stack first.
        pending.insert(pending.end(), pNode->children.rbegin(), pNode->children.rend());
    }
    return found;
}
