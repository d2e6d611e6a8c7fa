#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDialog;
}

// Product line, version and a link to the maker's web site.
class CAboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDialog(QWidget *parent = nullptr);
    ~CAboutDialog() override;

private slots:
    void on_pushButtonOK_clicked();
    void on_commandLinkButton_clicked();

private:
    std::unique_ptr<Ui::AboutDialog> ui;
};
