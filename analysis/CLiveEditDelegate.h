#pragma once

#include <QModelIndex>
#include <QStyledItemDelegate>

// Edits a table's cells in a line, telling of every keystroke, so that a
// view can follow what is being typed before it is committed.
class CLiveEditDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    // The cell being edited, or an invalid index.
    QModelIndex Editing() const { return editing; }

signals:
    void sig_textEdited(const QModelIndex &index, const QString &strText) const;
    // The edit ended, committed (after the model has the text) or not.
    void sig_editEnded(const QModelIndex &index) const;

private:
    mutable QPersistentModelIndex editing;
};
