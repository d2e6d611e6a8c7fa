#pragma once

// Helpers for driving a tree editor window the way a user does: items found
// by their nodes, texts edited with real mouse and key events, modal dialogs
// answered as soon as they open.

#include "CDecisionTreeWindow.h"
#include "CNode.h"
#include "CNodeGrapicsItem.h"
#include "CProbabilityGraphicsTextItem.h"
#include "CQGraphicsArrowLineItem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace EditorTestKit {

// The child text items of a node item, told apart by class.
inline CProbabilityGraphicsTextItem *ProbabilityText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems())
        if (auto *pText = qobject_cast<CProbabilityGraphicsTextItem *>(pChild->toGraphicsObject()))
            return pText;
    return nullptr;
}

inline CQEditableGraphicsTextItem *PayoffText(const CNodeGrapicsItem *pItem)
{
    for (QGraphicsItem *pChild : pItem->childItems()) {
        QGraphicsObject *pObject = pChild->toGraphicsObject();
        if (qobject_cast<CProbabilityGraphicsTextItem *>(pObject))
            continue;
        if (auto *pText = qobject_cast<CQEditableGraphicsTextItem *>(pObject))
            return pText;
    }
    return nullptr;
}

// Whether the "Error Value!" text above a probability shows.
inline bool ErrorShown(const CNodeGrapicsItem *pItem)
{
    CProbabilityGraphicsTextItem *pProbability = ProbabilityText(pItem);
    if (!pProbability || pProbability->childItems().isEmpty())
        return false;
    return pProbability->childItems().front()->isVisible();
}

inline bool ArrowIsRed(const CNodeGrapicsItem *pItem)
{
    const CQGraphicsArrowLineItem *pArrow = pItem->GetArrow();
    return pArrow && pArrow->pen().color() == QColor(Qt::red);
}

// Every node item of the window's scene whose arrow is red.
inline int RedArrowCount(const CDecisionTreeWindow &window)
{
    int nRed = 0;
    for (QGraphicsItem *pItem : window.scene()->items())
        if (auto *pArrow = dynamic_cast<CQGraphicsArrowLineItem *>(pItem))
            nRed += pArrow->pen().color() == QColor(Qt::red) ? 1 : 0;
    return nRed;
}

inline int CountItems(const CDecisionTreeWindow &window)
{
    int nNodes = 0;
    for (QGraphicsItem *pItem : window.scene()->items())
        nNodes += qobject_cast<CNodeGrapicsItem *>(pItem->toGraphicsObject()) ? 1 : 0;
    return nNodes;
}

// Double-clicks a text as a user does, which starts editing it.
inline void StartEditing(QGraphicsView &view, QGraphicsTextItem *pText)
{
    const QPoint at = view.mapFromScene(pText->sceneBoundingRect().center());
    // Qt's view sees a double click only after a first press and release.
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTRY_VERIFY(pText->hasFocus());
}

// Double-clicks a text, replaces what it shows by strText and presses Enter.
inline void TypeInto(QGraphicsView &view, QGraphicsTextItem *pText, const QString &strText)
{
    StartEditing(view, pText);
    if (!pText->hasFocus())
        return;
    QTest::keyClick(view.viewport(), Qt::Key_A, Qt::ControlModifier);
    if (strText.isEmpty())
        QTest::keyClick(view.viewport(), Qt::Key_Delete);
    else
        QTest::keyClicks(view.viewport(), strText);
    QTest::keyClick(view.viewport(), Qt::Key_Return);
    QVERIFY(!pText->hasFocus());
}

// Runs fnAnswer on the next modal widget of type T as soon as it shows.
template <typename T> void AnswerModal(std::function<void(T *)> fnAnswer)
{
    auto *pTimer = new QTimer(qApp);
    auto nTries = std::make_shared<int>(0);
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, nTries, fnAnswer]() {
        if (auto *pModal = qobject_cast<T *>(QApplication::activeModalWidget())) {
            pTimer->stop();
            pTimer->deleteLater();
            fnAnswer(pModal);
        } else if (++*nTries > 500) {
            pTimer->stop();
            pTimer->deleteLater();
        }
    });
    pTimer->start(10);
}

// Answers the coming message boxes in turn, one button each, and keeps their
// titles and texts. A box is answered only once, even while it is closing.
inline void AnswerMessageBoxes(const QList<QMessageBox::StandardButton> &buttons,
                               QStringList *pTexts = nullptr)
{
    auto *pTimer = new QTimer(qApp);
    auto remaining = std::make_shared<QList<QMessageBox::StandardButton>>(buttons);
    auto answered = std::make_shared<QPointer<QMessageBox>>();
    auto nTries = std::make_shared<int>(0);
    QObject::connect(pTimer, &QTimer::timeout, [=]() {
        auto *pBox = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (pBox && pBox != answered->data()) {
            *answered = pBox;
            if (pTexts)
                *pTexts << pBox->windowTitle() + QLatin1Char('\n') + pBox->text();
            pBox->button(remaining->takeFirst())->click();
        }
        if (remaining->isEmpty() || ++*nTries > 1000) {
            pTimer->stop();
            pTimer->deleteLater();
        }
    });
    pTimer->start(5);
}

// Answers the next message box with a button and keeps its title and text.
inline void AnswerMessageBox(QMessageBox::StandardButton button, QString *pText = nullptr)
{
    AnswerModal<QMessageBox>([button, pText](QMessageBox *pBox) {
        if (pText)
            *pText = pBox->windowTitle() + QLatin1Char('\n') + pBox->text();
        pBox->button(button)->click();
    });
}

// Answers the next file dialog by typing a path into its name field, or
// cancels it for an empty path; pSeen receives its caption, folder, selected
// file and filters. Typing is what a user does, and unlike selectFile() it
// works before the dialog has listed its folder.
inline void AnswerFileDialog(const QString &strPath, QString *pSeen = nullptr)
{
    AnswerModal<QFileDialog>([strPath, pSeen](QFileDialog *pDialog) {
        if (pSeen)
            *pSeen = pDialog->windowTitle() + QLatin1Char('|') +
                     pDialog->directory().absolutePath() + QLatin1Char('|') +
                     pDialog->selectedFiles().value(0) + QLatin1Char('|') +
                     pDialog->nameFilters().join(QLatin1Char(';'));
        if (strPath.isEmpty()) {
            pDialog->reject();
            return;
        }
        pDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(strPath);
        // QFileDialog hides accept(); the dialog's own is the one that applies.
        static_cast<QDialog *>(pDialog)->accept();
    });
}

inline void CancelFileDialog()
{
    AnswerFileDialog(QString());
}

} // namespace EditorTestKit
