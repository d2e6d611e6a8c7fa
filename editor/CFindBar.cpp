#include "CFindBar.h"

#include "CDecisionTreeWindow.h"
#include "CNodeGrapicsItem.h"
#include "CNodeSearch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QToolButton>

#include <algorithm>

CFindBar::CFindBar(std::function<CDecisionTreeWindow *()> fnWindow, QWidget *parent)
    : QWidget(parent), window(std::move(fnWindow))
{
    field = new QLineEdit(this);
    field->setPlaceholderText(tr("Find a node by name or comment"));
    count = new QLabel(this);
    count->setMinimumWidth(
        count->fontMetrics().horizontalAdvance(QStringLiteral("00000 of 00000")));
    auto *pPrevious = new QToolButton(this);
    pPrevious->setText(tr("Previous"));
    pPrevious->setToolTip(tr("Previous match (Shift+F3)"));
    auto *pNext = new QToolButton(this);
    pNext->setText(tr("Next"));
    pNext->setToolTip(tr("Next match (F3)"));
    auto *pClose = new QToolButton(this);
    pClose->setText(tr("Close"));
    pClose->setToolTip(tr("Close the find bar (Esc)"));
    auto *pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(6, 3, 6, 3);
    pLayout->addWidget(new QLabel(tr("Find:"), this));
    pLayout->addWidget(field, 1);
    pLayout->addWidget(count);
    pLayout->addWidget(pPrevious);
    pLayout->addWidget(pNext);
    pLayout->addWidget(pClose);

    connect(field, &QLineEdit::textChanged, this, [this] { Go(0); });
    connect(field, &QLineEdit::returnPressed, this, &CFindBar::FindNext);
    connect(pNext, &QToolButton::clicked, this, &CFindBar::FindNext);
    connect(pPrevious, &QToolButton::clicked, this, &CFindBar::FindPrevious);
    connect(pClose, &QToolButton::clicked, this, &CFindBar::Close);
    // F3 works wherever the focus is in the window while the bar shows (a
    // hidden bar's keys are off); Escape only from within the bar, where it
    // cannot mean anything else.
    auto addKey = [this](const QKeySequence &key, Qt::ShortcutContext context,
                         void (CFindBar::*pSlot)()) {
        auto *pShortcut = new QShortcut(key, this);
        pShortcut->setContext(context);
        connect(pShortcut, &QShortcut::activated, this, pSlot);
    };
    addKey(QKeySequence(Qt::Key_F3), Qt::WindowShortcut, &CFindBar::FindNext);
    addKey(QKeySequence(Qt::SHIFT | Qt::Key_F3), Qt::WindowShortcut, &CFindBar::FindPrevious);
    addKey(QKeySequence(Qt::Key_Escape), Qt::WidgetWithChildrenShortcut, &CFindBar::Close);
}

void CFindBar::Open()
{
    show();
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
    Go(0);
}

void CFindBar::Close()
{
    // Before the bar hides: a hidden bar hands its focus on to the next
    // widget in the chain, which may belong to another project, and that one
    // would come to the front and take the next keys.
    CDecisionTreeWindow *pWindow = searched ? searched.data() : window();
    if (pWindow) {
        if (auto *pSubWindow = qobject_cast<QMdiSubWindow *>(pWindow->parentWidget()))
            if (QMdiArea *pArea = pSubWindow->mdiArea())
                pArea->setActiveSubWindow(pSubWindow);
        pWindow->setFocus(Qt::OtherFocusReason);
    }
    hide();
}

QString CFindBar::CountText() const
{
    return count->text();
}

void CFindBar::Go(int nStep)
{
    CDecisionTreeWindow *pWindow = window();
    if (pWindow)
        searched = pWindow;
    // Found anew at every step: the tree may have changed since the last one.
    const std::vector<CNode *> found =
        pWindow ? CNodeSearch::Matches(pWindow->GetDocument().GetRoot(), field->text())
                : std::vector<CNode *>();
    if (found.empty()) {
        current = nullptr;
        count->setText(field->text().isEmpty() ? QString() : tr("No match"));
        return;
    }
    const int nSize = int(found.size());
    const auto it = std::find(found.begin(), found.end(), current);
    int nIndex = 0;
    if (nStep != 0 && it != found.end())
        nIndex = (int(it - found.begin()) + nStep + nSize) % nSize;
    else if (nStep < 0)
        nIndex = nSize - 1;
    current = found[size_t(nIndex)];
    count->setText(tr("%1 of %2").arg(nIndex + 1).arg(nSize));
    pWindow->Reveal(found[size_t(nIndex)]);
    if (CNodeGrapicsItem *pItem = pWindow->GetItem(current)) {
        pWindow->scene()->clearSelection();
        pItem->setSelected(true);
        pWindow->centerOn(pItem);
    }
}
