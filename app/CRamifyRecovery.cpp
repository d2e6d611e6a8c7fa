// Recovery copies: kept for every project from the start, and those an
// earlier run left behind offered back.
#include "CRamify.h"

#include "CDecisionTreeWindow.h"
#include "CRecoveryStore.h"

#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

void CRamify::StartRecovery(const QString &strFolder)
{
    delete recoveryStore;
    recoveryStore = new CRecoveryStore(strFolder, this);
    QString strReason;
    if (!recoveryStore->Open(&strReason)) {
        QMessageBox::warning(this, tr("Recovery Copies"),
                             tr("Ramify cannot keep recovery copies of unsaved projects: %1\n\n"
                                "If Ramify ends before a project is saved, its unsaved changes "
                                "are lost.")
                                 .arg(strReason));
        return;
    }
    QTimer::singleShot(0, this, &CRamify::OfferRecoveryCopies);
}

void CRamify::OfferRecoveryCopies()
{
    const QVector<CRecoveryStore::Copy> orphans = recoveryStore->ClaimOrphans();
    for (const CRecoveryStore::Copy &orphan : orphans) {
        const QString strFile = orphan.filePath.isEmpty()
                                    ? tr("It was never saved.")
                                    : tr("Its file is \"%1\".").arg(orphan.filePath);
        QMessageBox question(
            QMessageBox::Question, tr("Recovery"),
            tr("Ramify ended while the project \"%1\" had unsaved changes. A "
               "recovery copy written %2 holds them.\n\n%3")
                .arg(orphan.projectName,
                     QLocale().toString(orphan.written.toLocalTime(), QLocale::LongFormat),
                     strFile),
            QMessageBox::NoButton, this);
        QPushButton *pRecover = question.addButton(tr("Recover"), QMessageBox::AcceptRole);
        QPushButton *pDiscard = question.addButton(tr("Discard"), QMessageBox::DestructiveRole);
        question.setEscapeButton(question.addButton(tr("Later"), QMessageBox::RejectRole));
        question.setDefaultButton(pRecover);
        question.exec();
        if (question.clickedButton() == pDiscard) {
            recoveryStore->DiscardOrphan(orphan);
        } else if (question.clickedButton() == pRecover) {
            CRecoveryStore::Copy adopted;
            QString strReason;
            if (!recoveryStore->AdoptOrphan(orphan, &adopted, &strReason)) {
                QMessageBox::warning(this, tr("Recovery"),
                                     tr("The recovery copy cannot be opened: %1").arg(strReason));
                continue;
            }
            auto *pWindow = new CDecisionTreeWindow(this, QString());
            pWindow->RecoverProject(adopted.ProjectPath(), adopted.filePath);
            ShowTreeWindow(
                pWindow, adopted.filePath.isEmpty() ? pWindow->GetProjectName() : adopted.filePath,
                adopted.id);
        }
    }
    // Copies put off till later stay in their folders for the next start.
    recoveryStore->ReleaseOrphans();
}
