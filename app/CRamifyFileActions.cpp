// The main window's File menu: projects, and pictures of them printed or
// exported.
#include "CRamify.h"

#include "CDecisionTreeWindow.h"
#include "CNewProjectDialog.h"
#include "CProjectFileDialog.h"
#include "CProjectSettingsDialog.h"
#include "CRecentFiles.h"
#include "CTreePicture.h"
#include "CTreePrinter.h"
#include "ui_CRamify.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QSettings>

void CRamify::on_actionNewProject_triggered()
{
    CNewProjectDialog dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString strName = dialog.GetProjectName();
    auto *pWindow = new CDecisionTreeWindow(this, strName);
    ShowTreeWindow(pWindow, strName);
    pWindow->NewProject(strName);
    CProjectSettings settings;
    settings.numbers = RememberedNumberFormat();
    pWindow->GetDocument().SetSettings(settings);
}

NumberFormat CRamify::RememberedNumberFormat()
{
    QSettings store;
    NumberFormat format;
    format.grouping = store.value(QStringLiteral("Numbers/Grouping"), false).toBool();
    const int nDecimals = store.value(QStringLiteral("Numbers/Decimals"), format.decimals).toInt();
    if (nDecimals >= 0 && nDecimals <= NumberFormat::MaxDecimals)
        format.decimals = nDecimals;
    format.prefix = store.value(QStringLiteral("Numbers/Prefix")).toString().left(12);
    format.suffix = store.value(QStringLiteral("Numbers/Suffix")).toString().left(12);
    return format;
}

void CRamify::RememberNumberFormat(const NumberFormat &format)
{
    QSettings store;
    store.setValue(QStringLiteral("Numbers/Grouping"), format.grouping);
    store.setValue(QStringLiteral("Numbers/Decimals"), format.decimals);
    store.setValue(QStringLiteral("Numbers/Prefix"), format.prefix);
    store.setValue(QStringLiteral("Numbers/Suffix"), format.suffix);
}

void CRamify::on_actionOpenProject_triggered()
{
    const QString strPath = QFileDialog::getOpenFileName(
        this, tr("Open File"), QString(),
        tr("Project files (*.rmproj *.json);;Ramify Project File(*.rmproj);;SilverDecisions "
           "file (*.json)"));
    if (!strPath.isEmpty())
        OpenProject(strPath);
}

void CRamify::OpenProject(const QString &strPath)
{
    // A SilverDecisions file may hold several trees: a sub-window for each.
    int nTrees = 1;
    for (int nTree = 0; nTree < nTrees; ++nTree) {
        auto *pWindow = new CDecisionTreeWindow(this, QString());
        // Arranged as it opens when the user asked for that.
        pWindow->SetArrangeAutomatically(ui->actionArrangeAutomatically->isChecked());
        pWindow->SetShowCombined(ui->actionShowCombined->isChecked());
        // A file that could not be read completely has been reported by the
        // window; what it could read is still shown. One that is refused as
        // a whole shows nothing.
        CProjectFile::ReadResult result;
        const bool bRead = pWindow->LoadProject(strPath, nullptr, nTree, &result);
        if (result.foreign && !result.opened) {
            delete pWindow;
            return;
        }
        if (bRead && nTree == 0)
            recentFiles->Add(strPath);
        nTrees = result.treeCount;
        ShowTreeWindow(pWindow,
                       nTrees > 1 ? tr("%1 (tree %2 of %3)").arg(strPath).arg(nTree + 1).arg(nTrees)
                                  : strPath);
    }
}

void CRamify::on_actionExportTree_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    QString strPath = QFileDialog::getSaveFileName(this, tr("Export Tree"), QString(),
                                                   tr("SilverDecisions file (*.json)"));
    if (strPath.isEmpty())
        return;
    // The suffix chooses the format the document writes.
    if (QFileInfo(strPath).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) != 0)
        strPath += QStringLiteral(".json");
    QString strError;
    if (!pWindow->GetDocument().Write(strPath, &strError))
        QMessageBox::warning(this, tr("Export Tree"), strError);
}

void CRamify::on_actionSaveProject_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (pWindow && pWindow->SaveProject())
        recentFiles->Add(pWindow->GetFilePath());
}

void CRamify::on_actionProjectSettings_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    CProjectDocument &document = pWindow->GetDocument();
    CProjectSettingsDialog dialog(document.GetSettings(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A new project starts with the number format chosen last.
    RememberNumberFormat(dialog.GetSettings().numbers);
    pWindow->ChangeSettings(dialog.GetSettings());
}

void CRamify::on_actionSaveAs_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    const QString strPath = CProjectFileDialog::GetSavePath(
        this, tr("save as"),
        CProjectFileDialog::SuggestedPath(pWindow->GetFilePath(), pWindow->GetProjectName()));
    if (strPath.isEmpty())
        return;
    pWindow->SetFilePath(strPath);
    if (pWindow->SaveProject())
        recentFiles->Add(strPath);
}

void CRamify::on_actionCloseProject_triggered()
{
    if (GetActiveTreeWindow())
        ui->mdiArea->closeActiveSubWindow();
}

void CRamify::on_actionExportPicture_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (!pWindow)
        return;
    QString strFilter;
    QString strPath = QFileDialog::getSaveFileName(
        this, tr("Export Picture"), QString(),
        tr("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), &strFilter);
    if (strPath.isEmpty())
        return;
    // A name without a suffix gets the one of the kind chosen in the dialog.
    if (QFileInfo(strPath).suffix().isEmpty())
        strPath += strFilter.contains(QLatin1String("svg"))   ? QStringLiteral(".svg")
                   : strFilter.contains(QLatin1String("pdf")) ? QStringLiteral(".pdf")
                                                              : QStringLiteral(".png");
    QString strError;
    if (!CTreePicture::Write(*pWindow->TreeScene(), pWindow->GetProjectName(), strPath, &strError))
        QMessageBox::warning(this, tr("Export Picture"), strError);
}

void CRamify::on_actionPrint_triggered()
{
    CDecisionTreeWindow *pWindow = GetActiveTreeWindow();
    if (pWindow && !CTreePicture::Rect(*pWindow->TreeScene()).isEmpty())
        CTreePrinter::Preview(pWindow, this);
}

void CRamify::on_actionCopyPicture_triggered()
{
    if (CDecisionTreeWindow *pWindow = GetActiveTreeWindow()) {
        const QImage image = CTreePicture::Image(*pWindow->TreeScene(), 1.0);
        if (!image.isNull())
            QApplication::clipboard()->setImage(image);
    }
}
