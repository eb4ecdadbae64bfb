#pragma once

#include <QKeySequence>
#include <QString>

#include <span>

// One command of the main window as the user sees it: its name (the QAction's objectName),
// caption, tooltip, shortcut and picture.
struct CommandSpec {
    const char *name;
    const char16_t *caption;
    // nullptr: the hint is the caption; an empty text: no hint.
    const char16_t *hint;
    QKeyCombination shortcut;
    // Resource path of the picture, or nullptr.
    const char *picture;
};

// Every command, in the order of the action list.
std::span<const CommandSpec> commandTable();
