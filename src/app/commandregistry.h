#pragma once

#include "compare/command.h"

#include <functional>

class QAction;
class QObject;
struct CommandStates;

// The QActions of every command, created once from the command table, each named after its
// command (objectName) for menus, tool bar and tests. An operation is bound through the guard;
// a command without one stays disabled whatever the state.
class CommandRegistry {
public:
    // The actions become children of owner.
    explicit CommandRegistry(QObject *owner);

    QAction *action(Command command) const { return m_actions[command]; }
    void bind(Command command, std::function<void()> operation);
    // Sets every enabled flag and the deletion command's caption.
    void apply(const CommandStates &states);

private:
    PerCommand<QAction *> m_actions;
    PerCommand<bool> m_bound;
};
