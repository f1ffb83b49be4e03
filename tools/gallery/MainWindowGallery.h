#pragma once

// The main window with the rich sample open and its groups expanded, at the default size and
// maximised: main-window.png and main-window-maximised.png; and the progress dialog of an export
// over it: export-progress.png.

class QDir;

void RenderMainWindow(const QDir& Out);
