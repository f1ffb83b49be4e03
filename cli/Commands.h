#pragma once

// One factory per command; each command lives in its own file.

#include "cli/CliCommand.h"

std::unique_ptr<TCommand> MakeCheckCommand();
std::unique_ptr<TCommand> MakeDumpCommand();
std::unique_ptr<TCommand> MakeBuildCommand();
std::unique_ptr<TCommand> MakeInspectCommand();
std::unique_ptr<TCommand> MakeExtractCommand();
std::unique_ptr<TCommand> MakeVerifyCommand();
std::unique_ptr<TCommand> MakeDiffCommand();
std::unique_ptr<TCommand> MakeExportCommand();
