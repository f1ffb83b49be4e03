#pragma once

// What quillon-sample writes: the sample definitions as files, and one clipboard payload per
// element class. Tests use the same functions, so what they check is what the tool hands out.

#include "samples/SampleDefinitions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace SampleDefinitions {

constexpr const char* DefinitionExtension = ".cpd";
constexpr const char* PayloadExtension = ".clip";

// The empty package, the rich one and one per older record layout, by file name without extension.
std::vector<TNamedDefinition> SampleDefinitionFiles();

// One element of the rich package for each class the element registry lets travel through the
// clipboard, in registration order.
std::vector<const TQORObject*> PayloadElements(const TData& Rich);

// The payload of each of those elements (the registry filled first), named after its class.
std::vector<TNamedDefinition> SamplePayloads();

// Replaces FileName only once every byte is written.
void WriteBytesToFile(const QString& FileName, const QByteArray& Bytes);

// Writes each named file into Folder (created when missing); answers the paths written.
QStringList WriteNamedFiles(const QString& Folder, const std::vector<TNamedDefinition>& Files, const char* Extension);

} // namespace SampleDefinitions
