#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

namespace platform {
class IniFile;
}

// The main window's placement as section MainForm of the settings file keeps it. NormalPos is
// the normal (neither maximized nor minimized) rectangle as left, top, right and bottom, right
// and bottom exclusive.
struct WindowState {
    enum ShowCmd { Normal = 1, Minimized = 2, Maximized = 3 };

    // 2 when a minimized window goes back to maximized.
    int flags = 0;
    int showCmd = Normal;
    QRect normal;
    int pixelsPerInch = 96;
    // The window colour as 0x00BBGGRR.
    int color = 0;
};

// Writes Flags, ShowCmd, NormalPos, PixelsPerInch and Color, in this order.
void writeWindowState(platform::IniFile &ini, const WindowState &state);

// What a stored placement restores on a window that shows `current` on a screen of
// `pixelsPerInch`.
struct RestoredPlacement {
    // Nothing is restored: no placement stored, or one made for another screen density.
    bool restored = false;
    // The normal rectangle, when the stored one was usable (not empty), its edges and size held
    // within Qt's limit on a widget's size; invalid otherwise.
    QRect normal;
    int flags = 0;
    int showCmd = WindowState::Normal;
};
RestoredPlacement readWindowState(const platform::IniFile &ini, const WindowState &current);

// The rectangle moved, and shrunk when it is larger, to lie within the available area of the
// screen it overlaps most (the first screen when it overlaps none), whatever its numbers.
// `frame` is what the window's decorations add around it.
QRect fitToScreens(const QRect &window, const QList<QRect> &screens, const QMargins &frame = {});
