// The main window's analyses: panels docked beside the projects.
#include "CRamify.h"

#include "CDecisionTreeWindow.h"
#include "CLeagueTablePanel.h"
#include "CNode.h"
#include "CProbabilisticSensitivityPanel.h"
#include "CRiskProfilePanel.h"
#include "CSensitivityPanel.h"
#include "CSpiderPanel.h"
#include "CTornadoPanel.h"
#include "CTwoWayPanel.h"
#include "CValueOfInformationPanel.h"
#include "CVariableSensitivityPanel.h"
#include "CVariablesPanel.h"

#include <QDockWidget>
#include <QMdiSubWindow>

template <typename Panel> Panel *CRamify::FindPanel(const CDecisionTreeWindow *pWindow) const
{
    for (Panel *pPanel : findChildren<Panel *>())
        if (pPanel->Document() == &pWindow->GetDocument())
            return pPanel;
    return nullptr;
}

void CRamify::AddPanel(CAnalysisPanel *pPanel, const QString &strTitle)
{
    QDockWidget *pBeside = nullptr;
    for (QDockWidget *pDock : findChildren<QDockWidget *>())
        if (qobject_cast<CAnalysisPanel *>(pDock->widget()) && !pDock->isHidden())
            pBeside = pDock;
    auto *pDock = new QDockWidget(strTitle, this);
    pDock->setAttribute(Qt::WA_DeleteOnClose);
    pDock->setWidget(pPanel);
    addDockWidget(Qt::RightDockWidgetArea, pDock);
    if (pBeside)
        tabifyDockWidget(pBeside, pDock);
    // The panel shows one project's tree; without the project it has nothing
    // to show.
    connect(pPanel->Document(), &QObject::destroyed, pDock, &QObject::deleteLater);
    pDock->show();
    pDock->raise();
    // A chart needs room; the first dock takes two fifths of the window.
    if (!pBeside)
        resizeDocks({pDock}, {width() * 2 / 5}, Qt::Horizontal);
}

void CRamify::ShowPanelsOf(QMdiSubWindow *pSubWindow)
{
    // None is in front while the program is in the background: nothing to
    // change then.
    if (!pSubWindow)
        return;
    // A panel shows one project; beside another one it would pass for that
    // one's. It waits hidden until its project is in front again.
    auto *pWindow = qobject_cast<CDecisionTreeWindow *>(pSubWindow->widget());
    const CProjectDocument *pDocument = pWindow ? &pWindow->GetDocument() : nullptr;
    for (QDockWidget *pDock : findChildren<QDockWidget *>()) {
        if (auto *pPanel = qobject_cast<CAnalysisPanel *>(pDock->widget()))
            pDock->setVisible(pPanel->Document() == pDocument);
        else if (auto *pVariables = qobject_cast<CVariablesPanel *>(pDock->widget()))
            pDock->setVisible(pVariables->Document() == pDocument);
    }
}

void CRamify::ShowSensitivity(CDecisionTreeWindow *pWindow, const CNode *pOption)
{
    if (auto *pPanel = FindPanel<CSensitivityPanel>(pWindow)) {
        pPanel->SetOption(pOption);
        pPanel->parentWidget()->raise();
        return;
    }
    AddPanel(new CSensitivityPanel(&pWindow->GetDocument(), pOption),
             tr("Sensitivity: %1").arg(pWindow->GetProjectName()));
}

void CRamify::ShowVariableSensitivity(CDecisionTreeWindow *pWindow, const QString &strVariable)
{
    if (auto *pPanel = FindPanel<CVariableSensitivityPanel>(pWindow)) {
        pPanel->SetVariable(strVariable.toStdString());
        pPanel->parentWidget()->show();
        pPanel->parentWidget()->raise();
        return;
    }
    AddPanel(new CVariableSensitivityPanel(&pWindow->GetDocument(), strVariable.toStdString()),
             tr("Sensitivity: %1").arg(pWindow->GetProjectName()));
}

template <typename Panel> void CRamify::ShowPanel(const QString &strTitle)
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    if (auto *pPanel = FindPanel<Panel>(pWindow)) {
        pPanel->parentWidget()->raise();
        return;
    }
    AddPanel(new Panel(&pWindow->GetDocument()), strTitle.arg(pWindow->GetProjectName()));
}

void CRamify::on_actionTornado_triggered()
{
    // The spider chart moves the same inputs; it waits in a tab beside.
    ShowPanel<CSpiderPanel>(tr("Spider: %1"));
    ShowPanel<CTornadoPanel>(tr("Tornado: %1"));
}

void CRamify::on_actionTwoWay_triggered()
{
    ShowPanel<CTwoWayPanel>(tr("Two-Way: %1"));
}

void CRamify::on_actionValueOfInformation_triggered()
{
    ShowPanel<CValueOfInformationPanel>(tr("Value of Information: %1"));
}

void CRamify::on_actionLeagueTable_triggered()
{
    ShowPanel<CLeagueTablePanel>(tr("League Table: %1"));
}

void CRamify::on_actionRiskProfile_triggered()
{
    ShowPanel<CRiskProfilePanel>(tr("Risk Profile: %1"));
}

void CRamify::on_actionProbabilisticSensitivity_triggered()
{
    ShowPanel<CProbabilisticSensitivityPanel>(tr("Probabilistic Sensitivity: %1"));
}

void CRamify::on_actionVariables_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    for (CVariablesPanel *pPanel : findChildren<CVariablesPanel *>())
        if (pPanel->Document() == &pWindow->GetDocument()) {
            pPanel->parentWidget()->raise();
            return;
        }
    auto *pDock = new QDockWidget(tr("Variables: %1").arg(pWindow->GetProjectName()), this);
    pDock->setObjectName(QStringLiteral("dockVariables"));
    pDock->setAttribute(Qt::WA_DeleteOnClose);
    auto *pPanel = new CVariablesPanel(&pWindow->GetDocument(), pDock);
    connect(pPanel, &CVariablesPanel::sig_changeRequested, pWindow,
            &CDecisionTreeWindow::ChangeVariables);
    connect(pPanel, &CVariablesPanel::sig_sensitivityRequested, this,
            [this, pWindow](const QString &strVariable) {
                ShowVariableSensitivity(pWindow, strVariable);
            });
    pDock->setWidget(pPanel);
    addDockWidget(Qt::BottomDockWidgetArea, pDock);
    // The table edits one project; it goes with it.
    connect(pWindow, &QObject::destroyed, pDock, &QObject::deleteLater);
    pDock->show();
}
