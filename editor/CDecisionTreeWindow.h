#pragma once

#include "CDecisionSolver.h"
#include "CDecisionTree.h"

#include <QGraphicsView>
#include <QMap>
#include <QPointF>
#include <QString>
#include <QUndoStack>

#include <cstdint>

class CNode;
class CNodeGrapicsItem;

// The editor of one project: a view on the project's scene that owns the
// tree, the solver, the undo stack and the clipboard. It is the one place
// where model nodes and their graphics items meet.
class CDecisionTreeWindow : public QGraphicsView
{
    Q_OBJECT

public:
    CDecisionTreeWindow(QWidget *parent, const QString &strProjectName);
    ~CDecisionTreeWindow() override;

    void NewProject(const QString &strName);
    // Reads a project file into this (empty) window and shows it. Returns
    // false when the file could not be opened or read completely; the user
    // has then been told why, and whatever could be read is shown.
    bool LoadProject(const QString &strPath);
    // Writes the project, asking for a path first when there is none. False
    // when nothing was written; a failed write has been reported to the user.
    bool SaveProject();

    QUndoStack *GetUndoStack() { return &undoStack; }
    // Ends an in-place text edit, which then becomes an undo step of its own.
    void FinishEditing();
    QString GetFilePath() const { return filePath; }
    void SetFilePath(const QString &strPath) { filePath = strPath; }
    QString GetProjectName() const { return projectName; }
    CDecisionTree &GetTree() { return tree; }
    CNodeGrapicsItem *GetItem(const CNode *pNode) const;
    const CNode *GetClipboard() const { return clipboard; }

    // Shared with the layout, the context actions and the undo commands.
    void AttachItem(CNodeGrapicsItem *pItem);
    void LayoutChildren(CNode *pNode);
    void RemoveTerminal(CNode *pNode);
    void RemoveSubtreeItems(CNode *pNode);
    void NotifyValuesChanged(CNode *pNode);
    void UpdateBestPath(CNode *pNode, bool bFlag);
    void ShowProbabilityWarning(CNode *pNode, bool bOn);
    void ApplyNodeValues(CNode *pNode, const QString &strName, double dProbability, double dPayoff);

    // Context actions on a node item.
    void AddDecision(CNodeGrapicsItem *pItem);
    void AddSituation(CNodeGrapicsItem *pItem);
    void AddOption(CNodeGrapicsItem *pItem);
    void CopyNode(CNodeGrapicsItem *pItem);
    void PasteNode(CNodeGrapicsItem *pItem);
    void DeleteNode(CNodeGrapicsItem *pItem);
    void EditPayoffComment(CNodeGrapicsItem *pItem);

    // The one node selected on the canvas (alone or through its texts), in
    // words; empty when none or several are.
    QString SelectionSummary() const;

signals:
    void sig_closeEvent();
    // The selection or the values that SelectionSummary describes may have changed.
    void sig_summaryChanged();

public slots:
    void OnItemPosChanged(QPointF pntNewPos);
    void OnItemProbabilityChanged();
    void OnItemPayoffChanged();
    void OnItemMenuToShow();
    void OnItemContextMenu(CNodeGrapicsItem *pItem, int nAction);
    void OnFoucsOut(const QString &strOldName, double dOldProbability, double dOldPayoff);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;

    // A scene coordinate as a stored position: truncated toward zero and kept
    // inside the 32-bit range.
    static int32_t ToCoordinate(double dValue);

private:
    CNodeGrapicsItem *SenderItem() const;
    // The node item that pItem is or belongs to; null for an arrow.
    static CNodeGrapicsItem *NodeItemOf(QGraphicsItem *pItem);
    CNodeGrapicsItem *SelectedNodeItem() const;
    CNodeGrapicsItem *CreateItem(CNode *pNode);
    void ShowLoadedTree();
    void SolveAndRefresh(CNode *pNode);
    void AddStructure(CNodeGrapicsItem *pItem, int nKind);

    CDecisionTree tree;
    CDecisionSolver solver;
    CNode *clipboard = nullptr;
    QString projectName;
    QString filePath;
    QUndoStack undoStack;
    QMap<CNode *, CNodeGrapicsItem *> items;
};
