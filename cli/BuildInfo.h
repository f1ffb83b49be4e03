#pragma once

// What the build knows about itself beyond the version: the commit of the git checkout it was made
// from. The four numbers of ProgramVersion never carry it; only quillon-cli's long form does. Kept
// here rather than in the foundation so that a new commit relinks quillon-cli alone.

#include <QString>

// The abbreviated commit, followed by ", modified" when tracked files differed from it; empty for
// a build outside a git checkout.
QString BuildCommit();
// The four numbers, then " (git COMMIT)" when the build knows its commit.
QString ProgramVersionLong();
