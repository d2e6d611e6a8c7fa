#include "CAboutDialog.h"

#include "RamifyVersion.h"
#include "ui_CAboutDialog.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

// The maker's site; the reserved ".example" domain until the real one is known.
const char *const s_pWebAddress = "https://www.vornel.example/ramify";

} // namespace

CAboutDialog::CAboutDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::AboutDialog>())
{
    ui->setupUi(this);
    // The form only holds place-holders; the real texts live here, in one place.
    ui->labelInfo->setText(tr("Ramify is a product of Vornel"));
    ui->labelVersion->setText(QString::fromLatin1(RamifyVersion()));
    ui->commandLinkButton->setText(QString::fromLatin1(s_pWebAddress));
}

CAboutDialog::~CAboutDialog() = default;

void CAboutDialog::on_pushButtonOK_clicked()
{
    accept();
}

void CAboutDialog::on_commandLinkButton_clicked()
{
    // Whether a browser opened is the desktop's business; the box stays open.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(s_pWebAddress), QUrl::TolerantMode));
}
