#include "CLiveEditDelegate.h"

#include <QLineEdit>

QWidget *CLiveEditDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    QWidget *pEditor = QStyledItemDelegate::createEditor(parent, option, index);
    editing = index;
    if (auto *pLine = qobject_cast<QLineEdit *>(pEditor)) {
        const QPersistentModelIndex at(index);
        connect(pLine, &QLineEdit::textEdited, this,
                [this, at](const QString &strText) { emit sig_textEdited(at, strText); });
    }
    return pEditor;
}

void CLiveEditDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    QStyledItemDelegate::destroyEditor(editor, index);
    editing = QPersistentModelIndex();
    emit sig_editEnded(index);
}
