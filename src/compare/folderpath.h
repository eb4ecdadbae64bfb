#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The full path of a row's file: the folder, one '/', then the relative path without its one
// leading '/' (a second one stays). An empty folder gives "/" + the relative path.
QString JoinFolderPath(const QString &folder, const QString &relativePath);
// The same on the exact bytes of both parts, for names that are not valid UTF-8.
QByteArray joinFolderPathBytes(const QByteArray &folder, const QByteArray &relativePath);

// The exact bytes of a row's relative path: its raw bytes when a name in it is not valid UTF-8,
// else the encoding of its text. A path is never rebuilt from a text that lost bytes.
QByteArray relativePathBytes(const QString &files, const QByteArray &rawFiles);

// The full paths of rows' files under one folder, byte-exact, as JoinFolderPath forms them,
// built in one buffer reused from row to row.
class RowPathBuilder {
public:
    explicit RowPathBuilder(const QString &folder);
    // Valid until the next call.
    const QByteArray &path(const QString &files, const QByteArray &rawFiles);

private:
    QByteArray m_path;
    qsizetype m_base;
};

// The extension of a path: from its last dot, dot included, when no '/' follows that dot;
// else empty. ':' and '\' are ordinary characters of a name here.
QString extensionOf(QStringView path);
