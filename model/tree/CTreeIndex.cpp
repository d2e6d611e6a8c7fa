#include "CTreeIndex.h"

#include "CNode.h"

namespace {

using NodeType::IsOwner;

// What may hang below the Root or an option.
bool IsOutcome(int nType)
{
    return IsOwner(nType) || nType == NodeType::Terminal;
}

} // namespace

CTreeIndex::CTreeIndex(const CNode *pRoot)
{
    if (!pRoot)
        return;
    entries.push_back({pRoot, pRoot->type, None, 0, 0});
    // entries itself is the breadth-first queue.
    for (size_t i = 0; i < entries.size(); ++i) {
        const int nFirst = int(entries.size());
        for (const CNode *pChild : entries[i].node->children) {
            if (!pChild) {
                nullChild = true;
                continue;
            }
            entries.push_back({pChild, pChild->type, int(i), 0, 0});
        }
        entries[i].firstChild = nFirst;
        entries[i].childCount = int(entries.size()) - nFirst;
    }
}

int CTreeIndex::FromId(quint64 nId) const
{
    if (nId == 0 || nId > quint64(entries.size()))
        return None;
    return int(nId - 1);
}

int CTreeIndex::IndexOf(const CNode *pNode) const
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].node == pNode)
            return int(i);
    return None;
}

std::vector<int> CTreeIndex::OptionsNamed(const std::string &strName) const
{
    std::vector<int> found;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].type == NodeType::Option && entries[i].node->name == strName)
            found.push_back(int(i));
    return found;
}

QString CTreeIndex::Describe(int n) const
{
    const char *pKind = NodeType::Name(Type(n));
    return tr("%1 \"%2\" (#%3)")
        .arg(pKind ? QCoreApplication::translate("NodeType", pKind) : tr("Node"),
             QString::fromStdString(Node(n)->name))
        .arg(IdOf(n));
}

QString CTreeIndex::ShapeProblem() const
{
    if (entries.empty())
        return tr("The project holds no decision tree.");
    if (nullChild)
        return tr("The tree holds an empty link between nodes.");
    for (int n = 0; n < Size(); ++n) {
        const QString strProblem = NodeProblem(n);
        if (!strProblem.isEmpty())
            return tr("%1 %2; the editor never builds such a tree.").arg(Describe(n), strProblem);
    }
    return QString();
}

QString CTreeIndex::NodeProblem(int n) const
{
    const int nType = Type(n);
    const int nFirst = FirstChild(n);
    const int nCount = ChildCount(n);
    if ((n == 0) != (nType == NodeType::Root))
        return n == 0 ? tr("stands at the top") : tr("stands below another node");
    if (nType == NodeType::Root || nType == NodeType::Option) {
        if (nCount > 1)
            return tr("has more than one child");
        if (nCount == 1 && !IsOutcome(Type(nFirst)))
            return tr("leads to a node of the wrong kind");
        if (nCount == 0 && nType == NodeType::Option)
            return tr("leads nowhere");
        return QString();
    }
    if (IsOwner(nType)) {
        if (nCount == 1 && Type(nFirst) == NodeType::Terminal)
            return QString();
        for (int c = nFirst; c < nFirst + nCount; ++c)
            if (Type(c) != NodeType::Option)
                return tr("holds something other than options");
        return QString();
    }
    if (nType == NodeType::Terminal)
        return nCount == 0 ? QString() : tr("has children");
    return tr("is of an unknown kind");
}
