#include "CDecisionTreeWindow.h"

#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectFile.h"
#include "CProjectFileDialog.h"
#include "CQGraphicsArrowLineItem.h"
#include "CRecoveryKeeper.h"
#include "CSettingsCommand.h"
#include "CValueChangedCommand.h"

#include <QCloseEvent>
#include <QGraphicsScene>
#include <QMessageBox>

#include <cmath>
#include <vector>

CDecisionTreeWindow::CDecisionTreeWindow(QWidget *parent, const QString &strProjectName)
    : QGraphicsView(parent)
{
    document.SetProjectName(strProjectName);
    setScene(new QGraphicsScene(this));
    setDragMode(QGraphicsView::RubberBandDrag);
    // The scene only ever grows its own rectangle; the view keeps one of its
    // own that also holds what is on screen (UpdateSceneRect).
    connect(scene(), &QGraphicsScene::sceneRectChanged, this,
            &CDecisionTreeWindow::UpdateSceneRect);
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
    // reach this half-destroyed window nor read a freed node.
    for (CNodeGrapicsItem *pItem : qAsConst(items))
        pItem->disconnect(this);
    delete scene();
    items.clear();
    // Commands free the subtrees they hold detached; the document frees the tree.
    undoStack.clear();
    CNode::FreeSubtree(clipboard);
}

void CDecisionTreeWindow::ConnectDocument()
{
    connect(&document, &CProjectDocument::sig_subtreeRemoving, this,
            &CDecisionTreeWindow::RemoveSubtreeItems);
    connect(&document, &CProjectDocument::sig_structureChanged, this, [this](CNode *pNode) {
        LayoutChildren(pNode);
        // New options of a Situation that stays flagged show it too.
        if (document.HasProbabilityWarning(pNode))
            ShowProbabilityWarning(pNode, true);
    });
    connect(&document, &CProjectDocument::sig_treeReplaced, this,
            &CDecisionTreeWindow::ShowReadProject);
    connect(&document, &CProjectDocument::sig_warningsChanged, this,
            &CDecisionTreeWindow::OnWarningsChanged);
    connect(&document, &CProjectDocument::sig_valuesChanged, this,
            &CDecisionTreeWindow::OnValuesChanged);
    connect(&document, &CProjectDocument::sig_evaluated, this, &CDecisionTreeWindow::sig_evaluated);
    // A change made to the document outside the history is work to keep too.
    connect(&document, &CProjectDocument::sig_modifiedChanged, this, [this](bool bModified) {
        if (bModified && !isWindowModified())
            MarkModified();
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

CNodeGrapicsItem *CDecisionTreeWindow::GetItem(const CNode *pNode) const
{
    return items.value(const_cast<CNode *>(pNode), nullptr);
}

void CDecisionTreeWindow::NewProject(const QString &strName)
{
    placeRootUnstored = true;
    document.NewTree(strName);
    placeRootUnstored = false;
}

bool CDecisionTreeWindow::LoadProject(const QString &strPath, QString *pStrError)
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
    const CProjectFile::ReadResult result = document.Read(strPath);
    if (!result.opened)
        return fail(result.Message());
    const CNode *pRoot = document.GetRoot();
    QStringList problems;
    if (!result.complete)
        problems << result.Message();
    if (!pRoot && result.complete)
        problems << tr("\"%1\" holds no Ramify project.").arg(strPath);
    else if (pRoot)
        problems << result.DroppedNodesMessage(items.size());
    problems.removeAll(QString());
    if (!problems.isEmpty())
        return fail(problems.join(QLatin1String("\n\n")));
    return result.complete && pRoot;
}

CProjectFile::ReadResult CDecisionTreeWindow::ReadProject(QIODevice &device)
{
    return document.Read(device);
}

void CDecisionTreeWindow::ShowReadProject()
{
    ShowLoadedTree();
    if (arrangeAutomatically)
        ArrangeInPlace();
    actedNode = nullptr;
    showStart = true;
    ShowTreeStart();
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
    recovery = new CRecoveryKeeper(this, store, strCopyId);
    return recovery;
}

void CDecisionTreeWindow::ShowLoadedTree()
{
    CNode *pRoot = document.GetRoot();
    if (!pRoot || pRoot->children.size() != 1)
        return;
    CNodeGrapicsItem *pItem = CreateItem(pRoot);
    if (pRoot->HasPosition()) {
        pItem->SetNodePos(pRoot->x, pRoot->y, true);
    } else if (placeRootUnstored) {
        const bool bWasBlocked = pItem->blockSignals(true);
        pItem->setPos(0, height() / 2);
        pItem->blockSignals(bWasBlocked);
    } else {
        pItem->SetNodePos(0, height() / 2, true);
    }
    LayoutChildren(pRoot);
    // The document has rolled the tree back; what it flagged shows, and the
    // chosen path only where every Situation adds up.
    std::vector<CNode *> pending{pRoot};
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (document.HasProbabilityWarning(pNode))
            ShowProbabilityWarning(pNode, true);
        for (CNode *pChild : pNode->children)
            if (pChild)
                pending.push_back(pChild);
    }
    UpdateBestPath(pRoot, document.IsConsistent());
}

void CDecisionTreeWindow::ChangeSettings(const CProjectSettings &settings)
{
    if (settings != document.GetSettings())
        undoStack.push(new CSettingsCommand(this, settings));
}

bool CDecisionTreeWindow::SaveProject()
{
    if (!document.GetRoot())
        return false;
    if (document.GetFilePath().isEmpty()) {
        const QString strPath = CProjectFileDialog::GetSavePath(this, tr("Save File"), QString());
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

CNodeGrapicsItem *CDecisionTreeWindow::CreateItem(CNode *pNode)
{
    auto *pItem = new CNodeGrapicsItem(pNode, nullptr, true);
    AttachItem(pItem);
    items.insert(pNode, pItem);
    return pItem;
}

void CDecisionTreeWindow::NotifyValuesChanged(CNode *pNode)
{
    CProjectDocument::CChange change(document);
    document.ProbabilityEdited(pNode);
    document.PayoffEdited(pNode);
}

void CDecisionTreeWindow::OnValuesChanged(const std::vector<CNode *> &nodes)
{
    // Each written node comes once, with its final value; the Decisions and
    // Situations among them are where the chosen path may have changed.
    std::vector<CNode *> branches;
    for (CNode *pWritten : nodes) {
        if (CNodeGrapicsItem *pItem = GetItem(pWritten)) {
            const bool bWasBlocked = pItem->blockSignals(true);
            pItem->SetProbability(pWritten->probability);
            pItem->SetPayoff(pWritten->payoff);
            pItem->blockSignals(bWasBlocked);
        }
        if (pWritten->type == NodeType::Decision || pWritten->type == NodeType::Situation)
            branches.push_back(pWritten);
    }
    RefreshBestPath(branches);
}

void CDecisionTreeWindow::OnWarningsChanged(const std::vector<CNode *> &situations)
{
    for (CNode *pSituation : situations)
        ShowProbabilityWarning(pSituation, document.HasProbabilityWarning(pSituation));
}

bool CDecisionTreeWindow::ArrowOnPath(const CNode *pNode) const
{
    const CNodeGrapicsItem *pItem = GetItem(pNode);
    const CQGraphicsArrowLineItem *pArrow = pItem ? pItem->GetArrow() : nullptr;
    return pArrow && pArrow->IsActive();
}

void CDecisionTreeWindow::RefreshBestPath(const std::vector<CNode *> &branches)
{
    const bool bValid = document.IsConsistent();
    if (bValid != highlighted) {
        UpdateBestPath(document.GetRoot(), bValid);
        return;
    }
    if (!bValid)
        return;
    // Only where a choice changed do arrows change: below a Decision or
    // Situation that was written, from the top down, each arrow that is not
    // as its node and the arrow above it say takes its subtree along.
    const CNode *pRoot = document.GetRoot();
    for (auto it = branches.rbegin(); it != branches.rend(); ++it) {
        CNode *pBranch = *it;
        std::vector<CNode *> nodes{pBranch};
        nodes.insert(nodes.end(), pBranch->children.begin(), pBranch->children.end());
        for (CNode *pNode : nodes) {
            if (!pNode || !pNode->parent)
                continue;
            const bool bAbove = pNode->parent == pRoot || ArrowOnPath(pNode->parent);
            const bool bActive = bAbove && pNode->active;
            if (ArrowOnPath(pNode) == bActive)
                continue;
            if (CNodeGrapicsItem *pItem = GetItem(pNode))
                if (CQGraphicsArrowLineItem *pArrow = pItem->GetArrow())
                    pArrow->SetActive(bActive);
            UpdateBestPath(pNode, bActive);
        }
    }
}

void CDecisionTreeWindow::OnItemProbabilityChanged(CNodeGrapicsItem *pItem)
{
    document.ProbabilityEdited(pItem->GetNode());
}

void CDecisionTreeWindow::OnItemPayoffChanged(CNodeGrapicsItem *pItem)
{
    document.PayoffEdited(pItem->GetNode());
}

void CDecisionTreeWindow::ShowProbabilityWarning(CNode *pNode, bool bOn)
{
    if (!pNode || pNode->type != NodeType::Situation)
        return;
    for (CNode *pChild : pNode->children)
        if (CNodeGrapicsItem *pItem = GetItem(pChild))
            pItem->SetProbabilityError(bOn);
}

void CDecisionTreeWindow::ApplyNodeValues(CNode *pNode, const QString &strName, double dProbability,
                                          double dPayoff)
{
    CNodeGrapicsItem *pItem = GetItem(pNode);
    if (!pNode || !pItem)
        return;
    NoteActedNode(pNode);
    // The item writes each value into the node as it shows it; the tree is
    // evaluated once, for all of them.
    CProjectDocument::CChange change(document);
    if (QString::fromStdString(pNode->name) != strName)
        pItem->setPlainText(strName);
    if (std::fabs(pNode->probability - dProbability) >= 0.00001)
        pItem->SetProbability(dProbability);
    if (std::fabs(pNode->payoff - dPayoff) >= 0.00001)
        pItem->SetPayoff(dPayoff);
}

void CDecisionTreeWindow::OnItemPosChanged(CNodeGrapicsItem *pItem, QPointF pntNewPos)
{
    document.SetPosition(pItem->GetNode(), ToCoordinate(pntNewPos.x()),
                         ToCoordinate(pntNewPos.y()));
    // Not an undo step, but an arrangement made by hand is work to keep.
    MarkModified();
}

void CDecisionTreeWindow::OnFoucsOut(CNodeGrapicsItem *pItem, const QString &strOldName,
                                     double dOldProbability, double dOldPayoff)
{
    if (!pItem->GetNode())
        return;
    NoteActedNode(pItem->GetNode());
    undoStack.push(new CValueChangedCommand(pItem, strOldName, dOldProbability, dOldPayoff, this));
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
