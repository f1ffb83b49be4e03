#pragma once

// Screen readers see a form of the window kind as a window, not as the dialog box Qt takes every
// QDialog for.

// Installs the accessibility factory once; later calls do nothing.
void InstallWindowAccessibility();
