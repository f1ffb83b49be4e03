#pragma once

// The window that shows a package opened for reading, on a package exported from the rich sample
// with small stand-in files: package-window.png.

class QDir;

void RenderPackageWindow(const QDir& Out);
