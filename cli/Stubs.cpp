#include "cli/Commands.h"
std::unique_ptr<TCommand> MakeInspectCommand()
{
    return MakeCheckCommand();
}
std::unique_ptr<TCommand> MakeExtractCommand()
{
    return MakeCheckCommand();
}
std::unique_ptr<TCommand> MakeVerifyCommand()
{
    return MakeCheckCommand();
}
std::unique_ptr<TCommand> MakeDiffCommand()
{
    return MakeCheckCommand();
}
std::unique_ptr<TCommand> MakeExportCommand()
{
    return MakeCheckCommand();
}
