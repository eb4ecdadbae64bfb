#include "compare/foldersearch.h"

#include "compare/filemask.h"
#include "platform/temporaryfile.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

namespace {

using platform::FolderReader;

bool isAscii(const char *bytes, qsizetype length)
{
    const auto *begin = reinterpret_cast<const unsigned char *>(bytes);
    return std::all_of(begin, begin + length, [](unsigned char c) { return c < 0x80; });
}

// Whether the text of the name gives back its exact bytes: valid UTF-8 that does not begin
// with a byte-order mark, which QString::fromUtf8() drops.
bool isLossless(QByteArrayView bytes)
{
    return bytes.isValidUtf8() && !bytes.startsWith("\xEF\xBB\xBF");
}

// The text of a name: its bad bytes, if any, show as U+FFFD.
QString decodeName(QByteArrayView name)
{
    if (isAscii(name.data(), name.size()))
        return QString::fromLatin1(name.data(), name.size());
    return QString::fromUtf8(name);
}

// A temporary file the program left behind; a user's file may begin with the same prefix.
bool isOwnTemporary(const FolderReader &reader, const char *name)
{
    return std::strncmp(name, platform::kTempPrefix, sizeof(platform::kTempPrefix) - 1) == 0 &&
           platform::isProgramTemporary(reader.fd(), name);
}

} // namespace

QString ListedFolder::text(const ListedName &name) const
{
    return decodeName(bytes(name));
}

void ListedFolders::publish(ListedFolder &&folder)
{
    const ListedFolder *published = nullptr;
    std::size_t index = 0;
    {
        const std::lock_guard lock(m_mutex);
        m_folders.push_back(std::move(folder));
        published = &m_folders.back();
        index = m_folders.size() - 1;
    }
    m_published.notify_all();
    if (onPublished)
        onPublished(*published, index);
}

void ListedFolders::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_published.notify_all();
}

const ListedFolder *ListedFolders::wait(std::size_t index, int timeoutMs, bool *timedOut)
{
    std::unique_lock lock(m_mutex);
    const bool ready = m_published.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                            [&] { return index < m_folders.size() || m_finished; });
    *timedOut = !ready;
    // References to the elements of a deque stay valid while others are appended.
    return index < m_folders.size() ? &m_folders[index] : nullptr;
}

void FolderSearch::execute(ListedFolders &folders)
{
    m_out = &folders;
    m_visits = 0;
    m_levels.clear();
    m_everyName = fileMasks.contains(QStringLiteral("*"));
    const QByteArray rootBytes = QFile::encodeName(rootDirectory);
    // Every relative path begins with one '/', however the root is written ("/", "/data/src/",
    // "/data//src/./"): the rows, their exclusion entries and their joins do not depend on it.
    m_rawRelative = QByteArrayLiteral("/");
    m_relative = QStringLiteral("/");
    // The root may be given through a link; below it, links are never followed.
    enterFolder(std::make_unique<FolderReader>(rootBytes), newVisit(-1, 0, false), true);
    // Depth first without recursion: the depth of a tree is no limit of the stack either.
    while (!m_levels.empty() && !m_aborted) {
        Level &level = m_levels.back();
        if (level.next == level.subFolders.size()) {
            m_levels.pop_back();
            continue;
        }
        const std::size_t next = level.next++;
        const SubFolder &sub = level.subFolders[next];
        const QByteArray &rawName = level.subNames[next];
        m_rawRelative.truncate(level.rawLength);
        m_rawRelative += rawName + '/';
        m_relative.truncate(level.length);
        m_relative += decodeName(rawName) + u'/';
        const bool keepRaw = level.keepRaw || !sub.lossless;
        auto reader = std::make_unique<FolderReader>(*level.reader, rawName.constData());
        enterFolder(std::move(reader), newVisit(level.visit, sub.dirIndex, keepRaw), false);
    }
    m_levels.clear();
    folders.finish();
}

ListedFolder FolderSearch::newVisit(int parent, quint32 dirIndex, bool keepRaw) const
{
    ListedFolder visit;
    visit.relative = m_relative;
    visit.rawRelative = m_rawRelative;
    visit.keepRaw = keepRaw;
    visit.parent = parent;
    visit.dirIndex = dirIndex;
    return visit;
}

void FolderSearch::enterFolder(std::unique_ptr<FolderReader> reader, ListedFolder &&visit,
                               bool isRoot)
{
    if (reader->openError() != 0) {
        if (!reader->vanished()) {
            visit.openError = reader->openError();
            m_out->publish(std::move(visit));
            ++m_visits;
        }
        return;
    }
    if (!isRoot && skipsFolder(reader->id()))
        return;
    Level level;
    level.rawLength = m_rawRelative.size();
    level.length = m_relative.size();
    level.keepRaw = visit.keepRaw;
    level.visit = m_visits;
    readEntries(*reader, visit, level);
    // What was read before a read error stays found, its sub-folders too.
    visit.readError = reader->readError();
    reader->finishReading();
    level.reader = std::move(reader);
    // Kept until the rows are made: no spare capacity.
    visit.names.squeeze();
    visit.files.shrink_to_fit();
    visit.dirs.shrink_to_fit();
    m_out->publish(std::move(visit));
    ++m_visits;
    m_levels.push_back(std::move(level));
}

// The destination, or a folder mounted inside itself (one of the folders above it).
bool FolderSearch::skipsFolder(const platform::FolderId &id) const
{
    return (excludedFolder && id == *excludedFolder) ||
           std::any_of(m_levels.begin(), m_levels.end(),
                       [&id](const Level &level) { return level.reader->id() == id; });
}

bool FolderSearch::matchesMask(QByteArrayView name) const
{
    if (m_everyName)
        return true;
    const QString text = decodeName(name);
    return std::any_of(fileMasks.begin(), fileMasks.end(),
                       [&text](const QString &mask) { return maskMatches(text, mask); });
}

void FolderSearch::readEntries(FolderReader &reader, ListedFolder &visit, Level &level)
{
    FolderReader::Entry entry;
    while (reader.next(entry)) {
        visit.endedAfterLastReport = false;
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
        const bool lossless = isLossless(QByteArrayView(entry.name, length));
        ListedName name;
        name.offset = quint32(visit.names.size());
        name.length = quint16(length);
        name.lossless = lossless;
        if (kind == FolderReader::Kind::Folder) {
            descend = descend && includeSubDirectories;
            visit.names.append(entry.name, length);
            visit.dirs.push_back({name, quint32(visit.files.size()), descend});
            if (descend) {
                level.subFolders.push_back({quint32(visit.dirs.size() - 1), lossless});
                level.subNames.emplace_back(entry.name, length);
            }
            visit.endedAfterLastReport = true;
            continue;
        }

        if (!matchesMask(QByteArrayView(entry.name, length)) || isOwnTemporary(reader, entry.name))
            continue;
        if (!statRead)
            stat = reader.statEntry(entry.name);
        if (stat.ok() && !stat.regular)
            continue; // replaced by a folder or a special file since the folder was read
        visit.names.append(entry.name, length);
        ListedFile file;
        static_cast<ListedName &>(file) = name;
        file.size = stat.ok() ? stat.size : -1;
        file.mtimeMs = stat.mtimeMs;
        visit.files.push_back(file);
        visit.endedAfterLastReport = true;
    }
}
