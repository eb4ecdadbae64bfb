#pragma once

#include "platform/filestat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace platform {
class FolderReader;
}

// A file the search accepted.
struct FoundFile {
    // The full path minus the root folder's text, so that the root text followed by this is
    // the full path. A name that is not valid UTF-8 shows its bad bytes as U+FFFD here.
    QString relative;
    // The exact bytes of relative when a name in it is not valid UTF-8; empty otherwise.
    QByteArray raw;
    // The size and last write (UTC milliseconds since 1970) when the search met the file;
    // size -1 when it vanished meanwhile.
    qint64 size = -1;
    qint64 mtimeMs = 0;
};

// Walks a folder tree and collects the files whose names match a mask. Each folder is read
// whole, its files and sub-folders reported in the order the file system gives them; then
// every sub-folder found is scanned completely, in that order, before the next (depth first).
//
// A file is a regular file or a link to one; a folder entry or a link to a folder is reported
// as a folder, but links are never followed into. FIFOs, sockets, devices and dangling links
// are neither, and are never opened. Files whose name starts with the program's temporary
// prefix are left out. A folder that cannot be reached (missing, denied) counts as empty; any
// other failure to open or read a folder ends the search.
class FolderSearch {
public:
    QString rootDirectory;
    QStringList fileMasks{QStringLiteral("*.*")};
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

    bool scanFolder(const QByteArray &rawRelative, const QString &relative, bool keepRaw,
                    bool isRoot);
    bool readEntries(platform::FolderReader &reader, const QByteArray &rawRelative,
                     const QString &relative, bool keepRaw, std::vector<SubFolder> &subFolders);
    bool matchesMask(const QString &name) const;
    void sortFound();

    QByteArray m_rootBytes;
    std::vector<platform::FolderId> m_ancestors;
    std::vector<FoundFile> m_found;
    bool m_aborted = false;
};
