#include "DialogTestSupport.h"

#include "CAboutDialog.h"
#include "CAddNodeDialog.h"
#include "CNewProjectDialog.h"

#include <QAbstractButton>
#include <QCommandLinkButton>
#include <QGridLayout>
#include <QLabel>

std::unique_ptr<QDialog> MakeDialog(const QString &strKind)
{
    if (strKind == QLatin1String("new"))
        return std::make_unique<CNewProjectDialog>();
    if (strKind == QLatin1String("about"))
        return std::make_unique<CAboutDialog>();
    const Mode nMode = strKind == QLatin1String("decision")    ? ModeDecision
                       : strKind == QLatin1String("situation") ? ModeSituation
                                                               : ModeOption;
    return std::make_unique<CAddNodeDialog>(nMode, nullptr);
}

QString GridPlace(const QDialog &dialog, const QString &strName)
{
    for (QGridLayout *pGrid : dialog.findChildren<QGridLayout *>()) {
        for (int i = 0; i < pGrid->count(); ++i) {
            QLayoutItem *pItem = pGrid->itemAt(i);
            const QObject *pObject =
                pItem->widget() ? static_cast<const QObject *>(pItem->widget()) : pItem->layout();
            if (!pObject || pObject->objectName() != strName)
                continue;
            int nRow = 0, nColumn = 0, nRowSpan = 0, nColumnSpan = 0;
            pGrid->getItemPosition(i, &nRow, &nColumn, &nRowSpan, &nColumnSpan);
            return QStringLiteral("%1 %2 %3 %4 %5")
                .arg(pGrid->objectName())
                .arg(nRow)
                .arg(nColumn)
                .arg(nRowSpan)
                .arg(nColumnSpan);
        }
    }
    return QStringLiteral("not in a grid");
}

void CheckSpacer(QLayoutItem *pItem)
{
    QVERIFY(pItem);
    QSpacerItem *pSpacer = pItem->spacerItem();
    QVERIFY(pSpacer);
    QCOMPARE(pSpacer->sizeHint(), QSize(40, 20));
    QCOMPARE(pSpacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(pSpacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
}

QStringList OwnMethods(const QObject &object)
{
    const QMetaObject *pMeta = object.metaObject();
    QStringList methods;
    for (int i = pMeta->methodOffset(); i < pMeta->methodCount(); ++i)
        methods << QString::fromLatin1(pMeta->method(i).methodSignature());
    return methods;
}

// A slot whose object name matches nothing makes the form warn while it connects.
QStringList ConnectWarnings(const std::function<void()> &build)
{
    static QStringList s_warnings;
    s_warnings.clear();
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
            s_warnings << message;
        });
    build();
    qInstallMessageHandler(previous);
    return s_warnings.filter(QStringLiteral("connectSlotsByName"));
}

QStringList VisibleTexts(const QWidget &dialog)
{
    QStringList texts{dialog.windowTitle()};
    for (const QWidget *pWidget : dialog.findChildren<QWidget *>()) {
        texts << pWidget->windowTitle() << pWidget->toolTip();
        if (auto *pLabel = qobject_cast<const QLabel *>(pWidget))
            texts << pLabel->text();
        if (auto *pButton = qobject_cast<const QAbstractButton *>(pWidget))
            texts << pButton->text();
        if (auto *pCommandLink = qobject_cast<const QCommandLinkButton *>(pWidget))
            texts << pCommandLink->description();
    }
    return texts;
}

// Answers the next modal message box with OK from inside its own event loop.
void AnswerNextMessageBox(const std::shared_ptr<SeenBox> &pSeen, int nTries)
{
    QTimer::singleShot(0, [pSeen, nTries] {
        auto *pBox = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!pBox) {
            if (nTries > 0)
                AnswerNextMessageBox(pSeen, nTries - 1);
            return;
        }
        pSeen->bSeen = true;
        pSeen->strTitle = pBox->windowTitle();
        pSeen->strText = pBox->text();
        pSeen->icon = pBox->icon();
        pSeen->buttons = pBox->standardButtons();
        pSeen->pParent = pBox->parentWidget();
        pBox->button(QMessageBox::Ok)->click();
    });
}

// The number in the name that a fresh new-project dialog proposes.
int ProposedNumber()
{
    CNewProjectDialog dialog;
    const QString strName = dialog.GetProjectName();
    return strName.startsWith(QLatin1String("Project")) ? strName.mid(7).toInt() : -1;
}

QString CRecordingTranslator::translate(const char *pContext, const char *pSource, const char *,
                                        int) const
{
    seen << QString::fromLatin1(pContext) + QLatin1Char('|') + QString::fromUtf8(pSource);
    return QString();
}
