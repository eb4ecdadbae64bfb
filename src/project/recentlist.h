#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class IniFile;
}

// The recently used project files, most recent first, at most kMaxItems. Paths are compared
// exactly, letter case included, once made absolute and clean: /a/P.tdm and /a/p.tdm are two
// files here.
class RecentList {
public:
    static constexpr qsizetype kMaxItems = 24;

    const QStringList &items() const { return m_items; }
    // Replaces the list; entries past kMaxItems are dropped.
    void setItems(QStringList items);
    // Puts the path at the front: nothing changes when it is there already; otherwise an equal
    // entry further down (the last one) goes, and the oldest entry goes past kMaxItems.
    void addItem(const QString &path);

    // The path as the list compares and keeps it.
    static QString normalisedPath(const QString &path);

private:
    QStringList m_items;
};

// The list's own copy, section fmMain.OvcMenuMRU1.Items: Count, then keys "0", "1", ...; a
// missing entry reads as empty, and no more than RecentList::kMaxItems are read.
QStringList readKeptRecentList(const platform::IniFile &ini);
// Erases the section, then writes Count (0 too) and the entries.
void writeKeptRecentList(platform::IniFile &ini, const QStringList &items);

// The window state's copy, section MainForm.OvcMenuMRU1.Items: Count, then Item0, Item1, ...;
// nothing when Count is not above 0, and no more than RecentList::kMaxItems are read.
std::optional<QStringList> readShownRecentList(const platform::IniFile &ini);
// Erases the section, then writes it only for a list that is not empty.
void writeShownRecentList(platform::IniFile &ini, const QStringList &items);

// A count as stored: decimal, or hexadecimal after "0x", spaces around allowed; anything else
// is 0.
int storedCount(const QString &text);
