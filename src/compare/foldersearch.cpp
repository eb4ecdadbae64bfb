#include "compare/foldersearch.h"

#include "compare/filemask.h"
#include "platform/temporaryfile.h"

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

// A temporary file the program left behind; a user's file may begin with the same prefix.
bool isOwnTemporary(const FolderReader &reader, const char *name)
{
    return std::strncmp(name, platform::kTempPrefix, sizeof(platform::kTempPrefix) - 1) == 0 &&
           platform::isProgramTemporary(reader.fd(), name);
}

} // namespace

bool FolderSearch::execute()
{
    m_found.clear();
    m_levels.clear();
    m_aborted = false;
    m_complete = true;
    m_rootBytes = QFile::encodeName(rootDirectory);
    const bool separator = !rootDirectory.endsWith(u'/');
    m_rawRelative = separator ? QByteArrayLiteral("/") : QByteArray();
    m_relative = separator ? QStringLiteral("/") : QString();
    // The root may be given through a link; below it, links are never followed.
    enterFolder(std::make_unique<FolderReader>(m_rootBytes), false, true);
    // Depth first without recursion: the depth of a tree is no limit of the stack either.
    while (!m_levels.empty() && !m_aborted) {
        Level &level = m_levels.back();
        if (level.next == level.subFolders.size()) {
            m_levels.pop_back();
            continue;
        }
        const SubFolder &sub = level.subFolders[level.next++];
        m_rawRelative.truncate(level.rawLength);
        m_rawRelative += sub.rawName + '/';
        m_relative.truncate(level.length);
        m_relative += sub.name + u'/';
        const bool keepRaw = level.keepRaw || !sub.lossless;
        enterFolder(std::make_unique<FolderReader>(*level.reader, sub.rawName.constData()), keepRaw,
                    false);
    }
    m_levels.clear();
    sortFound();
    return m_complete;
}

void FolderSearch::enterFolder(std::unique_ptr<FolderReader> reader, bool keepRaw, bool isRoot)
{
    if (reader->openError() != 0) {
        if (!reader->vanished())
            addUnreadFolder(reader->openError(), keepRaw);
        return;
    }
    if (!isRoot && skipsFolder(reader->id()))
        return;
    if (OnBeginScanDir)
        OnBeginScanDir(rootDirectory + m_relative);
    Level level;
    level.rawLength = m_rawRelative.size();
    level.length = m_relative.size();
    level.keepRaw = keepRaw;
    readEntries(*reader, keepRaw, level.subFolders);
    // What was read before a read error stays found, its sub-folders too.
    if (reader->readError() != 0)
        addUnreadFolder(reader->readError(), keepRaw);
    reader->finishReading();
    level.reader = std::move(reader);
    m_levels.push_back(std::move(level));
}

// The destination, or a folder mounted inside itself (one of the folders above it).
bool FolderSearch::skipsFolder(const platform::FolderId &id) const
{
    return (excludedFolder && id == *excludedFolder) ||
           std::any_of(m_levels.begin(), m_levels.end(),
                       [&id](const Level &level) { return level.reader->id() == id; });
}

void FolderSearch::readEntries(FolderReader &reader, bool keepRaw,
                               std::vector<SubFolder> &subFolders)
{
    FolderReader::Entry entry;
    QString name;
    while (reader.next(entry)) {
        if (m_aborted)
            return;
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
                OnFindDirectory(rootDirectory + m_relative + name);
            if (includeSubDirectories && descend)
                subFolders.push_back({QByteArray(entry.name, length), name, lossless});
            continue;
        }

        if (!matchesMask(name) || isOwnTemporary(reader, entry.name))
            continue;
        if (!statRead)
            stat = reader.statEntry(entry.name);
        if (stat.ok() && !stat.regular)
            continue; // replaced by a folder or a special file since the folder was read
        FoundFile found;
        found.relative = m_relative + name;
        if (keepRaw || !lossless)
            found.raw = m_rawRelative + QByteArrayView(entry.name, length);
        found.size = stat.ok() ? stat.size : -1;
        found.mtimeMs = stat.mtimeMs;
        m_found.push_back(std::move(found));
        if (OnFindFile)
            OnFindFile(m_found.back());
    }
}

void FolderSearch::addUnreadFolder(int error, bool keepRaw)
{
    m_complete = false;
    FoundFile folder;
    // The root given with its '/' has an empty relative path.
    folder.relative = m_relative.isEmpty() ? QStringLiteral("/") : m_relative;
    if (keepRaw)
        folder.raw = m_rawRelative;
    folder.folderError = error;
    m_found.push_back(std::move(folder));
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
