#include "CVariables.h"

#include "CFormula.h"

#include <QStringList>

#include <algorithm>
#include <deque>

CVariables::CVariables() = default;

CVariables::CVariables(const CVariables &other) : variables(other.variables) {}

CVariables &CVariables::operator=(const CVariables &other)
{
    if (this != &other) {
        variables = other.variables;
        ForgetCompiled();
    }
    return *this;
}

CVariables::~CVariables() = default;

int CVariables::Find(const std::string &strName) const
{
    for (size_t i = 0; i < variables.size(); ++i)
        if (variables[i].name == strName)
            return int(i);
    return -1;
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
}

const CFormula &CVariables::Compiled(const std::string &strText)
{
    std::unique_ptr<CFormula> &pFormula = compiled[strText];
    if (!pFormula) {
        pFormula = std::make_unique<CFormula>(strText);
        pFormula->Bind([this](const std::string &strName) -> double * {
            const int n = Find(strName);
            return n < 0 ? nullptr : &variables[size_t(n)].value;
        });
    }
    return *pFormula;
}

std::vector<int> CVariables::Dependencies(int n)
{
    std::vector<int> result;
    const CFormula &formula = Compiled(variables[size_t(n)].formula);
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
    for (int n = 0; n < nCount; ++n)
        if (pending[size_t(n)] > 0)
            report(n, CycleText(n, pending));
    return problems;
}

QString CVariables::CycleText(int nStart, const std::vector<int> &pending)
{
    // Follows uses that are still waiting until a variable comes round again:
    // that loop is the cycle nStart is caught in or depends on.
    std::vector<int> path{nStart};
    for (;;) {
        int nNext = -1;
        for (int nUsed : Dependencies(path.back()))
            if (nUsed >= 0 && pending[size_t(nUsed)] > 0) {
                nNext = nUsed;
                break;
            }
        if (nNext < 0)
            return tr("Its formula waits for a variable that cannot be computed.");
        const size_t nSeen = size_t(std::find(path.begin(), path.end(), nNext) - path.begin());
        const bool bClosed = nSeen < path.size();
        path.push_back(nNext);
        if (bClosed) {
            const auto itSeen = path.begin() + std::ptrdiff_t(nSeen);
            QStringList names;
            for (auto it = itSeen; it != path.end(); ++it)
                names << QString::fromStdString(variables[size_t(*it)].name);
            const QString strCycle = names.join(QStringLiteral(" \u2192 "));
            return itSeen == path.begin() ? tr("Its formula depends on itself: %1.").arg(strCycle)
                                          : tr("Its formula uses a cycle: %1.").arg(strCycle);
        }
    }
}
