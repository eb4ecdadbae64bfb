#include "filelist/filelistdelegate.h"

#include "compare/fileentry.h"

#include <QApplication>
#include <QPainter>

namespace {
constexpr int kIconSize = 16;
}

void FileListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() != fldStatusCode && (option->state & QStyle::State_Selected))
        option->palette.setColor(QPalette::HighlightedText, option->palette.color(QPalette::Base));
    if (index.column() == fldCopyIcon) {
        option->icon = QIcon();
        option->features &= ~QStyleOptionViewItem::HasDecoration;
    }
}

void FileListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (index.column() != fldCopyIcon)
        return;
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (icon.isNull())
        return;
    const QPixmap picture =
        icon.pixmap(QSize(kIconSize, kIconSize),
                    painter->device() ? painter->device()->devicePixelRatioF() : 1.0);
    painter->drawPixmap(option.rect.topLeft(), picture);
}
