# cmake -DSOURCE_DIR=… -DGIT=… -DOUTPUT=… -P BuildCommit.cmake
# Writes the commit a git checkout is at (", modified" when tracked files differ from it) into
# OUTPUT as QUILLON_BUILD_COMMIT; empty outside a checkout. The file is rewritten only when its text
# changes, so that a build without a new commit recompiles nothing.

set(Commit "")
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
    # The checkout being built is trusted whoever owns it: only its commit is read.
    execute_process(COMMAND "${GIT}" -c safe.directory=* -C "${SOURCE_DIR}" rev-parse --short=12 HEAD
                    OUTPUT_VARIABLE Head RESULT_VARIABLE Result OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(Result EQUAL 0 AND Head MATCHES "^[0-9a-f]+$")
        set(Commit "${Head}")
        # No optional locks: a build never competes with the developer's own git commands.
        execute_process(COMMAND "${GIT}" --no-optional-locks -c safe.directory=* -C "${SOURCE_DIR}" status --porcelain --untracked-files=no
                        OUTPUT_VARIABLE Changes RESULT_VARIABLE Result ERROR_QUIET)
        if(Result EQUAL 0 AND NOT Changes STREQUAL "")
            string(APPEND Commit ", modified")
        endif()
    endif()
endif()

set(Text "#pragma once\n\n// Written by the build: the commit of the checkout it built, or nothing.\n#define QUILLON_BUILD_COMMIT \"${Commit}\"\n")
set(Old "")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" Old)
endif()
if(NOT Old STREQUAL Text)
    file(WRITE "${OUTPUT}" "${Text}")
endif()
