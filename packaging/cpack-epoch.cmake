# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack before it writes the package: when SOURCE_DATE_EPOCH is unset, it is set to the
# time of the last commit, else (no git, or not a checkout) to the changelog's latest entry, so
# that every build of one commit writes the same times and so the same bytes.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    return()
endif()
set(epoch "")
find_program(PARTORY_GIT git)
if(PARTORY_GIT)
    execute_process(COMMAND ${PARTORY_GIT} -C ${CPACK_PARTORY_SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
    # The trailer line of the first entry: " -- Name <mail>  Thu, 10 Dec 2026 12:00:00 +0000".
    file(STRINGS ${CPACK_PARTORY_SOURCE_DIR}/packaging/changelog trailer REGEX "^ -- " LIMIT_COUNT 1)
    string(REGEX REPLACE "^.*>  " "" date "${trailer}")
    execute_process(COMMAND date -d "${date}" +%s
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no time for the package: set SOURCE_DATE_EPOCH")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
