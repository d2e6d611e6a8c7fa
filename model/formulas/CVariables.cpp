#include "CVariables.h"

#include "CFormula.h"

#include <QStringList>

#include <algorithm>
#include <deque>

CVariables::CVariables() = default;

CVariables::CVariables(const CVariables &other) : variables(other.variables) {}

CVariables &CVariables::operator=(const CVariables &other)
{
    if (this == &other)
        return *this;
    // The same names in the same places: the compiled formulas stay bound to
    // the same values (a vector of the same size keeps its storage). A value
    // typed must not compile every formula of a large tree again.
    bool bSameNames = variables.size() == other.variables.size();
    for (size_t i = 0; bSameNames && i < variables.size(); ++i)
        bSameNames = variables[i].name == other.variables[i].name;
    variables = other.variables;
    if (!bSameNames)
        ForgetCompiled();
    return *this;
}

CVariables::CVariables(CVariables &&other) noexcept = default;

CVariables &CVariables::operator=(CVariables &&other) noexcept = default;

CVariables::~CVariables() = default;

int CVariables::Find(const std::string &strName) const
{
    // Looked up for every name of every formula compiled: a map, built
    // again after the names changed, keeps a file of many variables fast.
    if (byName.empty() && !variables.empty())
        for (size_t i = variables.size(); i-- > 0;)
            byName[variables[i].name] = int(i);
    const auto it = byName.find(strName);
    return it == byName.end() ? -1 : it->second;
}

QString CVariables::NameProblem(const std::string &strName, int nExcept) const
{
    const QString strProblem = CFormula::NameProblem(strName);
    if (!strProblem.isEmpty())
        return strProblem;
    const int nFound = Find(strName);
    if (nFound >= 0 && nFound != nExcept)
        return tr("There is a variable \"%1\" already.").arg(QString::fromStdString(strName));
    return QString();
}

void CVariables::Add(const Variable &variable)
{
    Insert(Count(), variable);
}

void CVariables::Insert(int n, const Variable &variable)
{
    // Compiled formulas point at the values, which the vector may move.
    ForgetCompiled();
    variables.insert(variables.begin() + std::clamp(n, 0, Count()), variable);
}

void CVariables::Remove(int n)
{
    ForgetCompiled();
    variables.erase(variables.begin() + n);
}

void CVariables::Set(int n, const Variable &variable)
{
    if (variables[size_t(n)].name != variable.name)
        ForgetCompiled();
    variables[size_t(n)] = variable;
}

void CVariables::Clear()
{
    ForgetCompiled();
    variables.clear();
}

void CVariables::ForgetCompiled()
{
    compiled.clear();
    byName.clear();
}

const CFormula &CVariables::Compiled(const std::string &strText)
{
    std::unique_ptr<CFormula> &pFormula = compiled[strText];
    if (!pFormula)
        pFormula = std::make_unique<CFormula>(strText, [this](const std::string &strName) {
            const int n = Find(strName);
            return n < 0 ? nullptr : &variables[size_t(n)].value;
        });
    return *pFormula;
}

std::vector<int> CVariables::Dependencies(int n)
{
    std::vector<int> result;
    // A formula that cannot be read waits for nothing: computing it tells why.
    const CFormula &formula = Compiled(variables[size_t(n)].formula);
    if (!formula.IsValid())
        return result;
    for (const std::string &strName : formula.Names())
        result.push_back(Find(strName));
    return result;
}

std::vector<CVariables::Problem> CVariables::Evaluate()
{
    std::vector<Problem> problems;
    const auto report = [&problems, this](int n, const QString &strText) {
        problems.push_back({variables[size_t(n)].name, nullptr, false, strText});
    };
    const int nCount = Count();
    for (int n = 0; n < nCount; ++n) {
        const QString strName = CFormula::NameProblem(variables[size_t(n)].name);
        if (!strName.isEmpty())
            report(n, strName);
        else if (Find(variables[size_t(n)].name) != n)
            report(n, tr("Another variable has this name."));
    }

    // Kahn's order: a formula is computed once every variable it uses is.
    std::vector<std::vector<int>> users(static_cast<size_t>(nCount));
    std::vector<int> pending(size_t(nCount), 0);
    std::deque<int> ready;
    for (int n = 0; n < nCount; ++n) {
        if (variables[size_t(n)].formula.empty())
            continue;
        for (int nUsed : Dependencies(n))
            if (nUsed >= 0 && !variables[size_t(nUsed)].formula.empty()) {
                users[size_t(nUsed)].push_back(n);
                ++pending[size_t(n)];
            }
        if (pending[size_t(n)] == 0)
            ready.push_back(n);
    }
    while (!ready.empty()) {
        const int n = ready.front();
        ready.pop_front();
        QString strError;
        if (!Compiled(variables[size_t(n)].formula)
                 .Evaluate(&variables[size_t(n)].value, &strError))
            report(n, strError);
        for (int nUser : users[size_t(n)])
            if (--pending[size_t(nUser)] == 0)
                ready.push_back(nUser);
    }
    // Each waiting variable is caught in a cycle or uses one. A walk along
    // waiting uses from it ends in a cycle; walks stop at variables already
    // explained, so each variable is walked once however long the cycles.
    std::vector<QString> explained(static_cast<size_t>(nCount));
    std::vector<int> onPath(static_cast<size_t>(nCount), -1);
    for (int n = 0; n < nCount; ++n) {
        if (pending[size_t(n)] == 0 || !explained[size_t(n)].isNull())
            continue;
        std::vector<int> path;
        QString strCycle;
        for (int m = n; m >= 0 && explained[size_t(m)].isNull();) {
            if (onPath[size_t(m)] >= 0) {
                strCycle =
                    CycleNames(std::vector<int>(path.begin() + onPath[size_t(m)], path.end()));
                for (auto it = path.begin() + onPath[size_t(m)]; it != path.end(); ++it)
                    explained[size_t(*it)] = tr("Its formula depends on itself: %1.").arg(strCycle);
                break;
            }
            onPath[size_t(m)] = int(path.size());
            path.push_back(m);
            int nNext = -1;
            for (int nUsed : Dependencies(m))
                if (nUsed >= 0 && pending[size_t(nUsed)] > 0) {
                    nNext = nUsed;
                    break;
                }
            m = nNext;
        }
        for (int m : path) {
            onPath[size_t(m)] = -1;
            if (explained[size_t(m)].isNull())
                explained[size_t(m)] = tr("Its formula uses variables caught in a cycle.");
        }
    }
    for (int n = 0; n < nCount; ++n)
        if (pending[size_t(n)] > 0)
            report(n, explained[size_t(n)]);
    return problems;
}

QString CVariables::CycleNames(const std::vector<int> &cycle) const
{
    // A crafted file may hold a cycle of thousands; a few names tell enough.
    constexpr size_t Shown = 8;
    QStringList names;
    for (size_t i = 0; i < cycle.size() && i < Shown; ++i)
        names << QString::fromStdString(variables[size_t(cycle[i])].name);
    names << (cycle.size() <= Shown ? QString::fromStdString(variables[size_t(cycle[0])].name)
                                    : tr("and %1 more").arg(cycle.size() - Shown));
    return names.join(QStringLiteral(" \u2192 "));
}
