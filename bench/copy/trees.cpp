#include "trees.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr time_t kBaseTime = 1'700'000'000;

QByteArray markerText(const TreeShape &shape)
{
    return QByteArray::number(shape.files) + ' ' + QByteArray::number(shape.folders) + ' ' +
           QByteArray::number(shape.maxDepth) + ' ' + QByteArray::number(shape.maxSmallSize) + ' ' +
           QByteArray::number(shape.largeFiles) + ' ' + QByteArray::number(shape.largeBytes);
}

bool writeFile(const QByteArray &path, qint64 size, std::mt19937_64 &random, time_t modified)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::vector<quint64> block(1 << 17); // 1 MiB
    qint64 left = size;
    bool ok = true;
    while (left > 0 && ok) {
        const size_t words = size_t(std::min<qint64>(qint64(block.size()), (left + 7) / 8));
        for (size_t i = 0; i < words; ++i)
            block[i] = random();
        const size_t bytes = size_t(std::min<qint64>(left, qint64(words * 8)));
        ok = ::write(fd, block.data(), bytes) == ssize_t(bytes);
        left -= qint64(bytes);
    }
    const struct timespec times[2] = {{modified, 0}, {modified, 0}};
    ok = ok && ::futimens(fd, times) == 0;
    return ::close(fd) == 0 && ok;
}

std::vector<QString> listFiles(const QString &root)
{
    std::vector<QString> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.push_back(it.next().mid(root.size()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::vector<QString> makeTree(const QString &root, const TreeShape &shape)
{
    const QString marker = root + QStringLiteral(".shape"); // beside the tree, not in it
    QFile existing(marker);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == markerText(shape))
        return listFiles(root);
    existing.close();
    QDir(root).removeRecursively();
    QDir().mkpath(root);

    std::mt19937_64 random(42);
    std::vector<QString> folders{QString()};
    std::vector<int> depths{0};
    for (int i = 0; i < shape.folders; ++i) {
        size_t parent;
        do {
            parent = size_t(random() % folders.size());
        } while (depths[parent] >= shape.maxDepth);
        folders.push_back(folders[parent] + QStringLiteral("/d%1").arg(i));
        depths.push_back(depths[parent] + 1);
        QDir().mkpath(root + folders.back());
    }
    const int small = shape.files - shape.largeFiles;
    for (int i = 0; i < shape.files; ++i) {
        const QString folder = folders[size_t(random() % folders.size())];
        const bool large = i >= small;
        const qint64 size = large ? shape.largeBytes / std::max(1, shape.largeFiles)
                                  : qint64(random() % quint64(shape.maxSmallSize + 1));
        const QString path =
            root + folder +
            QStringLiteral("/f%1%2").arg(i).arg(large ? QStringLiteral(".big") : QString());
        if (!writeFile(QFile::encodeName(path), size, random, kBaseTime - i)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return {};
        }
    }
    QFile done(marker);
    if (done.open(QIODevice::WriteOnly))
        done.write(markerText(shape));
    return listFiles(root);
}

std::vector<QString> filesOf(const QString &root)
{
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    std::vector<QString> files;
    while (it.hasNext())
        files.push_back(it.next().mid(root.size()));
    std::sort(files.begin(), files.end());
    return files;
}
