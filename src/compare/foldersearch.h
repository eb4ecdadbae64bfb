#pragma once

#include "platform/filestat.h"
#include "platform/folderreader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A file the search accepted, or a folder it could not read.
struct FoundFile {
    // The full path minus the root folder's text, so that the root text followed by this is
    // the full path. A name that is not valid UTF-8 shows its bad bytes as U+FFFD here.
    // A folder ends with '/'; the root folder itself is "/".
    QString relative;
    // The exact bytes of relative when a name in it is not valid UTF-8; empty otherwise.
    QByteArray raw;
    // The size and last write (UTC milliseconds since 1970) when the search met the file;
    // size -1 when it vanished meanwhile.
    qint64 size = -1;
    qint64 mtimeMs = 0;
    // Not 0 for a folder that could not be opened or read to its end: the errno. What was
    // read of it before a read error is still listed.
    int folderError = 0;
};

// Walks a folder tree and collects the files whose names match a mask. Each folder is read
// whole, its files and sub-folders reported in the order the file system gives them; then
// every sub-folder found is scanned completely, in that order, before the next (depth first).
//
// A file is a regular file or a link to one; a folder entry or a link to a folder is reported
// as a folder, but links are never followed into. FIFOs, sockets, devices and dangling links
// are neither, and are never opened. The temporary files the program left behind are left out.
//
// Each folder is opened relative to its parent's open descriptor, so that neither depth nor
// path length limits the walk; one folder per level stays open on the way down. A folder that
// cannot be opened or read (denied, a read error, no descriptor left) is collected among the
// found files with its errno, and the search goes on; one that vanished meanwhile is skipped.
class FolderSearch {
public:
    QString rootDirectory;
    QStringList fileMasks{QStringLiteral("*")};
    bool includeSubDirectories = false;
    // A folder never scanned, known by identity whatever text reaches it.
    std::optional<platform::FolderId> excludedFolder;

    // Each with a full path: the root text, '/' when it does not end with one, the sub-folders
    // each followed by '/', and the name.
    std::function<void(const QString &folder)> OnBeginScanDir;
    std::function<void(const QString &folder)> OnFindDirectory;
    // With the file just appended to foundFiles().
    std::function<void(const FoundFile &file)> OnFindFile;

    // Runs the search, then sorts the files found by relative path, letter case ignored, with
    // the collation of the default locale. False when an error ended the search early; what
    // was found until then is kept.
    bool execute();
    // Stops the search at the next entry; callable from the events.
    void abort() { m_aborted = true; }
    bool aborted() const { return m_aborted; }

    std::vector<FoundFile> &foundFiles() { return m_found; }

private:
    struct SubFolder {
        QByteArray rawName;
        QString name;
        bool lossless;
    };
    // An open folder on the way down from the root, read whole, and the sub-folders of it
    // that are still to scan.
    struct Level {
        std::unique_ptr<platform::FolderReader> reader;
        std::vector<SubFolder> subFolders;
        std::size_t next = 0;
        qsizetype rawLength = 0; // of m_rawRelative and m_relative at this folder
        qsizetype length = 0;
        bool keepRaw = false;
    };

    void enterFolder(std::unique_ptr<platform::FolderReader> reader, bool keepRaw, bool isRoot);
    bool skipsFolder(const platform::FolderId &id) const;
    void readEntries(platform::FolderReader &reader, bool keepRaw,
                     std::vector<SubFolder> &subFolders);
    void addUnreadFolder(int error, bool keepRaw);
    bool matchesMask(const QString &name) const;
    void sortFound();

    // The relative path of the folder being read, ending with '/' (empty for a root given
    // with its '/'), as bytes and as text.
    QByteArray m_rawRelative;
    QString m_relative;
    QByteArray m_rootBytes;
    std::vector<Level> m_levels;
    std::vector<FoundFile> m_found;
    bool m_aborted = false;
    bool m_complete = true;
};
