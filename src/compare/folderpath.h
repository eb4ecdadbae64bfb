#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The full path of a row's file: the folder, one '/', then the relative path without its one
// leading '/' (a second one stays). An empty folder gives "/" + the relative path.
QString JoinFolderPath(const QString &folder, const QString &relativePath);
// The same on the exact bytes of both parts, for names that are not valid UTF-8.
QByteArray joinFolderPathBytes(const QByteArray &folder, const QByteArray &relativePath);

// The extension of a path: from its last dot, dot included, when no '/' follows that dot;
// else empty. ':' and '\' are ordinary characters of a name here.
QString extensionOf(QStringView path);
