#include "cli/Commands.h"
std::unique_ptr<TCommand> MakeDiffCommand()
{
    return MakeCheckCommand();
}
