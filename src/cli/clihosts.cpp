#include "cli/clihosts.h"

#include "cli/console.h"
#include "cli/consoletext.h"
#include "cli/copyprogress.h"
#include "compare/filelist.h"

void CliRefreshHost::setStatusText(const QString &text)
{
    m_console.status(text);
}

BoxButton CliRefreshHost::message(BoxKind, const QString &text, const BoxButtons &buttons)
{
    m_messages.append(text);
    // The only question of the refresh: go on with a source at the root of a drive.
    return buttons.contains(BoxButton::Yes) ? BoxButton::Yes : buttons.value(0, BoxButton::Ok);
}

bool CliRefreshHost::createMissingDestination(const QString &folder)
{
    m_messages.append(
        QStringLiteral("Le répertoire Destination \"%1\" n'existe pas : tandrimo-cli ne le crée "
                       "pas.")
            .arg(folder));
    return false;
}

bool CliRefreshHost::acceptRootDestination(const QString &folder)
{
    if (!m_allowRootDestination)
        m_messages.append(QStringLiteral("Le répertoire Destination \"%1\" est la racine du "
                                         "système de fichiers : refusé sans "
                                         "--allow-root-destination.")
                              .arg(folder));
    return m_allowRootDestination;
}

CliCopyHost::CliCopyHost(Console &console, FileList &list, std::unique_ptr<CopyProgress> progress,
                         bool verifying)
    : m_console(console), m_list(list), m_progress(std::move(progress)), m_verifying(verifying)
{}

CliCopyHost::~CliCopyHost() = default;

QString CliCopyHost::rowPath(int index) const
{
    return m_list.row(index).field(fldFiles).toString();
}

void CliCopyHost::showProgress(bool force)
{
    if (m_progress)
        m_console.status(m_progress->text(), force);
}

void CliCopyHost::setCurrentRow(int index)
{
    m_current = index;
    if (m_progress)
        m_progress->start(index);
    showProgress(true);
}

void CliCopyHost::setRowStatusText(int index, const QString &text)
{
    if (index < 0 || index >= m_list.count())
        return;
    m_list.setStatusText(index, text);
    // "Copie..." and "Vérification..." are stages, as "Copié" is before a verification; any
    // other text ends the file.
    if (!text.endsWith(u"...") && !(m_verifying && text == u"Copié")) {
        m_console.line(rowLine(text, rowPath(index), 0));
        showProgress(false);
    }
}

void CliCopyHost::setRowError(int index, const QString &text, const QString &detail)
{
    if (index < 0 || index >= m_list.count())
        return;
    m_list.setError(index, text, detail);
    ++m_failed;
    m_console.error(consoleText(rowPath(index)) + u" : " + consoleText(text) + u" (" +
                    consoleText(detail) + u')');
}

void CliCopyHost::failCurrentRow(const QString &reason)
{
    setRowError(m_current, QStringLiteral("Erreur : espace disque insuffisant"),
                reason.simplified());
}

BoxButton CliCopyHost::message(BoxKind, const QString &text, const BoxButtons &)
{
    // Insufficient space offers "OK" alone; a copy found different "OK" (go on) or "&Abandon".
    m_lastMessage = text;
    return BoxButton::Ok;
}

QString rowLine(const QString &statusText, const QString &path, int width)
{
    return statusText.leftJustified(width) + u"  " + consoleText(path);
}
