#pragma once

#include "CDecisionSolver.h"
#include "CDecisionTree.h"
#include "CFormulaUsers.h"
#include "CProjectFile.h"
#include "CProjectSettings.h"
#include "CTreeArranger.h"
#include "CTreeFormulas.h"

#include <QObject>
#include <QString>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CNode;
class QIODevice;

// One project as it is, apart from any drawing of it: its tree, the values
// the rollback leaves in it and the warnings on Situations whose
// probabilities do not add up, its name, file and settings. Every change
// goes through here, is evaluated once where it can have an effect, and is
// announced by what it changed, so that the editor, the analyses, the
// recovery copy and the command line all see the same project.
//
// Changes made between BeginChange and EndChange (or in the life of a
// CChange) are evaluated together when the outermost one ends.
class CProjectDocument : public QObject
{
    Q_OBJECT

public:
    explicit CProjectDocument(QObject *parent = nullptr);
    ~CProjectDocument() override;

    CDecisionTree &GetTree() { return tree; }
    const CDecisionTree &GetTree() const { return tree; }
    CNode *GetRoot() const { return tree.GetRoot(); }
    QString GetProjectName() const { return projectName; }
    void SetProjectName(const QString &strName) { projectName = strName; }
    QString GetFilePath() const { return filePath; }
    void SetFilePath(const QString &strPath) { filePath = strPath; }
    const CProjectSettings &GetSettings() const { return settings; }
    void SetSettings(const CProjectSettings &newSettings);

    // Unsaved changes. The editor keeps this in step with its modified mark.
    bool IsModified() const { return modified; }
    void SetModified(bool bModified);

    // A Root with a Terminal, named strName.
    void NewTree(const QString &strName);
    // Replaces the tree with the file's (or the device's), takes the
    // project's name and settings from it, and rolls the tree back from its
    // inputs. A file that cannot be opened leaves everything as it was.
    // Of a SilverDecisions file, tree nTree (from 0) is read; the document
    // then has no file of its own, since saving must not replace that file.
    CProjectFile::ReadResult Read(const QString &strPath, int nTree = 0);
    CProjectFile::ReadResult Read(QIODevice &device, int nTree = 0);
    // Whether the values, choices or warnings stored in the file last read
    // differed from its rollback (and are now shown recomputed).
    bool StoredValuesWereStale() const { return storedValuesStale; }
    // Writes the project; false with a reason for the user when nothing was written.
    bool Write(const QString &strPath, QString *pStrError) const;
    bool Write(QIODevice &device, QString *pStrError) const;
    // Takes ownership of pRoot (null for none) in place of the tree, frees
    // the tree before and rolls the new one back from its inputs.
    void ReplaceTree(CNode *pRoot);

    // Hangs pSubtree below pParent at nIndex (at the end when out of range);
    // a lone Terminal there makes way for it and is freed.
    void AttachSubtree(CNode *pParent, CNode *pSubtree, int nIndex = -1);
    // Takes pNode with its subtree out of the tree and gives it to the
    // caller; its parent pointer still names where it was. A parent left
    // without children gets a Terminal. Returns where pNode stood among its
    // parent's children, or -1 when it had no parent to leave.
    int DetachSubtree(CNode *pNode);
    // Values typed for a node. Either may be left as it is (NaN keeps it).
    void SetValues(CNode *pNode, double dProbability, double dPayoff);
    struct NodeValues
    {
        CNode *node;
        double probability;
        double payoff;
    };
    void SetManyValues(const std::vector<NodeValues> &values);
    void SetName(CNode *pNode, const std::string &strName);
    void SetComment(CNode *pNode, const std::string &strComment);
    void SetPosition(CNode *pNode, int32_t nX, int32_t nY);
    using NodePlace = NodePlacement;
    void SetPositions(const std::vector<NodePlace> &places);
    // Hides (or shows again) what is below a Decision or Situation; no value
    // changes. Whoever folds marks the project modified.
    void SetFolded(CNode *pNode, bool bFolded);

    // The editor's texts write into their node as the user types and report
    // it here: a changed probability, or a changed payoff, of pNode.
    void ProbabilityEdited(CNode *pNode);
    void PayoffEdited(CNode *pNode);
    // Its name or comment, which change no value.
    void TextsEdited(CNode *pNode);

    // Batches changes: the outermost EndChange evaluates what they affect.
    void BeginChange();
    void EndChange();
    class CChange
    {
    public:
        explicit CChange(CProjectDocument &document) : doc(document) { doc.BeginChange(); }
        ~CChange() { doc.EndChange(); }
        CChange(const CChange &) = delete;
        CChange &operator=(const CChange &) = delete;

    private:
        CProjectDocument &doc;
    };

    // Variables and formulas. Each change computes every formula again and
    // rolls back what that changed, once; options whose numbers a formula
    // changed are announced by sig_inputsChanged before the values.
    const CVariables &GetVariables() const { return tree.Variables(); }
    void SetVariables(const CVariables &variables);
    using NodeFormulas = CTreeFormulas::NodeFormulas;
    // Variables and node formulas together, as one change (a rename).
    void SetVariablesAndFormulas(const CVariables &variables,
                                 const std::vector<NodeFormulas> &formulas);
    void SetFormulas(CNode *pNode, const std::string &strPayoff, const std::string &strProbability);
    // An option's second payoff in a project of two criteria: a number, or
    // a formula (non-empty strFormula) whose value dValue is until it is
    // computed again.
    void SetPayoff2(CNode *pNode, double dValue, const std::string &strFormula);
    // What kept formulas from being computed at the last change.
    const std::vector<CVariables::Problem> &FormulaProblems() const { return formulaProblems; }
    // Changes whenever a node's formula or the shape of the tree may have
    // changed; while it stays, only values (and the problems they cause) did.
    quint64 FormulasRevision() const { return formulasRevision; }
    // How many nodes' formulas mention each name; counted again only once
    // formulas or the tree's shape changed, not for every value typed.
    const std::unordered_map<std::string, int> &UseCounts() const;

    // Whether Situation pNode shows that its options' probabilities do not
    // add up, and whether no Situation in the tree does.
    bool HasProbabilityWarning(const CNode *pNode) const { return flagged.count(pNode) != 0; }
    bool IsConsistent() const { return flagged.empty(); }

signals:
    // pNode and its subtree are about to leave the tree (deleted, detached
    // or replaced): views drop what they show of them.
    void sig_subtreeRemoving(CNode *pNode);
    // The children below pNode changed.
    void sig_structureChanged(CNode *pNode);
    // The tree was replaced as a whole.
    void sig_treeReplaced();
    // Situations whose warning came or went.
    void sig_warningsChanged(const std::vector<CNode *> &situations);
    // One evaluation: the nodes whose values and choices the rollback wrote,
    // each once, lowest first (possibly none, when only warnings changed).
    void sig_valuesChanged(const std::vector<CNode *> &nodes);
    // The name or comment of pNode changed; these change no value.
    void sig_nodeChanged(CNode *pNode);
    // The stored positions of these nodes changed (by a drag or an
    // arrangement): drawings place their items there.
    void sig_positionsChanged(const std::vector<CNode *> &nodes);
    // pNode was folded or unfolded.
    void sig_foldChanged(CNode *pNode);
    void sig_settingsChanged();
    void sig_modifiedChanged(bool bModified);
    // A batch of changes has been evaluated and announced.
    void sig_evaluated();
    // Options whose payoff or probability a formula has just changed, or
    // whose second payoff was set.
    void sig_inputsChanged(const std::vector<CNode *> &options);
    // The variables, a node's formulas or what is wrong with them changed.
    void sig_variablesChanged();

private:
    // Puts pRoot in place of the tree, freeing the one before; nothing is
    // evaluated yet.
    // Returns the ends it gave to paths that had none.
    std::vector<CNode *> TakeTree(CNode *pRoot);
    void ShowRead(const CProjectFile::ReadResult &result, CNode *pRoot);
    // The rollback of the whole tree on its own inputs; true when it left
    // any value or choice different from what the tree held (the added
    // nodes held none).
    bool SolveAll(const std::vector<CNode *> &added = {});
    void RecheckAll();
    void RecheckSubtree(CNode *pNode);
    void Recheck(CNode *pNode);
    void ForgetSubtree(const CNode *pNode);
    bool InTree(const CNode *pNode) const;
    void Evaluate();
    void RecomputeFormulas();
    // Computes again only what values that were before reach.
    void RecomputeReached(const std::vector<double> &before);
    // Options whose numbers a formula may have changed, from before: each
    // changed one is rolled back and announced.
    struct Inputs
    {
        CNode *node;
        double probability;
        double payoff;
        double payoff2;
    };
    void InputsRecomputed(const std::vector<Inputs> &before);

    CDecisionTree tree;
    CDecisionSolver solver;
    QString projectName;
    QString filePath;
    CProjectSettings settings;
    bool modified = false;
    bool storedValuesStale = false;
    // Situations whose probabilities do not add up.
    std::unordered_set<const CNode *> flagged;
    // What the changes of the open batch asked for.
    int depth = 0;
    bool pending = false;
    std::vector<CNode *> toRecheck;
    std::vector<CNode *> toSolve;
    std::vector<CVariables::Problem> formulaProblems;
    quint64 formulasRevision = 1;
    // Who reads which variable, as of usersRevision (0: never built).
    CFormulaUsers formulaUsers;
    quint64 usersRevision = 0;
    mutable std::unordered_map<std::string, int> useCounts;
    mutable quint64 useCountsRevision = 0;
    // Nodes with formulas whose numbers were edited directly since the
    // formulas were last computed: the next computation puts them right.
    std::vector<CNode *> formulaNodesEdited;
};
