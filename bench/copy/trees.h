#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The trees the copy benchmark copies, made once and kept between runs (a marker file names
// their shape, so that a changed shape makes them anew).
struct TreeShape {
    int files = 0;
    int folders = 0;
    int maxDepth = 6;
    int maxSmallSize = 8 * 1024; // bytes, sizes spread evenly from 0
    int largeFiles = 0;
    qint64 largeBytes = 0; // all large files together
};

// Makes the tree under root unless it is already there with that shape. The relative paths of
// its files ("/a/b/f1", as the listing forms them) in listing order.
std::vector<QString> makeTree(const QString &root, const TreeShape &shape);

// The relative paths of every file under a tree made earlier, sorted.
std::vector<QString> filesOf(const QString &root);
