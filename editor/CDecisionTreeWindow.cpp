#include "CDecisionTreeWindow.h"

#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectFile.h"
#include "CProjectFileDialog.h"
#include "CQGraphicsArrowLineItem.h"
#include "CRecoveryKeeper.h"
#include "CValueChangedCommand.h"

#include <QCloseEvent>
#include <QGraphicsScene>
#include <QMessageBox>

#include <cmath>
#include <vector>

CDecisionTreeWindow::CDecisionTreeWindow(QWidget *parent, const QString &strProjectName)
    : QGraphicsView(parent), projectName(strProjectName)
{
    setScene(new QGraphicsScene(this));
    setDragMode(QGraphicsView::RubberBandDrag);
    // The scene only ever grows its own rectangle; the view keeps one of its
    // own that also holds what is on screen (UpdateSceneRect).
    connect(scene(), &QGraphicsScene::sceneRectChanged, this,
            &CDecisionTreeWindow::UpdateSceneRect);
    connect(&undoStack, &QUndoStack::indexChanged, this, &CDecisionTreeWindow::OnHistoryStep);
    // Values change on every key typed; what the summary shows is brought up
    // to date once an edit is done, when it becomes an undo step.
    connect(scene(), &QGraphicsScene::selectionChanged, this,
            &CDecisionTreeWindow::sig_summaryChanged);
    connect(&undoStack, &QUndoStack::indexChanged, this, &CDecisionTreeWindow::sig_summaryChanged);
}

CDecisionTreeWindow::~CDecisionTreeWindow()
{
    // Clearing the undo stack below is no change to keep a copy of.
    delete recovery;
    // Taking the scene and the history apart below changes the selection and
    // the undo index, and reports steps: nobody may ask this half-destroyed
    // window for a summary or a view then.
    scene()->disconnect(this);
    undoStack.disconnect(this);
    // The items go first, while their nodes still exist: an item that is being
    // edited reports its focus loss as it dies, and that report must neither
    // reach this half-destroyed window nor read a freed node.
    for (CNodeGrapicsItem *pItem : qAsConst(items))
        pItem->disconnect(this);
    delete scene();
    items.clear();
    // Commands free the subtrees they hold detached; the tree frees the rest.
    undoStack.clear();
    CNode::FreeSubtree(clipboard);
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

CNodeGrapicsItem *CDecisionTreeWindow::SenderItem() const
{
    return qobject_cast<CNodeGrapicsItem *>(sender());
}

void CDecisionTreeWindow::NewProject(const QString &strName)
{
    CNode *pRoot = CNode::CreateRoot(nullptr, strName.toStdString());
    CNodeGrapicsItem *pItem = CreateItem(pRoot);
    // The Root keeps no stored position until it is dragged.
    pItem->blockSignals(true);
    pItem->setPos(0, height() / 2);
    pItem->blockSignals(false);
    CNode::CreateTerminal(pRoot, "");
    LayoutChildren(pRoot);
    tree.SetRoot(pRoot);
    if (arrangeAutomatically)
        ArrangeInPlace();
    actedNode = nullptr;
    showStart = true;
    ShowTreeStart();
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
    const CProjectFile::ReadResult result = CProjectFile::Read(strPath, tree);
    if (!result.opened)
        return fail(result.Message());
    filePath = strPath;
    ShowReadProject(result);
    QStringList problems;
    if (!result.complete)
        problems << result.Message();
    if (!tree.GetRoot() && result.complete)
        problems << tr("\"%1\" holds no Ramify project.").arg(strPath);
    else if (tree.GetRoot())
        problems << result.DroppedNodesMessage(items.size());
    problems.removeAll(QString());
    if (!problems.isEmpty())
        return fail(problems.join(QLatin1String("\n\n")));
    return result.complete && tree.GetRoot();
}

CProjectFile::ReadResult CDecisionTreeWindow::ReadProject(QIODevice &device)
{
    const CProjectFile::ReadResult result = CProjectFile::Read(device, tree);
    ShowReadProject(result);
    return result;
}

void CDecisionTreeWindow::ShowReadProject(const CProjectFile::ReadResult &result)
{
    if (!result.projectName.isNull())
        projectName = result.projectName;
    // Edits roll back by the project's own rule, and saving keeps it.
    solver.SetRule(result.rule);
    ShowLoadedTree();
    if (arrangeAutomatically)
        ArrangeInPlace();
    actedNode = nullptr;
    showStart = true;
    ShowTreeStart();
}

bool CDecisionTreeWindow::RecoverProject(const QString &strCopyPath, const QString &strFilePath)
{
    const bool bRead = LoadProject(strCopyPath);
    filePath = strFilePath;
    setWindowModified(true);
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
    CNode *pRoot = tree.GetRoot();
    if (!pRoot || pRoot->children.size() != 1)
        return;
    CNodeGrapicsItem *pItem = CreateItem(pRoot);
    if (pRoot->HasPosition())
        pItem->SetNodePos(pRoot->x, pRoot->y, true);
    else
        pItem->SetNodePos(0, height() / 2, true);
    LayoutChildren(pRoot);
    // The values and highlights are those the file stored; nothing is solved.
    // But options that do not add up are flagged, and no path is drawn, as
    // after an edit that left them so.
    std::vector<CNode *> pending{pRoot};
    while (!pending.empty()) {
        CNode *pNode = pending.back();
        pending.pop_back();
        if (pNode->type == NodeType::Situation && !pNode->ChildProbabilitiesAddUp())
            ShowProbabilityWarning(pNode, true);
        for (CNode *pChild : pNode->children)
            if (pChild)
                pending.push_back(pChild);
    }
    UpdateBestPath(pRoot, tree.IsProbabilityConsistent());
}

bool CDecisionTreeWindow::SaveProject()
{
    if (!tree.GetRoot())
        return false;
    if (filePath.isEmpty()) {
        filePath = CProjectFileDialog::GetSavePath(this, tr("Save File"), QString());
        if (filePath.isEmpty())
            return false;
    }
    QString strError;
    if (!CProjectFile::Write(filePath, tree, projectName, &strError, solver.Rule())) {
        QMessageBox::warning(this, tr("Save Project"), strError);
        return false;
    }
    return true;
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
    if (CNodeGrapicsItem *pItem = GetItem(pNode))
        pItem->EmitValueSignals();
}

void CDecisionTreeWindow::SolveAndRefresh(CNode *pNode)
{
    // Each written node comes once, with its final value; the Decisions and
    // Situations among them are where the chosen path may have changed.
    std::vector<CNode *> branches;
    solver.Solve(pNode, [&](CNode *pWritten) {
        if (CNodeGrapicsItem *pItem = GetItem(pWritten)) {
            const bool bWasBlocked = pItem->blockSignals(true);
            pItem->SetProbability(pWritten->probability);
            pItem->SetPayoff(pWritten->payoff);
            pItem->blockSignals(bWasBlocked);
        }
        if (pWritten->type == NodeType::Decision || pWritten->type == NodeType::Situation)
            branches.push_back(pWritten);
    });
    RefreshBestPath(branches);
}

bool CDecisionTreeWindow::ArrowOnPath(const CNode *pNode) const
{
    const CNodeGrapicsItem *pItem = GetItem(pNode);
    const CQGraphicsArrowLineItem *pArrow = pItem ? pItem->GetArrow() : nullptr;
    return pArrow && pArrow->IsActive();
}

void CDecisionTreeWindow::RefreshBestPath(const std::vector<CNode *> &branches)
{
    const bool bValid = tree.IsProbabilityConsistent();
    if (bValid != highlighted) {
        UpdateBestPath(tree.GetRoot(), bValid);
        return;
    }
    if (!bValid)
        return;
    // Only where a choice changed do arrows change: below a Decision or
    // Situation that was written, from the top down, each arrow that is not
    // as its node and the arrow above it say takes its subtree along.
    const CNode *pRoot = tree.GetRoot();
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

void CDecisionTreeWindow::OnItemProbabilityChanged()
{
    if (CNodeGrapicsItem *pSender = SenderItem())
        ItemProbabilityChanged(pSender);
}

void CDecisionTreeWindow::ItemProbabilityChanged(CNodeGrapicsItem *pSender)
{
    CNode *pNode = pSender->GetNode();
    if (!pNode || !pNode->parent)
        return;
    const bool bOwner = pNode->type == NodeType::Decision || pNode->type == NodeType::Situation;
    CNode *pOwner = bOwner ? pNode : pNode->parent;

    if (pOwner->ChildProbabilitiesAddUp()) {
        for (CNode *pChild : pOwner->children)
            if (CNodeGrapicsItem *pItem = GetItem(pChild))
                pItem->SetProbabilityError(false);
        // Nothing below the other options was solved while the sum was off,
        // so their paths still show the old shares: solve all of them.
        SolveAndRefresh(pOwner);
    } else {
        ShowProbabilityWarning(pOwner, true);
        if (highlighted)
            UpdateBestPath(tree.GetRoot(), false);
    }
    emit sig_evaluated();
}

void CDecisionTreeWindow::OnItemPayoffChanged()
{
    if (CNodeGrapicsItem *pSender = SenderItem())
        ItemPayoffChanged(pSender);
}

void CDecisionTreeWindow::ItemPayoffChanged(CNodeGrapicsItem *pSender)
{
    if (pSender->GetNode())
        SolveAndRefresh(pSender->GetNode());
    emit sig_evaluated();
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
    if (QString::fromStdString(pNode->name) != strName)
        pItem->setPlainText(strName);
    if (std::fabs(pNode->probability - dProbability) >= 0.00001)
        pItem->SetProbability(dProbability);
    if (std::fabs(pNode->payoff - dPayoff) >= 0.00001)
        pItem->SetPayoff(dPayoff);
}

void CDecisionTreeWindow::OnItemPosChanged(QPointF pntNewPos)
{
    if (CNodeGrapicsItem *pSender = SenderItem())
        ItemMoved(pSender, pntNewPos);
}

void CDecisionTreeWindow::ItemMoved(CNodeGrapicsItem *pSender, QPointF pntNewPos)
{
    if (!pSender->GetNode())
        return;
    pSender->GetNode()->x = ToCoordinate(pntNewPos.x());
    pSender->GetNode()->y = ToCoordinate(pntNewPos.y());
    // Not an undo step, but an arrangement made by hand is work to keep.
    setWindowModified(true);
}

void CDecisionTreeWindow::OnFoucsOut(const QString &strOldName, double dOldProbability,
                                     double dOldPayoff)
{
    if (CNodeGrapicsItem *pSender = SenderItem())
        ItemFocusOut(pSender, strOldName, dOldProbability, dOldPayoff);
}

void CDecisionTreeWindow::ItemFocusOut(CNodeGrapicsItem *pSender, const QString &strOldName,
                                       double dOldProbability, double dOldPayoff)
{
    if (!pSender->GetNode())
        return;
    NoteActedNode(pSender->GetNode());
    undoStack.push(
        new CValueChangedCommand(pSender, strOldName, dOldProbability, dOldPayoff, this));
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
