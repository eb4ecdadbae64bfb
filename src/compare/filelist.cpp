#include "compare/filelist.h"

#include "compare/statuscode.h"

#include <algorithm>
#include <utility>

void FileList::clear()
{
    beginUpdate();
    // Swapped out, so that the memory of a large list goes back at once.
    std::vector<FileEntry>().swap(m_rows);
    m_details.clear();
    Q_EMIT cleared();
    endUpdate();
}

FileEntry &FileList::append()
{
    const bool bulk = updating();
    if (!bulk)
        beginUpdate();
    m_rows.emplace_back();
    if (!bulk)
        endUpdate();
    return m_rows.back();
}

void FileList::permute(int first, const std::vector<quint32> &order)
{
    std::vector<FileEntry> moved;
    moved.reserve(order.size());
    for (quint32 index : order)
        moved.push_back(std::move(m_rows[std::size_t(first) + index]));
    std::move(moved.begin(), moved.end(), m_rows.begin() + first);
    if (m_details.isEmpty())
        return;
    QHash<int, QString> details;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int from = first + int(order[i]);
        if (const auto it = m_details.constFind(from); it != m_details.cend())
            details.insert(first + int(i), *it);
    }
    for (auto it = m_details.cbegin(); it != m_details.cend(); ++it) {
        if (it.key() < first)
            details.insert(it.key(), it.value());
    }
    m_details.swap(details);
}

void FileList::setStatus(int index, std::int32_t code, const QString &text)
{
    FileEntry &entry = row(index);
    entry.statusCode = code;
    entry.statusText = text;
    if (!m_details.isEmpty())
        m_details.remove(index);
    notifyRowChanged(index);
}

void FileList::setError(int index, const QString &text, const QString &detail)
{
    FileEntry &entry = row(index);
    entry.statusCode = StatusError;
    entry.statusText = text;
    setStatusDetail(index, detail);
    notifyRowChanged(index);
}

void FileList::setStatusText(int index, const QString &text)
{
    row(index).statusText = text;
    notifyRowChanged(index);
}

void FileList::setStatusDetail(int index, const QString &detail)
{
    if (detail.isEmpty())
        m_details.remove(index);
    else
        m_details.insert(index, detail);
}

void FileList::beginUpdate()
{
    if (m_updateDepth++ == 0)
        Q_EMIT aboutToReset();
}

void FileList::endUpdate()
{
    if (m_updateDepth > 0 && --m_updateDepth == 0)
        Q_EMIT reset();
}

void FileList::notifyRowChanged(int index)
{
    if (updating())
        return;
    if (m_holdDepth == 0) {
        Q_EMIT rowChanged(index);
        return;
    }
    m_heldFirst = m_heldFirst < 0 ? index : std::min(m_heldFirst, index);
    m_heldLast = std::max(m_heldLast, index);
}

void FileList::holdRowChanges()
{
    ++m_holdDepth;
}

void FileList::releaseRowChanges()
{
    if (m_holdDepth == 0 || --m_holdDepth > 0)
        return;
    const int first = std::exchange(m_heldFirst, -1);
    const int last = std::exchange(m_heldLast, -1);
    if (first >= 0 && !updating())
        Q_EMIT rowsChanged(first, last);
}
