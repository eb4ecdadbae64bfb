#pragma once

#include "compare/command.h"

#include <QString>

// What the enabled state of the commands depends on.
struct CommandContext {
    bool busy = false;      // a refresh, a classification pass or a copy run works on the list
    bool stoppable = false; // what works is a refresh or a copy run, which Stop ends
    // The list still belongs to the folders the fields name (Comparison::listCurrent()): the
    // commands that act on its files need it.
    bool listCurrent = true;
    int rows = 0;               // rows of the file list
    int selectedRows = 0;       // rows selected in the list view
    int filesToCopyCount = 0;   // FilesToCopyCount
    bool foldersDiffer = false; // the source and destination folder texts differ
    // The preferences that name the general deletion command.
    bool deleteSource = false;
    bool deleteDestination = false;
    bool deleteToTrash = true;
};

// Every command's enabled state, and what goes with it.
struct CommandStates {
    // By the rules alone: a command without an operation stays disabled in the window anyway.
    PerCommand<bool> enabled;
    bool deleteMenus = false;     // the two "Effacer fichiers" sub-menus
    bool projectControls = false; // the folder fields, the sub-folder box, the two summaries
    QString deleteCaption;        // of ActFileDelete, also its hint
};

CommandStates commandStates(const CommandContext &context);
