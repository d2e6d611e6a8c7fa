#pragma once

#include <QCoreApplication>
#include <QString>

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class CFormula;
class CNode;

// The named inputs of a project. A variable holds a number, or a formula of
// other variables whose last value it keeps; a low and a high bound give the
// range the analyses move it over. Node formulas are compiled here as well,
// since they read these values.
class CVariables
{
    Q_DECLARE_TR_FUNCTIONS(CVariables)

public:
    struct Variable
    {
        std::string name;
        double value = 0.0;
        // Empty for a plain number.
        std::string formula;
        bool hasLow = false;
        double low = 0.0;
        bool hasHigh = false;
        double high = 0.0;
        std::string comment;
        // How the value is uncertain, as typed ("Normal(0.3, 0.05)"); empty
        // for a value taken as certain. Only the probabilistic sensitivity
        // analysis draws from it; every other analysis uses value.
        std::string distribution{};

        // The range the analyses move it over: Low..High where both are
        // set, else dShare of its value down and up.
        std::pair<double, double> Range(double dShare) const
        {
            if (hasLow && hasHigh)
                return {low, high};
            const double dMove = (value < 0 ? -value : value) * dShare;
            return {value - dMove, value + dMove};
        }
    };
    // Something that keeps a formula from being computed: in a variable (node
    // null) or in a node's payoff or probability.
    struct Problem
    {
        std::string variable;
        const CNode *node = nullptr;
        bool probability = false;
        QString text;
        // The second payoff's formula, in a project of two criteria.
        bool second = false;
    };

    CVariables();
    // A copy has the same variables; it compiles its formulas anew, bound to
    // its own values.
    CVariables(const CVariables &other);
    CVariables &operator=(const CVariables &other);
    // A move keeps the compiled formulas: they point into the values'
    // storage, which moves along. A project read from a file is not
    // compiled twice.
    CVariables(CVariables &&other) noexcept;
    CVariables &operator=(CVariables &&other) noexcept;
    ~CVariables();

    bool IsEmpty() const { return variables.empty(); }
    int Count() const { return int(variables.size()); }
    const Variable &At(int n) const { return variables[size_t(n)]; }
    // The variable of this name, or -1.
    int Find(const std::string &strName) const;

    // Empty when a variable may be called strName (beside the variable
    // nExcept, when renaming it); otherwise why not.
    QString NameProblem(const std::string &strName, int nExcept = -1) const;
    // Appends without checking: a file may bring in anything, and Evaluate
    // names what is wrong with it. Editors check NameProblem first.
    void Add(const Variable &variable);
    void Insert(int n, const Variable &variable);
    void Remove(int n);
    // Replaces variable n. A new name is not followed through formulas; see
    // CTreeFormulas::Rename for that.
    void Set(int n, const Variable &variable);
    void SetValue(int n, double dValue) { variables[size_t(n)].value = dValue; }
    void Clear();

    // Computes every variable's formula after those it uses, writing their
    // values. A formula that cannot be computed keeps the variable's last
    // value; every problem is returned, each naming the variable.
    std::vector<Problem> Evaluate();
    // The compiled formula of this text, bound to the variables' values;
    // kept until a variable is added, removed or renamed.
    const CFormula &Compiled(const std::string &strText);

private:
    void ForgetCompiled();
    // The variables a variable's formula uses, by position; -1 for a name
    // that is not a variable.
    std::vector<int> Dependencies(int n);
    // "a → b → a": the names of a cycle, the first again at the end.
    QString CycleNames(const std::vector<int> &cycle) const;

    std::vector<Variable> variables;
    std::unordered_map<std::string, std::unique_ptr<CFormula>> compiled;
    // The first variable of each name; empty until Find needs it.
    mutable std::unordered_map<std::string, int> byName;
};
