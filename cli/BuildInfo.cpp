#include "cli/BuildInfo.h"

#include "QuillonBuildCommit.h"
#include "foundation/General.h"

QString BuildCommit()
{
    return QStringLiteral(QUILLON_BUILD_COMMIT);
}

QString ProgramVersionLong()
{
    const QString Commit = BuildCommit();
    if (Commit.isEmpty())
        return ProgramVersion();
    return ProgramVersion() + QStringLiteral(" (git ") + Commit + QLatin1Char(')');
}
