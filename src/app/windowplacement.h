#pragma once

#include "project/windowstate.h"

class QWidget;

namespace platform {
class IniFile;
}

// The main window's place on the screen: its size on a first run, and the placement kept in the
// settings file from one run to the next.
class WindowPlacement {
public:
    explicit WindowPlacement(QWidget &window) : m_window(window) {}

    // Large enough for what the window asks (every column of the list whole) and at least its
    // design size at the present font, within the available area of its screen, and centred.
    void placeFirstRun(double fontScale);
    // The stored placement, moved and shrunk onto a screen; false when none applies.
    bool restore(const platform::IniFile &ini);
    WindowState current() const;
    void save(platform::IniFile &ini) const;

private:
    QWidget &m_window;
};
