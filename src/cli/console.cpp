#include "cli/console.h"

#include "platform/terminal.h"

#include <cstdio>

namespace {

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

Console::Console(bool quiet) : m_quiet(quiet), m_statusShown(!quiet && platform::isTerminal(stdout))
{
    if (m_statusShown)
        m_columns = platform::terminalColumns(stdout);
}

void Console::line(const QString &text)
{
    if (m_quiet)
        return;
    clearStatus();
    write(stdout, text + u'\n');
    drawStatus();
}

void Console::error(const QString &text)
{
    clearStatus();
    write(stderr, text + u'\n');
    drawStatus();
}

void Console::status(const QString &text, bool force)
{
    if (!m_statusShown)
        return;
    m_status = text;
    if (!force && m_statusTimer.isValid() && m_statusTimer.elapsed() < kStatusIntervalMs)
        return;
    m_statusTimer.start();
    drawStatus();
}

void Console::endStatus()
{
    clearStatus();
    m_status.clear();
}

void Console::clearStatus()
{
    if (!m_statusOnScreen)
        return;
    write(stdout, QStringLiteral("\r\x1b[K"));
    m_statusOnScreen = false;
}

void Console::drawStatus()
{
    if (!m_statusShown || m_status.isEmpty())
        return;
    // One character short of the width, so that the terminal never wraps the line.
    write(stdout, u"\r\x1b[K" + m_status.left(m_columns - 1));
    m_statusOnScreen = true;
}
