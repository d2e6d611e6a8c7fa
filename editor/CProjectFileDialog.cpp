#include "CProjectFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString WithSuffix(const QString &strPath)
{
    if (QFileInfo(strPath).fileName().contains(QLatin1Char('.')))
        return strPath;
    return strPath + QStringLiteral(".rmproj");
}

} // namespace

QString CProjectFileDialog::SuggestedPath(const QString &strFilePath, const QString &strProjectName)
{
    if (!strFilePath.isEmpty())
        return strFilePath;
    QString strName = strProjectName.trimmed();
    for (QChar &c : strName)
        if (c < QLatin1Char(' ') || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    // A leading dot would hide the file on most desktops.
    while (strName.startsWith(QLatin1Char('.')))
        strName.remove(0, 1);
    return strName.isEmpty() ? QString() : strName + QStringLiteral(".rmproj");
}

QString CProjectFileDialog::GetSavePath(QWidget *pParent, const QString &strCaption,
                                        const QString &strStart)
{
    QString strPath = strStart;
    for (;;) {
        // The dialog's own question would be about the name as typed, and a
        // native dialog adds no suffix before asking: ask here instead.
        strPath = QFileDialog::getSaveFileName(pParent, strCaption, strPath,
                                               tr("Ramify Project File(*.rmproj)"), nullptr,
                                               QFileDialog::DontConfirmOverwrite);
        if (strPath.isEmpty())
            return QString();
        strPath = WithSuffix(strPath);
        if (!QFileInfo::exists(strPath))
            return strPath;
        const QString strQuestion = tr("%1 already exists.\nDo you want to replace it?")
                                        .arg(QDir::toNativeSeparators(strPath));
        if (QMessageBox::question(pParent, strCaption, strQuestion,
                                  QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No) == QMessageBox::Yes)
            return strPath;
        // Another name, then, starting from the one refused.
    }
}
