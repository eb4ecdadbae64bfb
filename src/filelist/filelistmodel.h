#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QLocale>

#include <array>

class FileList;

// The file list as a table of eight columns, one per row field. The model owns nothing: it
// reads the rows of the FileList and follows its notifications. A bulk update that keeps the
// number of rows (a classification) becomes one dataChanged for the whole table, so that the
// selection survives; one that changes it becomes a reset.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(FileList &list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const FileList &fileList() const { return m_list; }

private:
    void listReset();
    void rowChanged(int row);
    void rowsChanged(int first, int last);
    QVariant display(int row, int column) const;
    QIcon directionIcon(std::int32_t code) const;

    FileList &m_list;
    int m_rowCount = 0;
    QLocale m_locale;
    mutable std::array<QIcon, 3> m_icons;
};
