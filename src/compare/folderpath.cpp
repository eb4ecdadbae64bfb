#include "compare/folderpath.h"

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

QString extensionOf(QStringView path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || path.indexOf(u'/', dot) >= 0)
        return QString();
    return path.mid(dot).toString();
}
