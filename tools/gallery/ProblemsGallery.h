#pragma once

// The main window with the problems panel docked below the tree, listing the findings of the rich
// sample (problems-panel.png), and the package contents window of a definition whose support files
// use wildcards, one of them matching nothing (package-contents.png).

class QDir;

void RenderProblemsAndContents(const QDir& Out);
