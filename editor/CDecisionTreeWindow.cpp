#include "CDecisionTreeWindow.h"

#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectFile.h"
#include "CProjectFileDialog.h"
#include "CQGraphicsArrowLineItem.h"
#include "CRecoveryKeeper.h"
#include "CSettingsCommand.h"
#include "CTreeScene.h"
#include "CValueChangedCommand.h"
#include "CVariablesCommand.h"

#include <QCloseEvent>
#include <QGraphicsScene>
#include <QMessageBox>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <vector>

CDecisionTreeWindow::CDecisionTreeWindow(QWidget *parent, const QString &strProjectName)
    : QGraphicsView(parent), treeScene(new CTreeScene(document, this)),
      placement(*this, *treeScene), folding(
                                        document, *treeScene, placement, [this] { MarkModified(); },
                                        [this] { return arrangeAutomatically && ArrangeInPlace(); })
{
    document.SetProjectName(strProjectName);
    setScene(treeScene);
    connect(treeScene, &CTreeScene::sig_itemToConnect, this, &CDecisionTreeWindow::ConnectItem);
    setDragMode(QGraphicsView::RubberBandDrag);
    // Every item leaves the painter as it found it, and the clip set with the
    // background must last through the items (drawBackground).
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    // The scene only ever grows its own rectangle; the view keeps one of its
    // own that also holds what is on screen.
    connect(scene(), &QGraphicsScene::sceneRectChanged, this,
            [this] { placement.UpdateSceneRect(); });
    connect(&undoStack, &QUndoStack::indexChanged, this, &CDecisionTreeWindow::OnHistoryStep);
    // On every step, not only when the clean state changes: the mark must be
    // up to date before anyone else hears of the step (the recovery keeper).
    connect(&undoStack, &QUndoStack::indexChanged, this, &CDecisionTreeWindow::ShowModified);
    connect(&undoStack, &QUndoStack::cleanChanged, this, &CDecisionTreeWindow::ShowModified);
    // Values change on every key typed; what the summary shows is brought up
    // to date once an edit is done, when it becomes an undo step.
    connect(scene(), &QGraphicsScene::selectionChanged, this,
            &CDecisionTreeWindow::sig_summaryChanged);
    connect(&undoStack, &QUndoStack::indexChanged, this, &CDecisionTreeWindow::sig_summaryChanged);
    ConnectDocument();
}

CDecisionTreeWindow::~CDecisionTreeWindow()
{
    // Clearing the undo stack below is no change to keep a copy of.
    delete recovery;
    // Taking the scene and the history apart below changes the selection and
    // the undo index, and reports steps: nobody may ask this half-destroyed
    // window for a summary or a view then.
    document.disconnect(this);
    scene()->disconnect(this);
    undoStack.disconnect(this);
    // The items go first, while their nodes still exist: an item that is being
    // edited reports its focus loss as it dies, and that report must neither
    // reach this half-destroyed window nor read a freed node. Blocking says
    // so at once; disconnecting took longer than the items' own deletion. An
    // item never connected would ask the scene, which tells this window no more.
    for (const QPointer<CNodeGrapicsItem> &pItem : connectedItems)
        if (pItem)
            pItem->blockSignals(true);
    // Nothing is repainted as the items go: otherwise each item deleted adds
    // its area to the view's region to update. (Taking the scene from the
    // view first would tell every item that the window is no longer active.)
    setViewportUpdateMode(QGraphicsView::NoViewportUpdate);
#if defined(__GLIBC__)
    // Hundreds of thousands of small blocks are freed at once. glibc keeps
    // small freed blocks aside in lists that each large free sorts through
    // again, cache miss after cache miss; without those lists a block merges
    // with its neighbours as it is freed. That halves the time of closing a
    // large tree. The default (64 * sizeof(size_t) / 4, "man mallopt") comes
    // back for everything after.
    mallopt(M_MXFAST, 0);
#endif
    delete scene();
#if defined(__GLIBC__)
    mallopt(M_MXFAST, 64 * sizeof(size_t) / 4);
#endif
    // Commands free the subtrees they hold detached; the document frees the tree.
    undoStack.clear();
    CNode::FreeSubtree(clipboard);
}

void CDecisionTreeWindow::ConnectDocument()
{
    // Wider numbers need more room: an automatic arrangement makes it.
    connect(&document, &CProjectDocument::sig_settingsChanged, this, [this] {
        if (arrangeAutomatically)
            ArrangeInPlace();
    });
    connect(treeScene, &CTreeScene::sig_unfoldRequested, this, &CDecisionTreeWindow::Unfold);
    connect(&document, &CProjectDocument::sig_structureChanged, this, [this](CNode *pNode) {
        folding.RevealChange(pNode);
        placement.NoteActedNode(pNode);
        treeScene->LayoutChildren(pNode);
        // New options of a Situation that stays flagged show it too.
        if (document.HasProbabilityWarning(pNode))
            treeScene->ShowProbabilityWarning(pNode, true);
    });
    connect(&document, &CProjectDocument::sig_treeReplaced, this,
            &CDecisionTreeWindow::ShowReadProject);
    connect(&document, &CProjectDocument::sig_evaluated, this, &CDecisionTreeWindow::sig_evaluated);
    // A change made to the document outside the history is work to keep too.
    connect(&document, &CProjectDocument::sig_modifiedChanged, this, [this](bool bModified) {
        if (bModified && !isWindowModified())
            MarkModified();
    });
}

void CDecisionTreeWindow::ConnectItem(CNodeGrapicsItem *pItem)
{
    // Items come and go with edits: the gone are dropped as the list fills.
    if (connectedItems.size() == connectedItems.capacity())
        connectedItems.erase(std::remove_if(connectedItems.begin(), connectedItems.end(),
                                            [](const auto &pKept) { return pKept.isNull(); }),
                             connectedItems.end());
    connectedItems.emplace_back(pItem);
    // Each connection knows its item: asking Qt for the sender scans every
    // connection into this window, tens of thousands on a large tree.
    connect(pItem, &CQEditableGraphicsTextItem::sig_positionChanged, this,
            [this, pItem](QPointF pntNewPos) { OnItemPosChanged(pItem, pntNewPos); });
    connect(pItem, &CNodeGrapicsItem::sig_probabilityChanged, this,
            [this, pItem] { OnItemProbabilityChanged(pItem); });
    connect(pItem, &CNodeGrapicsItem::sig_payoffChanged, this,
            [this, pItem] { OnItemPayoffChanged(pItem); });
    connect(pItem, &CNodeGrapicsItem::sig_menuAboutToShow, this,
            [this, pItem] { OnItemMenuToShow(pItem); });
    connect(pItem, &CNodeGrapicsItem::sig_contextMenu, this,
            &CDecisionTreeWindow::OnItemContextMenu);
    connect(pItem, qOverload<const QString &, double, double>(&CNodeGrapicsItem::sig_focusOut),
            this,
            [this, pItem](const QString &strOldName, double dOldProbability, double dOldPayoff) {
                OnFoucsOut(pItem, strOldName, dOldProbability, dOldPayoff);
            });
    connect(pItem, &CNodeGrapicsItem::sig_formulaTyped, this,
            [this, pItem](bool bProbability, const QString &strText) {
                OnFormulaTyped(pItem, bProbability, strText);
            });
    connect(pItem, &CNodeGrapicsItem::sig_payoff2Typed, this,
            [this, pItem](const QString &strText) {
                const QString strRefusal = TypeSecondPayoff(pItem->GetNode(), strText);
                if (!strRefusal.isEmpty())
                    pItem->RefuseTypedPayoff2(strRefusal);
            });
    connect(pItem, &CNodeGrapicsItem::sig_numberRefused, this,
            [this, pItem](const QString &strWhy) {
                const QPoint pntAt =
                    mapFromScene(pItem->mapToScene(pItem->OutlineRect().bottomRight()));
                QToolTip::showText(viewport()->mapToGlobal(pntAt), strWhy, viewport());
                emit sig_statusMessage(strWhy);
            });
}

void CDecisionTreeWindow::changeEvent(QEvent *event)
{
    // Whoever marks the window, the document knows it too.
    if (event->type() == QEvent::ModifiedChange)
        document.SetModified(isWindowModified());
    QGraphicsView::changeEvent(event);
}

void CDecisionTreeWindow::FinishEditing()
{
    if (scene()->focusItem())
        scene()->clearFocus();
}

void CDecisionTreeWindow::NewProject(const QString &strName)
{
    placeRootUnstored = true;
    document.NewTree(strName);
    placeRootUnstored = false;
}

bool CDecisionTreeWindow::LoadProject(const QString &strPath, QString *pStrError, int nTree,
                                      CProjectFile::ReadResult *pResult)
{
    if (strPath.isEmpty())
        return false;
    auto fail = [&](const QString &strMessage) {
        if (pStrError)
            *pStrError = strMessage;
        else
            QMessageBox::warning(this, tr("Open Project"), strMessage);
        return false;
    };
    const CProjectFile::ReadResult result = document.Read(strPath, nTree);
    if (pResult)
        *pResult = result;
    if (!result.opened)
        return fail(result.Message());
    // Another tool's file may come without positions.
    if (!result.positioned && !arrangeAutomatically)
        ArrangeInPlace();
    if (!result.notes.isEmpty() && !pStrError)
        QMessageBox::information(this, tr("Open Project"), result.NotesMessage());
    const QString strProblems =
        result.ProblemsMessage(document.GetRoot(), !treeScene->Items().empty());
    if (!strProblems.isEmpty())
        return fail(strProblems);
    return result.complete && document.GetRoot();
}

CProjectFile::ReadResult CDecisionTreeWindow::ReadProject(QIODevice &device)
{
    return document.Read(device);
}

void CDecisionTreeWindow::ShowReadProject()
{
    treeScene->ShowTree(QPointF(0, height() / 2), !placeRootUnstored);
    // Without an index, Qt's own painting visits every item and keeps, for
    // each, where it was last painted: three blocks of memory per item, some
    // 85 MiB and a tenth of closing a tree of 100,000 nodes. Painting
    // through the items found in the area to repaint keeps that for those
    // alone, and draws the same.
    setOptimizationFlag(QGraphicsView::IndirectPainting,
                        treeScene->itemIndexMethod() == QGraphicsScene::NoIndex);
    if (arrangeAutomatically)
        ArrangeInPlace();
    placement.ShowStart();
    if (document.StoredValuesWereStale()) {
        MarkModified();
        emit sig_storedValuesStale(StaleValuesMessage());
    }
}

QString CDecisionTreeWindow::StaleValuesMessage()
{
    return tr("The values stored in the file were out of date; they are shown recomputed.");
}

bool CDecisionTreeWindow::RecoverProject(const QString &strCopyPath, const QString &strFilePath)
{
    const bool bRead = LoadProject(strCopyPath);
    document.SetFilePath(strFilePath);
    MarkModified();
    return bRead;
}

CRecoveryKeeper *CDecisionTreeWindow::KeepRecoveryCopies(CRecoveryStore &store,
                                                         const QString &strCopyId)
{
    delete recovery;
    recovery = new CRecoveryKeeper(&document, store, strCopyId);
    connect(recovery, &CRecoveryKeeper::sig_cannotKeepCopies, this, [this](const QString &strText) {
        QMessageBox::warning(this, tr("Recovery Copy"), strText);
    });
    return recovery;
}

void CDecisionTreeWindow::ChangeSettings(const CProjectSettings &settings)
{
    if (settings != document.GetSettings())
        undoStack.push(new CSettingsCommand(document, settings));
}

bool CDecisionTreeWindow::SaveProject()
{
    if (!document.GetRoot())
        return false;
    if (document.GetFilePath().isEmpty()) {
        const QString strPath = CProjectFileDialog::GetSavePath(
            this, tr("Save File"), CProjectFileDialog::SuggestedPath(QString(), GetProjectName()));
        if (strPath.isEmpty())
            return false;
        document.SetFilePath(strPath);
    }
    QString strError;
    if (!document.Write(document.GetFilePath(), &strError)) {
        QMessageBox::warning(this, tr("Save Project"), strError);
        return false;
    }
    changedOutsideHistory = false;
    undoStack.setClean();
    ShowModified();
    return true;
}

void CDecisionTreeWindow::MarkModified()
{
    changedOutsideHistory = true;
    ShowModified();
}

void CDecisionTreeWindow::ShowModified()
{
    setWindowModified(changedOutsideHistory || !undoStack.isClean());
}

void CDecisionTreeWindow::NotifyValuesChanged(CNode *pNode)
{
    CProjectDocument::CChange change(document);
    document.ProbabilityEdited(pNode);
    document.PayoffEdited(pNode);
}

void CDecisionTreeWindow::OnItemProbabilityChanged(CNodeGrapicsItem *pItem)
{
    document.ProbabilityEdited(pItem->GetNode());
}

void CDecisionTreeWindow::OnItemPayoffChanged(CNodeGrapicsItem *pItem)
{
    document.PayoffEdited(pItem->GetNode());
}

void CDecisionTreeWindow::ApplyNodeValues(CNode *pNode, const QString &strName, double dProbability,
                                          double dPayoff)
{
    // The values are written through the item: an undo below a fold shows
    // what it changes.
    if (CTreeScene::IsHidden(pNode))
        Reveal(pNode);
    CNodeGrapicsItem *pItem = GetItem(pNode);
    if (!pNode || !pItem)
        return;
    placement.NoteActedNode(pNode);
    // The item writes each value into the node as it shows it; the tree is
    // evaluated once, for all of them.
    CProjectDocument::CChange change(document);
    if (QString::fromStdString(pNode->name) != strName)
        pItem->setPlainText(strName);
    if (std::fabs(pNode->probability - dProbability) >= 0.00001)
        pItem->SetProbability(dProbability);
    if (std::fabs(pNode->payoff - dPayoff) >= 0.00001)
        pItem->SetPayoff(dPayoff);
    document.TextsEdited(pNode);
}

void CDecisionTreeWindow::OnItemPosChanged(CNodeGrapicsItem *pItem, QPointF pntNewPos)
{
    // Not an undo step, but an arrangement made by hand is work to keep.
    MarkModified();
    document.SetPosition(pItem->GetNode(), CTreeScene::ToCoordinate(pntNewPos.x()),
                         CTreeScene::ToCoordinate(pntNewPos.y()));
}

void CDecisionTreeWindow::OnFoucsOut(CNodeGrapicsItem *pItem, const QString &strOldName,
                                     double dOldProbability, double dOldPayoff)
{
    if (!pItem->GetNode())
        return;
    placement.NoteActedNode(pItem->GetNode());
    undoStack.push(new CValueChangedCommand(pItem, strOldName, dOldProbability, dOldPayoff, this));
}

void CDecisionTreeWindow::OnFormulaTyped(CNodeGrapicsItem *pItem, bool bProbability,
                                         const QString &strText)
{
    CNode *pNode = pItem->GetNode();
    if (!pNode)
        return;
    const CTreeFormulas::Typed typed = CTreeFormulas::Read(
        strText, bProbability ? CTypedNumber::Kind::Probability : CTypedNumber::Kind::Amount, pNode,
        document.GetVariables());
    // The item passes on only what did not read as a number, which the same
    // rule refuses here: whatever is no formula was refused.
    if (!typed.refusal.isEmpty() || typed.formula.empty()) {
        pItem->RefuseTyped(bProbability, typed.refusal);
        return;
    }
    const std::string strPayoff = bProbability ? pNode->payoffFormula : typed.formula;
    const std::string strProbability = bProbability ? typed.formula : pNode->probabilityFormula;
    if (strPayoff == pNode->payoffFormula && strProbability == pNode->probabilityFormula)
        return;
    placement.NoteActedNode(pNode);
    const double dOldProbability = pNode->probability;
    const double dOldPayoff = pNode->payoff;
    const std::string strOldPayoff = pNode->payoffFormula;
    const std::string strOldProbability = pNode->probabilityFormula;
    document.SetFormulas(pNode, strPayoff, strProbability);
    undoStack.push(new CValueChangedCommand(pItem, dOldProbability, dOldPayoff, strOldPayoff,
                                            strOldProbability, this));
}

void CDecisionTreeWindow::SetShowCombined(bool bOn)
{
    if (bOn == treeScene->ShowsCombined())
        return;
    treeScene->ShowCombined(bOn);
    // One line under each node instead of two, or two instead of one.
    if (arrangeAutomatically && document.GetSettings().criteria.two)
        ArrangeInPlace();
}

void CDecisionTreeWindow::ChangeVariables(
    const QString &strText, const CVariables &variables,
    const std::vector<CProjectDocument::NodeFormulas> &formulas)
{
    undoStack.push(new CVariablesCommand(document, strText, variables, formulas));
}

void CDecisionTreeWindow::closeEvent(QCloseEvent *event)
{
    if (!isWindowModified()) {
        QGraphicsView::closeEvent(event);
        return;
    }
    QString strTitle = windowTitle();
    if (strTitle.endsWith(QLatin1String("[*]")))
        strTitle.remove(QLatin1String("[*]"));
    const QString strMessage = tr("Do you want to save ") + strTitle + tr(" before exit?");
    const auto answer = QMessageBox::information(
        this, tr("Confirmation"), strMessage,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel) {
        event->ignore();
        return;
    }
    // A "Yes" whose save did not happen must not throw the project away.
    if (answer == QMessageBox::Yes && !SaveProject()) {
        event->ignore();
        return;
    }
    if (recovery)
        recovery->Discard();
    QGraphicsView::closeEvent(event);
}
