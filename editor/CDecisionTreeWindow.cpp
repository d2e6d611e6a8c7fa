#include "CDecisionTreeWindow.h"

#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProjectFile.h"
#include "CProjectFileDialog.h"
#include "CValueChangedCommand.h"

#include <QCloseEvent>
#include <QGraphicsScene>
#include <QMessageBox>
#include <QSet>

#include <cmath>
#include <vector>

CDecisionTreeWindow::CDecisionTreeWindow(QWidget *parent, const QString &strProjectName)
    : QGraphicsView(parent), projectName(strProjectName)
{
    setScene(new QGraphicsScene(this));
    setDragMode(QGraphicsView::RubberBandDrag);
    // Values change on every key typed; what the summary shows is brought up
    // to date once an edit is done, when it becomes an undo step.
    connect(scene(), &QGraphicsScene::selectionChanged, this,
            &CDecisionTreeWindow::sig_summaryChanged);
    connect(&undoStack, &QUndoStack::indexChanged, this, &CDecisionTreeWindow::sig_summaryChanged);
}

CDecisionTreeWindow::~CDecisionTreeWindow()
{
    // Taking the scene and the history apart below changes the selection and
    // the undo index; nobody may ask this window for a summary then.
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
}

bool CDecisionTreeWindow::LoadProject(const QString &strPath)
{
    if (strPath.isEmpty())
        return false;
    const CProjectFile::ReadResult result = CProjectFile::Read(strPath, tree);
    if (!result.opened) {
        QMessageBox::warning(this, tr("Open Project"), result.Message());
        return false;
    }
    if (!result.projectName.isNull())
        projectName = result.projectName;
    filePath = strPath;
    ShowLoadedTree();
    if (!result.complete) {
        QMessageBox::warning(this, tr("Open Project"), result.Message());
        return false;
    }
    if (!tree.GetRoot()) {
        QMessageBox::warning(this, tr("Open Project"),
                             tr("\"%1\" holds no Ramify project.").arg(strPath));
        return false;
    }
    return true;
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
    if (!CProjectFile::Write(filePath, tree, projectName, &strError)) {
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
    // Upper nodes are written once per leaf below them, but the texts are only
    // rewritten after the solve, so each item needs its final values once.
    // Collecting each node once also keeps memory linear on trees that are
    // both deep and wide.
    QSet<CNode *> seen;
    std::vector<CNode *> written;
    solver.Solve(pNode, [&](CNode *pWritten) {
        if (!seen.contains(pWritten)) {
            seen.insert(pWritten);
            written.push_back(pWritten);
        }
    });
    for (CNode *pWritten : written) {
        CNodeGrapicsItem *pItem = GetItem(pWritten);
        if (!pItem)
            continue;
        pItem->blockSignals(true);
        pItem->SetProbability(pWritten->probability);
        pItem->SetPayoff(pWritten->payoff);
        pItem->blockSignals(false);
    }
}

void CDecisionTreeWindow::OnItemProbabilityChanged()
{
    CNodeGrapicsItem *pSender = SenderItem();
    if (!pSender || !pSender->GetNode())
        return;
    CNode *pNode = pSender->GetNode();
    if (!pNode->parent)
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
        UpdateBestPath(tree.GetRoot(), tree.IsProbabilityConsistent());
    } else {
        ShowProbabilityWarning(pOwner, true);
        UpdateBestPath(tree.GetRoot(), false);
    }
}

void CDecisionTreeWindow::OnItemPayoffChanged()
{
    CNodeGrapicsItem *pSender = SenderItem();
    if (!pSender || !pSender->GetNode())
        return;
    SolveAndRefresh(pSender->GetNode());
    UpdateBestPath(tree.GetRoot(), tree.IsProbabilityConsistent());
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
    if (QString::fromStdString(pNode->name) != strName)
        pItem->setPlainText(strName);
    if (std::fabs(pNode->probability - dProbability) >= 0.00001)
        pItem->SetProbability(dProbability);
    if (std::fabs(pNode->payoff - dPayoff) >= 0.00001)
        pItem->SetPayoff(dPayoff);
}

void CDecisionTreeWindow::OnItemPosChanged(QPointF pntNewPos)
{
    CNodeGrapicsItem *pSender = SenderItem();
    if (!pSender || !pSender->GetNode())
        return;
    pSender->GetNode()->x = ToCoordinate(pntNewPos.x());
    pSender->GetNode()->y = ToCoordinate(pntNewPos.y());
}

void CDecisionTreeWindow::OnFoucsOut(const QString &strOldName, double dOldProbability,
                                     double dOldPayoff)
{
    CNodeGrapicsItem *pSender = SenderItem();
    if (!pSender || !pSender->GetNode())
        return;
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
    QGraphicsView::closeEvent(event);
}
