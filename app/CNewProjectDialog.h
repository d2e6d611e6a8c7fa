#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class vxNewProjectDialog;
}

// Asks for the name of a new project and proposes Project1, Project2, ...
class CNewProjectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CNewProjectDialog(QWidget *parent = nullptr);
    ~CNewProjectDialog() override;

    // Exactly as typed: blanks are kept, only an empty name is refused.
    QString GetProjectName() const;

private slots:
    void on_pushButtonOK_clicked();
    void on_pushButtonCancel_clicked();

private:
    std::unique_ptr<Ui::vxNewProjectDialog> ui;

    // Numbers the proposed names for the whole run; only an accepted dialog
    // moves it on, so a cancelled one offers the same name next time.
    static int nProjectCount;
};
