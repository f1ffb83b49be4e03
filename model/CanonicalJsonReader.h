#pragma once

// The quick way through a definition's JSON text: the text as the writer lays it out (every member
// in the writer's order, each once, whitespace as anyone likes) is read straight into the package,
// without a parse tree in between. Anything else is left to the general reader, which also gives
// every report: this reader only ever says yes or no.

#include <QByteArray>

class TData;

// Reads Json into Data, which must be empty, and returns true; or returns false, leaving Data in no
// particular state, for a text in any other layout or with any fault. Whenever it returns true,
// the general reader would have made the same package from the same text.
bool ReadCanonicalDefinitionJson(TData& Data, const QByteArray& Json);
