#include "CStrategies.h"

#include "CNode.h"
#include "CTreeIndex.h"

#include <QStringList>

#include <algorithm>
#include <utility>

CStrategies::CStrategies(const CTreeIndex &treeIndex, long long nCap)
    : index(treeIndex), counts(size_t(treeIndex.Size()), 1)
{
    // Children come after their parent: backwards, each is counted first.
    for (int n = index.Size() - 1; n >= 0; --n) {
        const int nFirst = index.FirstChild(n);
        const bool bChoice = IsChoice(index, n);
        decisions += bChoice;
        long long nCount = bChoice ? 0 : 1;
        for (int c = nFirst; c < nFirst + index.ChildCount(n); ++c)
            nCount = bChoice ? nCount + counts[size_t(c)] : nCount * counts[size_t(c)];
        counts[size_t(n)] = std::min(nCount, nCap);
    }
}

bool CStrategies::IsChoice(const CTreeIndex &index, int n)
{
    return index.Type(n) == NodeType::Decision && index.ChildCount(n) > 0 &&
           index.Type(index.FirstChild(n)) == NodeType::Option;
}

std::vector<int> CStrategies::Choices(long long nStrategy) const
{
    std::vector<int> choices(size_t(index.Size()), -1);
    std::vector<std::pair<int, long long>> stack{{0, nStrategy}};
    while (!stack.empty()) {
        auto [n, k] = stack.back();
        stack.pop_back();
        const int nFirst = index.FirstChild(n);
        const bool bChoice = IsChoice(index, n);
        for (int c = nFirst; c < nFirst + index.ChildCount(n); ++c) {
            const long long nHere = counts[size_t(c)];
            if (!bChoice) {
                stack.emplace_back(c, k % nHere);
                k /= nHere;
            } else if (k < nHere) {
                choices[size_t(n)] = c - nFirst;
                stack.emplace_back(c, k);
                break;
            } else {
                k -= nHere;
            }
        }
    }
    return choices;
}

QString CStrategies::Name(const std::vector<int> &choices) const
{
    QStringList path;
    for (int n = 0; n < index.Size(); ++n)
        if (choices[size_t(n)] >= 0)
            path << QString::fromStdString(
                index.Node(index.FirstChild(n) + choices[size_t(n)])->name);
    return path.join(QStringLiteral(" / "));
}
