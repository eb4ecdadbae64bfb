#include "project/recentlist.h"

#include "platform/inifile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kKeptSection = QStringLiteral("fmMain.OvcMenuMRU1.Items");
const QString kShownSection = QStringLiteral("MainForm.OvcMenuMRU1.Items");
const QString kCount = QStringLiteral("Count");
const QString kItemPrefix = QStringLiteral("Item");

QStringList readEntries(const platform::IniFile &ini, const QString &section, int count,
                        const QString &prefix)
{
    QStringList items;
    const int wanted = std::min<int>(count, int(RecentList::kMaxItems));
    for (int i = 0; i < wanted; ++i)
        items.append(ini.readString(section, prefix + QString::number(i), QString()));
    return items;
}

void writeEntries(platform::IniFile &ini, const QString &section, const QStringList &items,
                  const QString &prefix)
{
    for (qsizetype i = 0; i < items.size(); ++i)
        ini.writeString(section, prefix + QString::number(i), items[i]);
}

} // namespace

void RecentList::setItems(QStringList items)
{
    if (items.size() > kMaxItems)
        items.resize(kMaxItems);
    m_items = std::move(items);
}

QString RecentList::normalisedPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void RecentList::addItem(const QString &path)
{
    const QString added = normalisedPath(path);
    const auto same = [&added](const QString &entry) { return normalisedPath(entry) == added; };
    if (!m_items.isEmpty() && same(m_items.front()))
        return;
    const auto last = std::find_if(m_items.rbegin(), m_items.rend(), same);
    if (last != m_items.rend())
        m_items.erase(std::next(last).base());
    m_items.prepend(added);
    if (m_items.size() > kMaxItems)
        m_items.removeLast();
}

int storedCount(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    int value = 0;
    if (trimmed.startsWith(u"0x", Qt::CaseInsensitive))
        value = trimmed.sliced(2).toInt(&ok, 16);
    else
        value = trimmed.toInt(&ok, 10);
    return ok ? value : 0;
}

QStringList readKeptRecentList(const platform::IniFile &ini)
{
    const int count = storedCount(ini.readString(kKeptSection, kCount, QString()));
    return readEntries(ini, kKeptSection, count, QString());
}

void writeKeptRecentList(platform::IniFile &ini, const QStringList &items)
{
    ini.eraseSection(kKeptSection);
    ini.writeString(kKeptSection, kCount, QString::number(items.size()));
    writeEntries(ini, kKeptSection, items.first(std::min(items.size(), RecentList::kMaxItems)),
                 QString());
}

std::optional<QStringList> readShownRecentList(const platform::IniFile &ini)
{
    const int count = storedCount(ini.readString(kShownSection, kCount, QString()));
    if (count <= 0)
        return std::nullopt;
    return readEntries(ini, kShownSection, count, kItemPrefix);
}

void writeShownRecentList(platform::IniFile &ini, const QStringList &items)
{
    ini.eraseSection(kShownSection);
    if (items.isEmpty())
        return;
    ini.writeString(kShownSection, kCount, QString::number(items.size()));
    writeEntries(ini, kShownSection, items, kItemPrefix);
}
