#pragma once

#include <QString>

#include <vector>

class CTreeIndex;

// The complete strategies of a tree, a choice at every Decision a strategy
// reaches, numbered from 0: the league table and the probabilistic
// sensitivity analysis compare the same strategies under the same names.
// Strategy k picks, at each Decision, the option whose subtree holds its
// number; below a Situation the options' subtrees split the number like the
// digits of a mixed radix, the first option's the lowest.
class CStrategies
{
public:
    // Counts each subtree's strategies up to nCap (one more than the most
    // that will be listed is enough to tell there are too many).
    CStrategies(const CTreeIndex &treeIndex, long long nCap);

    // The tree's number of strategies, or nCap when there are more.
    long long Count() const { return counts.empty() ? 0 : counts.front(); }
    // How many Decisions have options to choose from.
    int Decisions() const { return decisions; }
    // Whether n is a Decision with options.
    static bool IsChoice(const CTreeIndex &index, int n);
    // Strategy k: the child position each Decision it reaches takes, by
    // node; -1 at every other node.
    std::vector<int> Choices(long long nStrategy) const;
    // The chosen options' names, from the top, joined by " / ".
    QString Name(const std::vector<int> &choices) const;

private:
    const CTreeIndex &index;
    std::vector<long long> counts;
    int decisions = 0;
};
