#pragma once

// The keys of the lists that are edited through a popup menu (the string lists and the pickers'
// reference lists): Insert adds, F2 edits, Delete removes, each doing what its menu command does
// and only when the popup menu would enable it.

class QAction;
class QKeyEvent;

struct TListCommands
{
    QAction* Add = nullptr;
    QAction* Edit = nullptr;
    QAction* Remove = nullptr;
};

// Shows the keys beside the commands in the popup menu. The list handles the keys itself (see
// RunListKey); the menu only names them.
void ShowListKeys(const TListCommands& Commands);

// Runs the command Event's key stands for, when it is enabled. True when the key is one of the three
// (enabled or not), so that the list takes it.
bool RunListKey(const QKeyEvent& Event, const TListCommands& Commands);
