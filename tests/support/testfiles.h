#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/stat.h>

// Bytes that differ at every position from one seed to another, so that a copy that drops,
// repeats or mixes blocks is seen.
inline QByteArray patternBytes(qsizetype size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 2463534242u + quint32(seed) * 7919u;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

inline QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

struct FileFacts {
    bool exists = false;
    unsigned mode = 0;
    qint64 mtimeNs = 0;
};

inline FileFacts factsOf(const QString &path)
{
    struct stat st {};
    if (::lstat(nativePath(path).constData(), &st) != 0)
        return {};
    return {true, unsigned(st.st_mode & 07777),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}
