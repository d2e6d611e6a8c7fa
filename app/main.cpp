#include "CRamify.h"
#include "CRecoveryStore.h"
#include "RamifyResources.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    InitRamifyResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/Ramify/Resources/image/arrow.png")));

    CRamify window;
    window.show();
    window.StartRecovery(CRecoveryStore::DefaultFolder());
    return QApplication::exec();
}
