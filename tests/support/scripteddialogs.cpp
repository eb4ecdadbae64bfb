#include "support/scripteddialogs.h"

BoxButton ScriptedDialogs::message(QWidget *, BoxKind kind, const QString &text,
                                   const BoxButtons &buttons,
                                   std::optional<BoxButton> defaultButton)
{
    BoxButton answer = escapeAnswer(buttons);
    if (m_answers.isEmpty())
        ++m_unexpected;
    else
        answer = m_answers.takeFirst();
    m_boxes.append({kind, text, buttons, answer, defaultButton});
    return answer;
}

QString ScriptedDialogs::nextFile()
{
    ++m_fileDialogs;
    if (m_files.isEmpty()) {
        ++m_unexpectedFiles;
        return QString();
    }
    return m_files.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &folder, const QString &filter)
{
    lastFolder = folder;
    lastFilter = filter;
    lastSuffix.clear();
    return nextFile();
}

QString ScriptedDialogs::saveFileName(QWidget *, const QString &folder, const QString &filter,
                                      const QString &defaultSuffix)
{
    lastFolder = folder;
    lastFilter = filter;
    lastSuffix = defaultSuffix;
    return nextFile();
}

QString ScriptedDialogs::folderName(QWidget *, const QString &title, const QString &startFolder)
{
    lastTitle = title;
    lastFolder = startFolder;
    return nextFile();
}
