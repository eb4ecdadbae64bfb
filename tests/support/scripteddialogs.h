#pragma once

#include "app/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// The dialogs of the windows answered from a script: each box takes the next scripted answer
// and is recorded; a box without a scripted answer is recorded as unexpected and answered as if
// closed without a choice. File and folder dialogs take the next scripted path (empty: cancelled).
class ScriptedDialogs : public Dialogs {
public:
    struct Box {
        BoxKind kind;
        QString text;
        BoxButtons buttons;
        BoxButton answer;
        std::optional<BoxButton> defaultButton;
    };

    void answer(BoxButton button) { m_answers.append(button); }
    void chooseFile(const QString &path) { m_files.append(path); }

    const QList<Box> &boxes() const { return m_boxes; }
    int unexpectedBoxes() const { return m_unexpected; }
    int fileDialogs() const { return m_fileDialogs; }
    int unexpectedFileDialogs() const { return m_unexpectedFiles; }
    // True when every scripted answer and path was used.
    bool scriptDone() const { return m_answers.isEmpty() && m_files.isEmpty(); }

    BoxButton message(QWidget *parent, BoxKind kind, const QString &text, const BoxButtons &buttons,
                      std::optional<BoxButton> defaultButton = std::nullopt) override;
    QString openFileName(QWidget *parent, const QString &folder, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &folder, const QString &filter,
                         const QString &defaultSuffix) override;
    QString folderName(QWidget *parent, const QString &title, const QString &startFolder) override;

    // What the last file dialog was given.
    QString lastFolder;
    QString lastFilter;
    QString lastSuffix;
    QString lastTitle; // of the last folder dialog

private:
    QString nextFile();

    QList<BoxButton> m_answers;
    QStringList m_files;
    QList<Box> m_boxes;
    int m_unexpected = 0;
    int m_fileDialogs = 0;
    int m_unexpectedFiles = 0;
};
