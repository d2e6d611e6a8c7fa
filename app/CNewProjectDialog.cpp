#include "CNewProjectDialog.h"

#include "ui_CNewProjectDialog.h"

#include <QMessageBox>

int CNewProjectDialog::nProjectCount = 1;

CNewProjectDialog::CNewProjectDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::vxNewProjectDialog>())
{
    ui->setupUi(this);
    ui->lineEditProjectName->setText(tr("Project") + QString::number(nProjectCount));
    // The name is what the dialog is for: typing at once replaces the proposal.
    ui->lineEditProjectName->selectAll();
    ui->lineEditProjectName->setFocus();
}

CNewProjectDialog::~CNewProjectDialog() = default;

QString CNewProjectDialog::GetProjectName() const
{
    return ui->lineEditProjectName->text();
}

void CNewProjectDialog::on_pushButtonOK_clicked()
{
    if (ui->lineEditProjectName->text().isEmpty()) {
        QMessageBox::warning(this, tr("Error!"), tr("The project name must not be empty!"),
                             QMessageBox::Ok);
        return;
    }
    ++nProjectCount;
    accept();
}

void CNewProjectDialog::on_pushButtonCancel_clicked()
{
    reject();
}
