#include "CRamify.h"

#include "RamifyResources.h"
#include "ui_CRamify.h"

CRamify::CRamify(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::Ramify>())
{
    InitRamifyResources();
    ui->setupUi(this);
    // The form's placeholder goes; the MDI area fills the client area itself.
    setCentralWidget(ui->mdiArea);
}

CRamify::~CRamify() = default;

// The project actions are wired here by object name; what they do arrives
// with the tree editor window.
void CRamify::on_actionNewProject_triggered() {}
void CRamify::on_actionOpenProject_triggered() {}
void CRamify::on_actionSaveProject_triggered() {}
void CRamify::on_actionSaveAs_triggered() {}
void CRamify::on_actionCloseProject_triggered() {}
void CRamify::on_actionExit_triggered() {}
void CRamify::on_actionUndo_triggered() {}
void CRamify::on_actionRedo_triggered() {}
void CRamify::on_actionTitle_triggered() {}
void CRamify::on_actionCascade_triggered() {}
void CRamify::on_actionHelp_triggered() {}
void CRamify::on_actionAbout_triggered() {}
