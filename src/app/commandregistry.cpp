#include "app/commandregistry.h"

#include "app/commandtable.h"
#include "app/guard.h"
#include "compare/commandstates.h"

#include <QAction>
#include <QIcon>

CommandRegistry::CommandRegistry(QObject *owner)
{
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        const CommandEntry &entry = commandEntry(Command(i));
        auto *action = new QAction(QString::fromUtf16(entry.caption), owner);
        action->setObjectName(QLatin1String(entry.name));
        const QString hint =
            entry.hint == nullptr ? action->text() : QString::fromUtf16(entry.hint);
        action->setToolTip(hint);
        if (entry.shortcut.key() != Qt::Key_unknown)
            action->setShortcut(QKeySequence(entry.shortcut));
        if (entry.picture != nullptr)
            action->setIcon(QIcon(QLatin1String(entry.picture)));
        action->setEnabled(false);
        m_actions[entry.command] = action;
    }
}

void CommandRegistry::bind(Command command, std::function<void()> operation)
{
    QAction *bound = m_actions[command];
    QObject::connect(bound, &QAction::triggered, bound, [bound, operation = std::move(operation)] {
        guarded(operation, bound->text().remove(u'&'));
    });
    m_bound[command] = true;
    bound->setEnabled(true);
}

void CommandRegistry::apply(const CommandStates &states)
{
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        const Command command = Command(i);
        m_actions[command]->setEnabled(states.enabled[command] && m_bound[command]);
    }
    QAction *deletion = m_actions[Command::ActFileDelete];
    deletion->setText(states.deleteCaption);
    deletion->setToolTip(states.deleteCaption);
}
