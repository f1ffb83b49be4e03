#pragma once

// The program's entry sequence: the unattended export when the command line carries /c, otherwise
// the interactive main window.
int QuillonMain(int argc, char** argv);
