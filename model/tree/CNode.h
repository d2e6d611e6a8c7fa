#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Kind codes of a node; they are also the "Type" values of the project file.
// A namespace rather than an enum class, because CNode::type is a plain integer
// that may hold codes a file brought in.
namespace NodeType {
enum Code : int32_t
{
    Root = 0,
    Decision = 1,
    Situation = 2,
    Option = 3,
    Terminal = 4,
};

// A Decision or a Situation: a node that holds options.
inline bool IsOwner(int nType)
{
    return nType == Decision || nType == Situation;
}

// "Decision": a kind as reports and messages name it (translated in the
// context "NodeType"); null for a code that is no kind.
const char *Name(int nType);
} // namespace NodeType

// One node of a decision tree: a plain heap record. A node never owns its
// children; a subtree is released with FreeSubtree.
class CNode
{
public:
    // Marks a coordinate that was never stored.
    static constexpr int32_t NoPosition = INT32_MIN;

    CNode(CNode *pParent, const std::string &strName);
    CNode(const CNode &other) = default;
    CNode &operator=(const CNode &other) = delete;
    ~CNode() = default;

    // Deep copy of this node and everything below it. The copy's parent still
    // names this node's parent, but the copy is not among that parent's children.
    CNode *Clone() const;

    void RemoveChild(CNode *pChild);
    void AttachChild(CNode *pChild);
    // Puts pChild back at nIndex (clamped to the valid range); used to restore a
    // detached subtree exactly where it was.
    void InsertChild(int nIndex, CNode *pChild);
    int IndexOfChild(const CNode *pChild) const;

    bool HasPosition() const { return x != NoPosition && y != NoPosition; }
    void ClearPositions();
    bool HasChildren() const { return !children.empty(); }
    bool HasOnlyTerminalChild() const;
    // An option, or an end standing among the options of a Decision or
    // Situation, which a crafted file may hold and which stands for one.
    bool IsOptionInPlace() const;
    // The sum of the children's probabilities, and whether it is 1 as closely
    // as the editor asks before it solves below a Situation.
    double ChildProbabilitySum() const;
    bool ChildProbabilitiesAddUp() const;

    // Kind constructors: each runs the general constructor, then sets its kind.
    // Root, Decision, Situation and Terminal start on the chosen path; an Option
    // starts off it until the solver decides.
    static CNode *CreateRoot(CNode *pParent, const std::string &strName);
    static CNode *CreateDecision(CNode *pParent, const std::string &strName);
    static CNode *CreateSituation(CNode *pParent, const std::string &strName);
    static CNode *CreateOption(CNode *pParent, const std::string &strName);
    static CNode *CreateTerminal(CNode *pParent, const std::string &strName);

    // Frees pNode and every node below it; a null pointer is ignored. Works
    // without recursion, so any depth is safe.
    static void FreeSubtree(CNode *pNode);

    int32_t type = -1;
    std::string name;
    CNode *parent = nullptr;
    std::vector<CNode *> children;
    double probability = 1.0;
    double payoff = 0.0;
    std::string payoffComment;
    // An option's payoff and probability may be formulas of the project's
    // variables (empty for a plain number); payoff and probability then hold
    // their last computed values. "#" as a probability is the rest of its
    // Situation.
    std::string payoffFormula;
    std::string probabilityFormula;
    // In a project with two criteria, an option's payoff is its first
    // criterion and payoff2 its second (a number, or the last value of
    // payoff2Formula); a Decision's, Situation's or end's payoff is then the
    // combined value and expected1, expected2 its two expected criteria.
    // They travel with the node, so that every copy, paste, undo and flip
    // carries them as it carries the first payoff.
    double payoff2 = 0.0;
    std::string payoff2Formula;
    double expected1 = 0.0;
    double expected2 = 0.0;
    int32_t x = NoPosition;
    int32_t y = NoPosition;
    bool active = false;
    // Everything below is out of sight (a Decision or Situation only); the
    // tree itself stays whole for every edit, search and evaluation.
    bool folded = false;
};
