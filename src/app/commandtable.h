#pragma once

#include "compare/command.h"

#include <QKeySequence>
#include <QString>

#include <span>

// One command of the main window as the user sees it: its name (the QAction's objectName),
// caption, tooltip, shortcut and picture.
struct CommandEntry {
    Command command;
    const char *name;
    const char16_t *caption;
    // nullptr: the hint is the caption; an empty text: no hint.
    const char16_t *hint;
    QKeyCombination shortcut;
    // Resource path of the picture, or nullptr.
    const char *picture;
};

// The description of a command.
const CommandEntry &commandEntry(Command command);

// The places where commands show: the menus of the menu bar, the pop-up menu of the list, the
// tool bar, and the deletion sub-menu that two of them hold.
enum class CommandPlace {
    FileMenu,
    EditMenu,
    ProjectMenu,
    ToolsMenu,
    HelpMenu,
    PopupMenu,
    ToolBar,
    DeleteMenu
};

// One entry of a place, in its order.
struct PlaceEntry {
    enum Kind { Action, Separator, DeleteSubMenu, RecentProjects } kind;
    Command command; // for Action
};

std::span<const PlaceEntry> commandPlace(CommandPlace place);
