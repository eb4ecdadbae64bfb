#pragma once

#include "compare/messagebox.h"

#include <QString>

#include <optional>

class QWidget;

// Every modal dialog the windows open, behind one interface: the program uses the toolkit's
// boxes and file dialogs, the tests answer from a script.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows a box with the buttons in the order given; closing it without a choice answers
    // "Annuler" when offered, else "&Non", else "&Abandon", else the last button. Enter presses
    // defaultButton when given, else the first button.
    virtual BoxButton message(QWidget *parent, BoxKind kind, const QString &text,
                              const BoxButtons &buttons,
                              std::optional<BoxButton> defaultButton = std::nullopt) = 0;
    // An existing file to open, or an empty text when the user cancelled.
    virtual QString openFileName(QWidget *parent, const QString &folder, const QString &filter) = 0;
    // A file to save to (the suffix added when the user typed none, an existing file confirmed),
    // or an empty text when the user cancelled.
    virtual QString saveFileName(QWidget *parent, const QString &folder, const QString &filter,
                                 const QString &defaultSuffix) = 0;
    // A folder, which the dialog offers to create, or an empty text when the user cancelled.
    // It opens at startFolder, or where the toolkit chooses when that is empty.
    virtual QString folderName(QWidget *parent, const QString &title,
                               const QString &startFolder) = 0;
};

// The answer of a box closed without a choice.
BoxButton escapeAnswer(const BoxButtons &buttons);
