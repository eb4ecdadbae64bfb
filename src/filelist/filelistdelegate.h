#pragma once

#include <QStyledItemDelegate>

// Draws a cell of the file list: the text of a selected row in the window colour so that it
// reads on the highlight (the code column keeps the list's normal colours), and the direction
// picture at the top-left corner of its cell, over the row's own background.
class FileListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
