#pragma once

#include <QFont>

class QAbstractItemModel;
class QPainter;
class QPrinter;

// Prints every row of the file list as its view shows them: the eight columns at their print
// widths, an 8-point font, the text colours of the rows, the column captions at the top of each
// page. The preview and the printout paginate alike.
class FileListPrinter {
public:
    explicit FileListPrinter(const QAbstractItemModel &model);

    // Gives the printer the list's margins (250 twips on every side); before the print dialog,
    // so that the user may still change them.
    static void setUp(QPrinter &printer);

    int rowsPerPage(QPrinter &printer) const;
    int pageCount(QPrinter &printer) const;
    void print(QPrinter *printer) const;

private:
    int lineHeight(QPrinter &printer) const;
    void printLine(QPainter &painter, int top, int row, int height, double twip) const;

    const QAbstractItemModel &m_model;
    QFont m_font;
};
