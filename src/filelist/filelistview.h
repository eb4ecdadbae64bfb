#pragma once

#include <QTableView>

#include <utility>
#include <vector>

class FileList;
class FileListModel;
class FileListSortModel;

// The list view of the file list: eight columns, several rows selectable, a current row, and
// header clicks that sort the display (ascending, then descending on a second click) while
// every command keeps addressing rows by their FileList index.
class FileListView : public QTableView {
    Q_OBJECT
public:
    explicit FileListView(FileList &list, QWidget *parent = nullptr);

    FileListModel *fileModel() const { return m_model; }

    // FileList indices of the selected rows, in list order.
    QList<int> selectedRows() const;
    int selectedCount() const;
    void selectAllRows();
    void clearRowSelection();

    void setCurrentRow(int row);
    void clearCurrentRow();
    // The FileList index of the current row, or -1.
    int currentFileRow() const;
    int fileRowAt(int displayRow) const;

    void sortByColumn(int column);

    // Wide enough for every column at its present width, and a vertical scroll bar.
    QSize sizeHint() const override;
    // How much larger the font is than the one the design sizes were made for.
    double fontScale() const;

Q_SIGNALS:
    // A press or a release of any mouse button in the list, once the view has changed the
    // selection for it, or a change of its current row.
    void rowsClicked();
    // A double click on a row.
    void rowDoubleClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Each column holds its usual content without "...", at the view's font.
    void fitColumnsToFont();
    int cellWidth(const QString &text) const;
    int headerWidth(int column) const;
    QModelIndex viewIndex(int row, int column = 0) const;
    std::vector<std::pair<int, int>> selectedDisplayRanges() const;

    FileListModel *m_model;
    FileListSortModel *m_sort;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
