#pragma once

// Renders every element dialog, both pickers and the package property forms, filled from the rich
// sample definition, to PNG files in Out.

class QDir;

void RenderElementDialogs(const QDir& Out);
