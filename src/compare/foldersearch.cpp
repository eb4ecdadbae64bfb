#include "compare/foldersearch.h"

#include "compare/filemask.h"
#include "platform/atomicwrite.h"
#include "platform/folderreader.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

using platform::FolderReader;

// The name as text; false when that text does not give back the exact bytes (not valid UTF-8).
bool decodeName(const char *bytes, qsizetype length, QString *name)
{
    const auto *begin = reinterpret_cast<const unsigned char *>(bytes);
    if (std::all_of(begin, begin + length, [](unsigned char c) { return c < 0x80; })) {
        *name = QString::fromLatin1(bytes, length);
        return true;
    }
    *name = QString::fromUtf8(bytes, length);
    return name->toUtf8() == QByteArrayView(bytes, length);
}

bool isTemporaryName(const char *name)
{
    return std::strncmp(name, platform::kTempPrefix, sizeof(platform::kTempPrefix) - 1) == 0;
}

} // namespace

bool FolderSearch::execute()
{
    m_found.clear();
    m_ancestors.clear();
    m_aborted = false;
    m_rootBytes = QFile::encodeName(rootDirectory);
    const bool separator = !rootDirectory.endsWith(u'/');
    const bool completed = scanFolder(separator ? QByteArrayLiteral("/") : QByteArray(),
                                      separator ? QStringLiteral("/") : QString(), false, true);
    sortFound();
    return completed;
}

bool FolderSearch::scanFolder(const QByteArray &rawRelative, const QString &relative, bool keepRaw,
                              bool isRoot)
{
    std::vector<SubFolder> subFolders;
    {
        // The root may be given through a link; below it, links are never followed.
        FolderReader reader(m_rootBytes + rawRelative, isRoot);
        if (reader.openError() != 0)
            return reader.unreachable();
        if (!isRoot &&
            ((excludedFolder && reader.id() == *excludedFolder) ||
             std::find(m_ancestors.begin(), m_ancestors.end(), reader.id()) != m_ancestors.end()))
            return true; // the destination, or a folder mounted inside itself
        m_ancestors.push_back(reader.id());
        if (OnBeginScanDir)
            OnBeginScanDir(rootDirectory + relative);
        if (!readEntries(reader, rawRelative, relative, keepRaw, subFolders))
            return false;
    }
    // The reader is closed before descending, so that deep trees hold one folder open at most.
    for (const SubFolder &sub : subFolders) {
        if (m_aborted)
            break;
        if (!scanFolder(rawRelative + sub.rawName + '/', relative + sub.name + u'/',
                        keepRaw || !sub.lossless, false))
            return false;
    }
    m_ancestors.pop_back();
    return true;
}

bool FolderSearch::readEntries(FolderReader &reader, const QByteArray &rawRelative,
                               const QString &relative, bool keepRaw,
                               std::vector<SubFolder> &subFolders)
{
    FolderReader::Entry entry;
    QString name;
    while (reader.next(entry)) {
        if (m_aborted)
            return true;
        FolderReader::Kind kind = entry.kind;
        platform::FileStat stat;
        bool statRead = false;
        if (kind == FolderReader::Kind::Unknown) {
            if (reader.isLink(entry.name)) {
                kind = FolderReader::Kind::Link;
            } else {
                stat = reader.statEntry(entry.name);
                statRead = true;
                kind = stat.folder    ? FolderReader::Kind::Folder
                       : stat.regular ? FolderReader::Kind::Regular
                                      : FolderReader::Kind::Other;
            }
        }
        bool descend = kind == FolderReader::Kind::Folder;
        if (kind == FolderReader::Kind::Link) {
            stat = reader.statEntry(entry.name);
            statRead = true;
            if (stat.folder)
                kind = FolderReader::Kind::Folder;
            else if (stat.regular)
                kind = FolderReader::Kind::Regular;
            else
                continue; // dangling, a loop, or a link to a special file
        }
        if (kind == FolderReader::Kind::Other)
            continue;

        const qsizetype length = qsizetype(std::strlen(entry.name));
        const bool lossless = decodeName(entry.name, length, &name);
        if (kind == FolderReader::Kind::Folder) {
            if (OnFindDirectory)
                OnFindDirectory(rootDirectory + relative + name);
            if (includeSubDirectories && descend)
                subFolders.push_back({QByteArray(entry.name, length), name, lossless});
            continue;
        }

        if (isTemporaryName(entry.name) || !matchesMask(name))
            continue;
        if (!statRead)
            stat = reader.statEntry(entry.name);
        if (stat.ok() && !stat.regular)
            continue; // replaced by a folder or a special file since the folder was read
        FoundFile found;
        found.relative = relative + name;
        if (keepRaw || !lossless)
            found.raw = rawRelative + QByteArrayView(entry.name, length);
        found.size = stat.ok() ? stat.size : -1;
        found.mtimeMs = stat.mtimeMs;
        m_found.push_back(std::move(found));
        if (OnFindFile)
            OnFindFile(m_found.back());
    }
    return reader.readError() == 0;
}

bool FolderSearch::matchesMask(const QString &name) const
{
    return std::any_of(fileMasks.begin(), fileMasks.end(),
                       [&name](const QString &mask) { return maskMatches(name, mask); });
}

void FolderSearch::sortFound()
{
    // One collation key per path, computed once: comparing keys is a byte comparison, where a
    // collating comparator would redo the locale's work at every one of n log n comparisons.
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(m_found.size());
    for (const FoundFile &found : m_found)
        keys.push_back(collator.sortKey(found.relative));

    std::vector<quint32> order(m_found.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [this, &keys](quint32 a, quint32 b) {
        if (const int byKey = keys[a].compare(keys[b]))
            return byKey < 0;
        // Names that differ only in letter case, or only in bytes that are not valid UTF-8:
        // a fixed order all the same.
        if (const int byText = m_found[a].relative.compare(m_found[b].relative))
            return byText < 0;
        return m_found[a].raw < m_found[b].raw;
    });
    std::vector<FoundFile> sorted;
    sorted.reserve(m_found.size());
    for (quint32 index : order)
        sorted.push_back(std::move(m_found[index]));
    m_found.swap(sorted);
}
