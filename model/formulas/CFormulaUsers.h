#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class CNode;
class CVariables;

// Which nodes' formulas read each variable, and which Situations share out a
// rest ("#"), so that a changed value is computed again only where it is
// read. It describes the tree and the formulas it was built from: a changed
// formula, a changed name or a changed shape of the tree leaves it stale.
class CFormulaUsers
{
public:
    // Walks the tree once. The names are those each compiled formula was
    // bound to, so a name only mentioned (inside a number, say) reads nothing.
    void Build(CNode *pRoot, CVariables &variables);

    // The nodes whose formulas read any variable whose value is not what
    // before holds (by position), each once, in the order of the walk.
    std::vector<CNode *> Readers(const CVariables &variables,
                                 const std::vector<double> &before) const;
    const std::vector<CNode *> &RestSituations() const { return rests; }
    // Where pNode comes among the nodes with formulas in a walk of the tree,
    // parents first: the order in which their problems are listed.
    int Order(const CNode *pNode) const;

private:
    std::unordered_map<std::string, std::vector<int>> readers;
    std::vector<CNode *> withFormulas;
    std::unordered_map<const CNode *, int> order;
    std::vector<CNode *> rests;
};
