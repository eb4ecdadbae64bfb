#include "support/treestate.h"

#include "platform/atomicwrite.h"

#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>

TreeState TreeState::capture(const QString &root)
{
    TreeState state;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        Entry entry;
        entry.mode = st.st_mode & 07777;
        if (S_ISREG(st.st_mode)) {
            entry.kind = 'f';
            entry.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                entry.bytes = file.readAll();
        } else if (S_ISDIR(st.st_mode)) {
            entry.kind = 'd';
        } else if (S_ISLNK(st.st_mode)) {
            entry.kind = 'l';
        } else {
            entry.kind = 'o';
        }
        state.m_entries.insert(path.mid(root.size() + 1), entry);
    }
    return state;
}

QStringList TreeState::changes(const TreeState &before, const TreeState &after)
{
    QStringList changed;
    for (auto it = before.m_entries.cbegin(); it != before.m_entries.cend(); ++it) {
        const auto other = after.m_entries.constFind(it.key());
        if (other == after.m_entries.cend() || !(*other == *it))
            changed.append(it.key());
    }
    for (auto it = after.m_entries.cbegin(); it != after.m_entries.cend(); ++it) {
        if (!before.m_entries.contains(it.key()))
            changed.append(it.key());
    }
    changed.sort();
    return changed;
}

QStringList TreeState::temporaryFiles() const
{
    QStringList found;
    const QString prefix = QString::fromLatin1(platform::kTempPrefix);
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it.key().section(u'/', -1).startsWith(prefix))
            found.append(it.key());
    }
    return found;
}
