#pragma once

// Which text the definition file can store. Strings go to disk in the ANSI code page, one byte per
// UTF-16 code unit; text outside the code page would silently come back as "?". Editors and
// importers ask here first and refuse such text, so that nothing is changed behind the author's
// back. The conversions themselves are declared in StreamPrimitives.h.

#include <QList>
#include <QString>

// Whether Text comes back from the definition file exactly as it is.
bool CanStoreAsAnsi(const QString& Text);

// The characters of Text the code page cannot carry, each once, in the order they first appear. A
// character outside the Basic Multilingual Plane counts as one character; a lone surrogate as itself.
QList<char32_t> UnstorableCharacters(const QString& Text);

// "'你', '好'" for a message: each character in single quotes, or as U+XXXX where it would not show
// (controls, spaces, combining marks, surrogates). Lists MaxShown of them at most, then "and N more".
QString DescribeCharacters(const QList<char32_t>& Characters, qsizetype MaxShown = 16);

// DescribeCharacters of Text's unstorable characters; empty when Text can be stored.
QString DescribeUnstorableCharacters(const QString& Text);
