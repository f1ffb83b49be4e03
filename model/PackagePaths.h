#pragma once

// Paths as the code package carries them. The package is installed on Windows, so every path it
// holds is written the Windows way, with "\", whatever machine exported it: one definition gives
// the same package everywhere. Files are still found and read through LocalFilePath.

#include <QString>

// Name when Folder is empty; Folder without its trailing separator when Name is empty; otherwise
// Folder, "\" unless Folder already ends in "\" or "/", then Name.
QString CombinePackagePath(const QString& Folder, const QString& Name);

// The file of a driver or code module: the folder, "\", the name, exactly so (a folder that already
// ends in a separator gets a second one, which Windows ignores).
QString ModuleSourcePath(const QString& FilePath, const QString& FileName);
