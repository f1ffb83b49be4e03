#pragma once

// Text from files on its way to a terminal. Package and definition files are hostile: a name may
// hold escape sequences that recolour, retitle or clear the terminal, or marks that reorder the
// line it is printed on.

#include <QString>

// A name, target or message from a file, made fit to print where a terminal may show it. C0
// controls (line breaks included), DEL and C1 controls come out as "\x1b" or "\u009b", and the
// marks that reorder text (bidirectional embeddings, overrides, isolates and marks, the line and
// paragraph separators) as "\u202e", so that a crafted name can neither drive the terminal nor hide
// or reorder what is printed around it. A backslash stays as it is ("\" separates the folders of
// targets) unless what follows it would read as one of these escapes; then it is written "\x5c".
QString TerminalSafe(const QString& Text);

// Text that is printed line by line: as TerminalSafe, except that line breaks stay and backslashes
// are left alone. Print applies it to everything it writes, as the last line of defence for text
// that was not made TerminalSafe field by field.
QString TerminalLines(const QString& Text);
