#pragma once

#include "compare/fileentry.h"

#include <QHash>
#include <QObject>

#include <vector>

// The rows of the comparison, in the order the listing appended them. Rows are addressed by
// index; the program never inserts, removes or reorders single rows, it clears the whole list.
// Bulk changes are bracketed by beginUpdate()/endUpdate(): the view resets once at the end.
// A change of one row outside a bulk update is announced by rowChanged().
class FileList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    int count() const { return int(m_rows.size()); }
    const FileEntry &row(int index) const { return m_rows[std::size_t(index)]; }
    FileEntry &row(int index) { return m_rows[std::size_t(index)]; }

    void clear();
    FileEntry &append();
    void reserve(int rows) { m_rows.reserve(std::size_t(rows)); }
    // Puts the rows from first on in the given order: the row at first + i becomes the one that
    // was at first + order[i]. Their details follow them.
    void permute(int first, const std::vector<quint32> &order);

    // Writes the code and the text of a row together, drops any error detail, and tells the
    // view.
    void setStatus(int index, std::int32_t code, const QString &text);
    // Marks the row as failed (StatusError) with the text the user reads and the system's detail.
    void setError(int index, const QString &text, const QString &detail);
    void setStatusText(int index, const QString &text);
    // The system's full message behind a row's error, shown as its tooltip; empty otherwise.
    QString statusDetail(int index) const { return m_details.value(index); }
    void setStatusDetail(int index, const QString &detail);

    void beginUpdate();
    void endUpdate();
    bool updating() const { return m_updateDepth > 0; }
    // Tells the view that one row changed (nothing while a bulk update runs).
    void notifyRowChanged(int index);
    // The row changes made until releaseRowChanges() are told once, as the range of rows that
    // holds them all (rowsChanged): a copy run's window changes hundreds of rows at a time.
    void holdRowChanges();
    void releaseRowChanges();

Q_SIGNALS:
    // The list was emptied (every refresh, a new project).
    void cleared();
    void aboutToReset();
    void reset();
    void rowChanged(int index);
    void rowsChanged(int first, int last);

private:
    std::vector<FileEntry> m_rows;
    QHash<int, QString> m_details; // by row, for the few rows that have one
    int m_updateDepth = 0;
    int m_holdDepth = 0;
    int m_heldFirst = -1; // the rows changed while held, -1 for none
    int m_heldLast = -1;
};

// Brackets a bulk update, so that every exit path ends it.
class FileListUpdate {
public:
    explicit FileListUpdate(FileList &list) : m_list(&list) { list.beginUpdate(); }
    ~FileListUpdate() { end(); }
    FileListUpdate(const FileListUpdate &) = delete;
    FileListUpdate &operator=(const FileListUpdate &) = delete;
    void end()
    {
        if (m_list != nullptr)
            m_list->endUpdate();
        m_list = nullptr;
    }

private:
    FileList *m_list;
};
