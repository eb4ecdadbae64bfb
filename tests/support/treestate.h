#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Everything under a folder, to tell afterwards what an operation touched: per path, its kind,
// permission bits, and for a file its bytes and modification time (folders change their own
// times whenever an entry comes or goes, so only their existence and bits count).
class TreeState {
public:
    static TreeState capture(const QString &root);

    // The relative paths added, removed or changed between the two states, sorted.
    static QStringList changes(const TreeState &before, const TreeState &after);
    // The relative paths whose name begins with the program's temporary prefix.
    QStringList temporaryFiles() const;

private:
    struct Entry {
        char kind = 0; // 'f' file, 'd' folder, 'l' link, 'o' other
        unsigned mode = 0;
        qint64 mtimeNs = 0;
        QByteArray bytes;
        friend bool operator==(const Entry &, const Entry &) = default;
    };
    QMap<QString, Entry> m_entries;
};
