#pragma once

#include "CFolding.h"
#include "CProjectDocument.h"
#include "CProjectFile.h"
#include "CTreeScene.h"
#include "CViewPlacement.h"

#include <QGraphicsView>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <vector>

class CNode;
class CNodeGrapicsItem;
class CRecoveryKeeper;
class CRecoveryStore;

// The editor of one project: a view on the project's scene. It owns the
// project's document, the undo stack and the clipboard, and draws what the
// document holds; it is the one place where model nodes and their graphics
// items meet.
class CDecisionTreeWindow : public QGraphicsView
{
    Q_OBJECT

public:
    CDecisionTreeWindow(QWidget *parent, const QString &strProjectName);
    ~CDecisionTreeWindow() override;

    void NewProject(const QString &strName);
    // Reads a project file into this (empty) window and shows it. Returns
    // false when the file could not be opened or read completely; the user
    // has then been told why (or pStrError, when given, says why and nothing
    // is shown to the user), and whatever could be read is shown. Nodes of
    // the file that cannot be shown are reported too.
    // Of a SilverDecisions file, tree nTree (from 0) is read; pResult, when
    // given, receives how the read went (how many trees the file holds).
    // What a file holds that does not carry over is told, but fails nothing.
    bool LoadProject(const QString &strPath, QString *pStrError = nullptr, int nTree = 0,
                     CProjectFile::ReadResult *pResult = nullptr);
    // The same from a device, without a word to the user: the result tells
    // what was read; GetItem() tells what is shown.
    CProjectFile::ReadResult ReadProject(QIODevice &device);
    // Reads a recovery copy and shows it as the modified project of the file
    // it was copied from (none for a project never saved).
    bool RecoverProject(const QString &strCopyPath, const QString &strFilePath);
    // From now on a recovery copy is kept in the store while the project has
    // unsaved changes.
    CRecoveryKeeper *KeepRecoveryCopies(CRecoveryStore &store, const QString &strCopyId);
    // Writes the project, asking for a path first when there is none. False
    // when nothing was written; a failed write has been reported to the user.
    // What was written becomes the saved state that undo can return to.
    bool SaveProject();

    QUndoStack *GetUndoStack() { return &undoStack; }
    // A change to keep that is no step of the history, such as a node moved
    // by hand: undoing all steps does not take it back.
    void MarkModified();
    // Ends an in-place text edit, which then becomes an undo step of its own.
    void FinishEditing();
    QString GetFilePath() const { return document.GetFilePath(); }
    void SetFilePath(const QString &strPath) { document.SetFilePath(strPath); }
    QString GetProjectName() const { return document.GetProjectName(); }
    CProjectDocument &GetDocument() { return document; }
    const CProjectDocument &GetDocument() const { return document; }
    // Makes the change of the variables an undo step named strText.
    void ChangeVariables(const QString &strText, const CVariables &variables,
                         const std::vector<CProjectDocument::NodeFormulas> &formulas = {});
    CDecisionTree &GetTree() { return document.GetTree(); }
    CNodeGrapicsItem *GetItem(const CNode *pNode) const { return treeScene->GetItem(pNode); }
    CTreeScene *TreeScene() const { return treeScene; }
    // The project's settings changed as one undo step.
    void ChangeSettings(const CProjectSettings &settings);
    const CNode *GetClipboard() const { return clipboard; }

    // Lays the whole tree out tidily as one undo step; nothing is pushed when
    // every node already stands where the arrangement puts it.
    void ArrangeTree();
    // While on, the tree is arranged after every step of its history and when
    // a project is opened; switching it on arranges the tree at once.
    void SetArrangeAutomatically(bool bOn);

    double GetZoom() const { return placement.Zoom(); }
    // Zooms about a point of the viewport, which keeps its place on screen.
    void SetZoom(double dZoom, QPointF pntViewport);
    void ZoomIn();
    void ZoomOut();
    void ActualSize();
    void FitTree();

    // Re-evaluates the tree for a change at pNode, as an edit of its values would.
    void NotifyValuesChanged(CNode *pNode);
    void ApplyNodeValues(CNode *pNode, const QString &strName, double dProbability, double dPayoff);

    // Context actions on a node item.
    void AddDecision(CNodeGrapicsItem *pItem);
    void AddSituation(CNodeGrapicsItem *pItem);
    void AddOption(CNodeGrapicsItem *pItem);
    void CopyNode(CNodeGrapicsItem *pItem);
    void PasteNode(CNodeGrapicsItem *pItem);
    // Flips a Situation as one step, then arranges the tree; a shape that
    // cannot be flipped is refused with the reason.
    void FlipNode(CNodeGrapicsItem *pItem);
    void DeleteNode(CNodeGrapicsItem *pItem);
    void EditPayoffComment(CNodeGrapicsItem *pItem);
    // An option's second payoff as typed, a number or a formula, as one undo
    // step; the reason when the text is refused (nothing is changed then).
    QString TypeSecondPayoff(CNode *pOption, const QString &strText);

    // In a project of two criteria, the combined value under each node
    // instead of its two expected criteria.
    void SetShowCombined(bool bOn);

    // Folding: not a step of the history, but kept in the file, so each marks
    // the project modified. A fold hides everything below pNode.
    void Fold(CNode *pNode) { folding.Fold(pNode); }
    void Unfold(CNode *pNode) { folding.Unfold(pNode); }
    // Unfolds every folded node above pNode, so that it shows.
    void Reveal(CNode *pNode) { folding.Reveal(pNode); }
    void UnfoldAll() { folding.UnfoldAll(); }

    // What the status bar says of a project whose file held out-of-date values.
    static QString StaleValuesMessage();

    // The one node selected on the canvas (alone or through its texts), in
    // words; empty when none or several are.
    QString SelectionSummary() const;
    // Whether the node menu's entry nAction may act on the selected node now,
    // and acting on it: what the canvas keys do, for the main window's menu.
    bool AllowsOnSelection(int nAction) const;
    void ActOnSelection(int nAction);

signals:
    void sig_closeEvent();
    void sig_zoomChanged(double dZoom);
    // The tree's values have been looked at again after an edit: solved and
    // shown, or found inconsistent. Views of the tree refresh on it.
    void sig_evaluated();
    // The user asked how the tree depends on this option's values.
    void sig_sensitivityRequested(CNode *pOption);
    // The selection or the values that SelectionSummary describes may have changed.
    void sig_summaryChanged();
    // The values stored in the file just read were out of date and are
    // shown recomputed: the project is marked modified.
    void sig_storedValuesStale(const QString &strMessage);
    // Something worth a line in the status bar, such as why a typed number was refused.
    void sig_statusMessage(const QString &strMessage);
    // What may be pasted has changed.
    void sig_clipboardChanged();

public slots:
    void OnItemContextMenu(CNodeGrapicsItem *pItem, int nAction);

protected:
    void closeEvent(QCloseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void drawBackground(QPainter *painter, const QRectF &rect) override;

private:
    // What the signals of item pItem bring about; each connection knows its
    // item (AttachItem).
    void OnItemPosChanged(CNodeGrapicsItem *pItem, QPointF pntNewPos);
    void OnItemProbabilityChanged(CNodeGrapicsItem *pItem);
    void OnItemPayoffChanged(CNodeGrapicsItem *pItem);
    void OnItemMenuToShow(CNodeGrapicsItem *pItem);
    void OnFoucsOut(CNodeGrapicsItem *pItem, const QString &strOldName, double dOldProbability,
                    double dOldPayoff);
    // A payoff or probability typed as a formula: set as one undo step, or
    // refused with the reason when it cannot be computed.
    void OnFormulaTyped(CNodeGrapicsItem *pItem, bool bProbability, const QString &strText);
    void EditSecondPayoff(CNode *pOption);
    void ConnectItem(CNodeGrapicsItem *pItem);
    void ConnectDocument();
    void ShowReadProject();
    void AddStructure(CNodeGrapicsItem *pItem, int nKind);
    // Moves the nodes to their arranged places outside the history; true
    // when any of them moved.
    bool ArrangeInPlace();
    // Where Arrange Tree puts the nodes, and (before) where they are; false
    // when every node stands there already.
    bool ArrangementMoves(std::vector<NodePlacement> &before,
                          std::vector<NodePlacement> &after) const;
    void OnHistoryStep();
    // The modified mark: a step away from the saved state of the history, or
    // a change outside it since the last save.
    void ShowModified();

    CProjectDocument document;
    // Owned by the view as its scene.
    CTreeScene *treeScene;
    CNode *clipboard = nullptr;
    QUndoStack undoStack;
    bool changedOutsideHistory = false;
    CRecoveryKeeper *recovery = nullptr;
    // The items connected to this window (ConnectItem): on a large tree few
    // ever are, and only they can reach it while the window closes.
    std::vector<QPointer<CNodeGrapicsItem>> connectedItems;
    bool arrangeAutomatically = false;
    // The zoom, the scroll area and the node acted on kept in its place.
    CViewPlacement placement;
    CFolding folding;
    // A new project's Root keeps no stored position until it is dragged.
    bool placeRootUnstored = false;
};
