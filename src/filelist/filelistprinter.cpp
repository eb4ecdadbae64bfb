#include "filelist/filelistprinter.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <array>

namespace {

constexpr double kMarginTwips = 250;
// Status code, files, extension, size, source date, icon, destination date, status text.
constexpr std::array<int, 8> kColumnTwips{500, 4200, 600, 1000, 1600, 1, 1600, 1000};
constexpr double kTwipsPerPoint = 20;

constexpr int tableTwips()
{
    int sum = 0;
    for (const int width : kColumnTwips)
        sum += width;
    return sum;
}

} // namespace

FileListPrinter::FileListPrinter(const QAbstractItemModel &model) : m_model(model)
{
    m_font.setPointSizeF(8);
}

void FileListPrinter::setUp(QPrinter &printer)
{
    const double margin = kMarginTwips / kTwipsPerPoint;
    printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Point);
}

int FileListPrinter::lineHeight(QPrinter &printer) const
{
    return QFontMetrics(m_font, &printer).height() + 1;
}

int FileListPrinter::rowsPerPage(QPrinter &printer) const
{
    const int line = lineHeight(printer);
    const int height = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    // The captions take the first line of every page.
    return qMax(1, height / line - 1);
}

int FileListPrinter::pageCount(QPrinter &printer) const
{
    const int rows = m_model.rowCount();
    const int perPage = rowsPerPage(printer);
    return qMax(1, (rows + perPage - 1) / perPage);
}

// One line of cells; row -1 is the line of captions.
void FileListPrinter::printLine(QPainter &painter, int top, int row, int height, double twip) const
{
    const QFontMetrics metrics(painter.font(), painter.device());
    double left = 0;
    for (int column = 0; column < int(kColumnTwips.size()); ++column) {
        const double width = kColumnTwips[std::size_t(column)] * twip;
        const QRectF cell(left, top, width, height);
        left += width;
        QString text;
        QColor colour(0, 0, 0);
        if (row < 0)
            text = m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        else {
            const QModelIndex index = m_model.index(row, column);
            text = index.data(Qt::DisplayRole).toString();
            const QVariant foreground = index.data(Qt::ForegroundRole);
            if (foreground.canConvert<QColor>())
                colour = foreground.value<QColor>();
        }
        if (text.isEmpty())
            continue;
        painter.setPen(colour);
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(text, Qt::ElideRight, int(width)));
    }
}

void FileListPrinter::print(QPrinter *printer) const
{
    QPainter painter(printer);
    if (!painter.isActive())
        return;
    painter.setFont(m_font);
    const double twip = printer->resolution() / 1440.0;
    const int line = lineHeight(*printer);
    const int perPage = rowsPerPage(*printer);
    const int rows = m_model.rowCount();
    const int pages = pageCount(*printer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer->newPage();
        printLine(painter, 0, -1, line, twip);
        painter.setPen(QColor(0, 0, 0));
        painter.drawLine(QPointF(0, line), QPointF(tableTwips() * twip, line));
        const int first = page * perPage;
        for (int row = first; row < rows && row < first + perPage; ++row)
            printLine(painter, (row - first + 1) * line, row, line, twip);
    }
}
