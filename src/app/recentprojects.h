#pragma once

#include "project/recentlist.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CommandShell;
class ProjectCommands;
class QAction;
class QMenu;

namespace platform {
class IniFile;
}

// The recent-projects entries of the "Fichier" menu: the list behind them, the click that opens
// one, and the two copies of the list in the settings file.
class RecentProjects {
public:
    RecentProjects(CommandShell &shell, ProjectCommands &projects, std::function<bool()> busy);
    RecentProjects(const RecentProjects &) = delete;
    RecentProjects &operator=(const RecentProjects &) = delete;

    const QStringList &Items() const { return m_list.items(); }
    void AddItem(const QString &path);

    // The entries go into the menu where it stands now, followed by their own separator.
    void attach(QMenu *menu);
    QList<QAction *> entries() const { return m_entries; }
    // The entries can be clicked when the settings file is writable and nothing is busy.
    void setEnabled(bool enabled);
    void setBusy(bool busy);

    // The list's own copy, read while the window is built and written when it closes.
    void loadKept(const platform::IniFile &ini);
    void saveKept(platform::IniFile &ini) const;
    // The window state's copy, which replaces the list when the window is first shown.
    void restoreShown(const platform::IniFile &ini);
    void saveShown(platform::IniFile &ini) const;

    // Save prompt, then open; the entry goes to the front once its project opened. Refused
    // while a refresh or a copy run is in progress.
    void OvcMenuMRU1Click(const QString &path);

    // The caption of entry number n, counted from 1.
    static QString entryCaption(int n, const QString &path);

private:
    void rebuild();
    void updateEnabled();

    CommandShell &m_shell;
    ProjectCommands &m_projects;
    std::function<bool()> m_busy;
    RecentList m_list;
    QMenu *m_menu = nullptr;
    QAction *m_separator = nullptr;
    QList<QAction *> m_entries;
    bool m_enabled = true;
    bool m_busyNow = false;
};
