#include "forms/ListKeys.h"

#include <QAction>
#include <QKeyEvent>

void ShowListKeys(const TListCommands& Commands)
{
    // The menu is a popup of its own, never added to a window, so these shortcuts fire nowhere.
    Commands.Add->setShortcut(QKeySequence(Qt::Key_Insert));
    Commands.Edit->setShortcut(QKeySequence(Qt::Key_F2));
    Commands.Remove->setShortcut(QKeySequence(Qt::Key_Delete));
    for (QAction* Action : {Commands.Add, Commands.Edit, Commands.Remove})
        Action->setShortcutContext(Qt::WidgetShortcut);
}

bool RunListKey(const QKeyEvent& Event, const TListCommands& Commands)
{
    // Insert and Delete of the numeric keypad count as well.
    if ((Event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    QAction* Command = nullptr;
    switch (Event.key()) {
    case Qt::Key_Insert:
        Command = Commands.Add;
        break;
    case Qt::Key_F2:
        Command = Commands.Edit;
        break;
    case Qt::Key_Delete:
        Command = Commands.Remove;
        break;
    default:
        return false;
    }
    if (Command && Command->isEnabled())
        Command->trigger();
    return true;
}
