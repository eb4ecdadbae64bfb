#include "app/windowplacement.h"

#include "platform/inifile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

constexpr QSize kDesignSize(700, 539);
// What window decorations usually add, until the window has a frame to measure.
constexpr QMargins kUsualFrame(4, 30, 4, 4);

QList<QRect> availableAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

QMargins frameOf(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    const QMargins measured(inner.left() - frame.left(), inner.top() - frame.top(),
                            frame.right() - inner.right(), frame.bottom() - inner.bottom());
    return measured.isNull() ? kUsualFrame : measured;
}

} // namespace

void WindowPlacement::placeFirstRun(double fontScale)
{
    const QSize design(int(std::lround(kDesignSize.width() * fontScale)),
                       int(std::lround(kDesignSize.height() * fontScale)));
    const QRect area = m_window.screen()->availableGeometry();
    const QMargins frame = frameOf(m_window);
    const QSize room = area.marginsRemoved(frame).size();
    const QSize size = m_window.sizeHint().expandedTo(design).boundedTo(room);
    m_window.resize(size.expandedTo(m_window.minimumSizeHint()).boundedTo(room));
    // A window's position is that of its frame.
    const QSize outer = m_window.size().grownBy(frame);
    m_window.move(area.x() + (area.width() - outer.width()) / 2,
                  area.y() + (area.height() - outer.height()) / 2);
}

WindowState WindowPlacement::current() const
{
    WindowState state;
    const Qt::WindowStates shown = m_window.windowState();
    if (shown & Qt::WindowMinimized)
        state.showCmd = WindowState::Minimized;
    else if (shown & Qt::WindowMaximized)
        state.showCmd = WindowState::Maximized;
    if ((shown & Qt::WindowMinimized) && (shown & Qt::WindowMaximized))
        state.flags = 2;
    state.normal =
        m_window.normalGeometry().isValid() ? m_window.normalGeometry() : m_window.geometry();
    state.pixelsPerInch = int(std::lround(m_window.screen()->logicalDotsPerInch()));
    const QColor colour = m_window.palette().color(QPalette::Window);
    state.color = colour.red() | colour.green() << 8 | colour.blue() << 16;
    return state;
}

bool WindowPlacement::restore(const platform::IniFile &ini)
{
    const RestoredPlacement placement = readWindowState(ini, current());
    if (!placement.restored)
        return false;
    if (placement.normal.isValid())
        m_window.setGeometry(fitToScreens(placement.normal, availableAreas(), frameOf(m_window)));
    switch (placement.showCmd) {
    case WindowState::Maximized:
        m_window.setWindowState(Qt::WindowMaximized);
        break;
    case WindowState::Minimized:
    case 6: // minimized without activation
        m_window.setWindowState((placement.flags & 2) ? Qt::WindowMinimized | Qt::WindowMaximized
                                                      : Qt::WindowMinimized);
        break;
    default:
        break;
    }
    return true;
}

void WindowPlacement::save(platform::IniFile &ini) const
{
    writeWindowState(ini, current());
}
