#pragma once

#include "platform/filestat.h"
#include "platform/folderreader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// A name met in a folder: where its bytes lie in the folder's names, and whether its text gives
// those bytes back (valid UTF-8).
struct ListedName {
    quint32 offset = 0;
    quint16 length = 0; // a name holds at most NAME_MAX (255) bytes
    bool lossless = true;
};

// A file the search accepted: its size and last write (UTC milliseconds since 1970) when the
// search met it; size -1 when it vanished meanwhile.
struct ListedFile : ListedName {
    qint64 size = -1;
    qint64 mtimeMs = 0;
};

// A folder entry, or a link to a folder, in the order the folder gave it.
struct ListedDir : ListedName {
    quint32 filesBefore = 0; // files of the same folder reported before it
    bool descend = false;    // scanned later (a real folder, and sub-folders are included)
};

// One visit of the search: a folder read, or one that could not be opened.
struct ListedFolder {
    // The path below the root folder, beginning and ending with '/' ("/" for the root itself),
    // as text and as its exact bytes.
    QString relative;
    QByteArray rawRelative;
    // A name on the way down is not valid UTF-8: every path below keeps its bytes.
    bool keepRaw = false;
    int parent = -1;      // the visit of the folder above; -1 for the root
    quint32 dirIndex = 0; // this folder's entry among the parent's dirs
    int openError = 0;    // not 0: the folder could not be opened, and nothing else is set
    int readError = 0;    // not 0: its entries ended early with this errno
    // No entry at all followed the last file or folder reported (the read error then follows
    // that report directly).
    bool endedAfterLastReport = true;
    QByteArray names; // the names of files and dirs, back to back
    std::vector<ListedFile> files;
    std::vector<ListedDir> dirs;

    QByteArrayView bytes(const ListedName &name) const
    {
        return QByteArrayView(names.constData() + name.offset, qsizetype(name.length));
    }
    QString text(const ListedName &name) const;
    // The relative path of the folder as a found entry reports it ("/" for the root itself).
    const QString &entryText() const { return relative; }
};

// The visits of a search, published one by one by the walking thread and read by others as
// soon as each is complete. A published visit never changes again.
class ListedFolders {
public:
    // Called on the walking thread with each visit just published and its index, outside the
    // lock (for a walk on the thread that reads the visits).
    std::function<void(const ListedFolder &visit, std::size_t index)> onPublished;

    void publish(ListedFolder &&folder);
    void finish();
    // The visit at index once it is published; nullptr when the search ended without it, or
    // when the wait timed out (timedOut set).
    const ListedFolder *wait(std::size_t index, int timeoutMs, bool *timedOut);
    // Once the search has ended: every visit.
    std::deque<ListedFolder> &all() { return m_folders; }

private:
    std::mutex m_mutex;
    std::condition_variable m_published;
    std::deque<ListedFolder> m_folders;
    bool m_finished = false;
};

// Walks a folder tree and collects the files whose names match a mask. Each folder is read
// whole, its files and sub-folders reported in the order the file system gives them; then
// every sub-folder found is scanned completely, in that order, before the next (depth first).
// Each folder read, or that could not be opened, is one published visit.
//
// A file is a regular file or a link to one; a folder entry or a link to a folder is reported
// as a folder, but links are never followed into. FIFOs, sockets, devices and dangling links
// are neither, and are never opened. The temporary files the program left behind are left out.
//
// Each folder is opened relative to its parent's open descriptor, so that neither depth nor
// path length limits the walk; one folder per level stays open on the way down. A folder that
// cannot be opened or read (denied, a read error, no descriptor left) is a visit with its
// errno, and the search goes on; one that vanished meanwhile is skipped.
class FolderSearch {
public:
    QString rootDirectory;
    QStringList fileMasks{QStringLiteral("*")};
    bool includeSubDirectories = false;
    // A folder never scanned, known by identity whatever text reaches it.
    std::optional<platform::FolderId> excludedFolder;

    // Runs the search, publishing every visit into folders, then finishes them. Callable on
    // any thread; abort() from any other ends it at the next entry.
    void execute(ListedFolders &folders);
    void abort() { m_aborted = true; }

private:
    struct SubFolder {
        quint32 dirIndex;
        bool lossless;
    };
    // An open folder on the way down from the root, read whole, and the sub-folders of it
    // that are still to scan.
    struct Level {
        std::unique_ptr<platform::FolderReader> reader;
        std::vector<SubFolder> subFolders;
        std::vector<QByteArray> subNames;
        std::size_t next = 0;
        int visit = -1;
        qsizetype rawLength = 0; // of m_rawRelative and m_relative at this folder
        qsizetype length = 0;
        bool keepRaw = false;
    };

    void enterFolder(std::unique_ptr<platform::FolderReader> reader, ListedFolder &&visit,
                     bool isRoot);
    bool skipsFolder(const platform::FolderId &id) const;
    void readEntries(platform::FolderReader &reader, ListedFolder &visit, Level &level);
    bool matchesMask(QByteArrayView name) const;
    ListedFolder newVisit(int parent, quint32 dirIndex, bool keepRaw) const;

    ListedFolders *m_out = nullptr;
    int m_visits = 0;
    QByteArray m_rawRelative;
    QString m_relative;
    std::vector<Level> m_levels;
    bool m_everyName = true; // the masks match every name
    std::atomic<bool> m_aborted{false};
};
