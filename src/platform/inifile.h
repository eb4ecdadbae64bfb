#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// What IniFile::load() accepts: files up to maxFileSize bytes, lines up to maxLineLength bytes
// (its end of line not counted; 0 for any length).
struct IniLimits {
    qint64 maxFileSize = 0;
    qsizetype maxLineLength = 0;
};

// An INI file read and written by the rules of Windows profile files: a bracketed line opens a
// section, "key=value" lines follow, names match without letter case and the first match wins,
// spaces around names and values are trimmed, ';' lines are comments. Text is UTF-8. A value
// that those rules would change (a line break, spaces at either end, a leading '%', bytes that
// are not UTF-8) is written escaped and reads back as the same text (see iniescape.h).
//
// Lines the program does not write keep their exact bytes, so foreign sections, keys, comments
// and their order survive a rewrite. save() replaces the whole file at once through a temporary
// file and a rename: a crash or a full disk never leaves a cut file.
class IniFile {
public:
    // Files larger than this are not parsed: they read as empty and cannot be written.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    // How load() went: read, missing, or refused for the reason named.
    enum class LoadOutcome {
        Read,
        Missing,
        Folder,
        NotRegularFile,
        TooLarge,
        LineTooLong,
        Unreadable
    };

    IniFile() = default;
    explicit IniFile(const QString &path);

    // Reads the file; a missing file reads as empty. Only a regular file, or a link to one, is
    // read: a FIFO or a device is refused without being waited for. A file that exists but cannot
    // be read, or exceeds the limits, reads as empty and refuses to be saved, so that it is never
    // replaced by less than it held.
    static IniFile load(const QString &path);
    static IniFile load(const QString &path, const IniLimits &limits);
    const QString &path() const { return m_path; }
    LoadOutcome loadOutcome() const { return m_loadOutcome; }
    // Why the file could not be read, or success (also for a missing file).
    IoStatus loadStatus() const;

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // A decimal integer, or hexadecimal after "0x"; a missing key or a value that does not start
    // with a number gives defaultValue.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool hasKey(const QString &section, const QString &key) const;
    // The key names of the first section of that name, in file order.
    QStringList keyNames(const QString &section) const;
    QStringList sectionNames() const;

    // Replaces the value of the key in place, or adds the key at the end of its section, or adds
    // the section at the end of the file.
    void writeString(const QString &section, const QString &key, const QString &value);
    // Removes every section of that name with all its lines.
    void eraseSection(const QString &section);
    // Removes every section of that name, then writes the keys with that value as writeString()
    // would one after the other, in one pass: a new section at the end of the file, a repeated
    // key in its first place with its last spelling; no keys leave no section.
    void replaceSection(const QString &section, const QStringList &keys, const QString &value);

    IoStatus save() const;
    QByteArray toBytes() const;

private:
    enum class LineKind { Blank, Comment, Section, Entry };
    struct Line {
        QByteArray raw;
        LineKind kind = LineKind::Blank;
        QString name; // section name or key name
        QString value;
    };

    static Line parseLine(const QByteArray &raw);
    static Line makeEntry(const QString &key, const QString &value);
    static Line makeSection(const QString &section);
    void parse(const QByteArray &bytes);
    void setLoadOutcome(LoadOutcome outcome, int error);
    qsizetype findSection(const QString &section, qsizetype from = 0) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findEntry(qsizetype header, const QString &key) const;

    QString m_path;
    QList<Line> m_lines;
    LoadOutcome m_loadOutcome = LoadOutcome::Missing;
    int m_loadError = 0;
};

// Writes one key straight to the file, as the profile API does: read, change, rewrite.
IoStatus writeProfileString(const QString &path, const QString &section, const QString &key,
                            const QString &value);

} // namespace platform
