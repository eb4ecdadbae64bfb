#include "compare/filelist.h"

#include "compare/statuscode.h"

void FileList::clear()
{
    beginUpdate();
    m_rows.clear();
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

void FileList::setStatus(int index, std::int32_t code, const QString &text)
{
    FileEntry &entry = row(index);
    entry.statusCode = code;
    entry.statusText = text;
    entry.statusDetail.clear();
    notifyRowChanged(index);
}

void FileList::setError(int index, const QString &text, const QString &detail)
{
    FileEntry &entry = row(index);
    entry.statusCode = StatusError;
    entry.statusText = text;
    entry.statusDetail = detail;
    notifyRowChanged(index);
}

void FileList::setStatusText(int index, const QString &text)
{
    row(index).statusText = text;
    notifyRowChanged(index);
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
    if (!updating())
        Q_EMIT rowChanged(index);
}
