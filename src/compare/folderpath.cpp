#include "compare/folderpath.h"

#include <QFile>

namespace {

template <typename Text, typename Char>
Text joinPath(const Text &folder, const Text &relative, Char separator)
{
    Text result;
    result.reserve(folder.size() + relative.size() + 1);
    result += folder;
    if (!folder.endsWith(separator))
        result += separator;
    if (relative.startsWith(separator))
        result += relative.mid(1);
    else
        result += relative;
    return result;
}

} // namespace

QString JoinFolderPath(const QString &folder, const QString &relativePath)
{
    return joinPath(folder, relativePath, QChar(u'/'));
}

QByteArray joinFolderPathBytes(const QByteArray &folder, const QByteArray &relativePath)
{
    return joinPath(folder, relativePath, '/');
}

QByteArray relativePathBytes(const QString &files, const QByteArray &rawFiles)
{
    return rawFiles.isEmpty() ? QFile::encodeName(files) : rawFiles;
}

RowPathBuilder::RowPathBuilder(const QString &folder) : m_path(QFile::encodeName(folder))
{
    if (!m_path.endsWith('/'))
        m_path += '/';
    m_base = m_path.size();
}

const QByteArray &RowPathBuilder::path(const QString &files, const QByteArray &rawFiles)
{
    m_path.truncate(m_base);
    const QByteArray relative = relativePathBytes(files, rawFiles);
    const qsizetype skip = relative.startsWith('/') ? 1 : 0;
    m_path.append(relative.constData() + skip, relative.size() - skip);
    return m_path;
}

QString extensionOf(QStringView path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || path.indexOf(u'/', dot) >= 0)
        return QString();
    return path.mid(dot).toString();
}
