#include "app/recentprojects.h"

#include "app/commandshell.h"
#include "app/guard.h"
#include "app/projectcommands.h"
#include "compare/abort.h"
#include "platform/paths.h"

#include <QAction>
#include <QMenu>

RecentProjects::RecentProjects(CommandShell &shell, ProjectCommands &projects,
                               std::function<bool()> busy)
    : m_shell(shell), m_projects(projects), m_busy(std::move(busy))
{}

QString RecentProjects::entryCaption(int n, const QString &path)
{
    QString name = platform::fileNamePart(path);
    name.replace(u'&', QStringLiteral("&&"));
    if (n >= 1 && n <= 9)
        return u'&' + QString::number(n) + u' ' + name;
    if (n >= 10 && n <= 35)
        return u'&' + QChar(u'A' + (n - 10)) + u' ' + name;
    return name;
}

void RecentProjects::AddItem(const QString &path)
{
    m_list.addItem(path);
    rebuild();
}

void RecentProjects::attach(QMenu *menu)
{
    m_menu = menu;
    m_menu->setToolTipsVisible(true);
    m_separator = m_menu->addSeparator();
    rebuild();
}

void RecentProjects::rebuild()
{
    if (m_menu == nullptr)
        return;
    // Later: the clicked entry may be the one whose signal runs this.
    for (QAction *old : std::as_const(m_entries)) {
        m_menu->removeAction(old);
        old->deleteLater();
    }
    m_entries.clear();
    const QStringList &items = m_list.items();
    for (qsizetype i = 0; i < items.size(); ++i) {
        auto *entry = new QAction(entryCaption(int(i) + 1, items[i]), m_menu);
        entry->setObjectName(QStringLiteral("mruEntry%1").arg(i));
        entry->setToolTip(items[i]);
        QObject::connect(entry, &QAction::triggered, m_menu, [this, path = items[i]] {
            guarded([this, &path] { OvcMenuMRU1Click(path); });
        });
        m_menu->insertAction(m_separator, entry);
        m_entries.append(entry);
    }
    m_separator->setVisible(!items.isEmpty());
    updateEnabled();
}

void RecentProjects::setEnabled(bool enabled)
{
    m_enabled = enabled;
    updateEnabled();
}

void RecentProjects::setBusy(bool busy)
{
    m_busyNow = busy;
    updateEnabled();
}

void RecentProjects::updateEnabled()
{
    for (QAction *entry : std::as_const(m_entries))
        entry->setEnabled(m_enabled && !m_busyNow);
}

void RecentProjects::loadKept(const platform::IniFile &ini)
{
    m_list.setItems(readKeptRecentList(ini));
    rebuild();
}

void RecentProjects::saveKept(platform::IniFile &ini) const
{
    writeKeptRecentList(ini, m_list.items());
}

void RecentProjects::restoreShown(const platform::IniFile &ini)
{
    if (std::optional<QStringList> shown = readShownRecentList(ini)) {
        m_list.setItems(std::move(*shown));
        rebuild();
    }
}

void RecentProjects::saveShown(platform::IniFile &ini) const
{
    writeShownRecentList(ini, m_list.items());
}

void RecentProjects::OvcMenuMRU1Click(const QString &path)
{
    // Opening rebuilds the list under a refresh or a copy run.
    if (m_busy())
        throw Abort();
    m_projects.ProjectQuerySave();
    // A project that does not open has said why; the list stays as it was, so that the next
    // chooser does not offer it first.
    if (m_projects.ProjectLoad(path))
        AddItem(path);
}
