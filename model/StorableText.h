#pragma once

// The text fields of a package that the definition file cannot store as they are (see
// foundation/AnsiCodec.h). Importers look here before they write anything.

#include <QList>
#include <QString>

#include <vector>

class TData;

struct TUnstorableText
{
    // The field as the definition's JSON text names it: "Name", "CodeModules.Items[2].Name",
    // "CodeModules.Items[0].CommandLineTools.Items[1].ToolCategories[3]".
    QString Path;
    // Each character once, in the order they first appear.
    QList<char32_t> Characters;
};

// Every text field of Data that cannot be stored: the package properties, then each element in
// the order of the definition file, each element's fields in the order of its record.
std::vector<TUnstorableText> FindUnstorableText(const TData& Data);
