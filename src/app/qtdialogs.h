#pragma once

#include "app/dialogs.h"

// The dialogs of the program: the toolkit's message boxes and file dialogs, in French.
class QtDialogs : public Dialogs {
public:
    BoxButton message(QWidget *parent, BoxKind kind, const QString &text, const BoxButtons &buttons,
                      std::optional<BoxButton> defaultButton = std::nullopt) override;
    QString openFileName(QWidget *parent, const QString &folder, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &folder, const QString &filter,
                         const QString &defaultSuffix) override;
    QString folderName(QWidget *parent, const QString &title, const QString &startFolder) override;
};
