# The version plumbing: checks the project's version, derives the forms the packaging needs from it
# and the release date, and writes the version header.

if(NOT PROJECT_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "The project version '${PROJECT_VERSION}' must have four numbers: major.minor.release.build")
endif()
foreach(part IN ITEMS MAJOR MINOR PATCH TWEAK)
    # Each number is one 16-bit word of a file version.
    if(PROJECT_VERSION_${part} GREATER 65535)
        message(FATAL_ERROR "The version number ${PROJECT_VERSION_${part}} in '${PROJECT_VERSION}' exceeds 65535")
    endif()
endforeach()

if(NOT QUILLON_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "QUILLON_RELEASE_DATE '${QUILLON_RELEASE_DATE}' is not YYYY-MM-DD")
endif()

# Days from 1970-01-01 to the civil date Y-M-D (proleptic Gregorian, years from 1970 on).
function(quillon_days_from_civil out year month day)
    math(EXPR y "${year}")
    math(EXPR m "${month}")
    math(EXPR d "${day}")
    if(m LESS_EQUAL 2)
        math(EXPR y "${y} - 1")
        math(EXPR mp "${m} + 9")
    else()
        math(EXPR mp "${m} - 3")
    endif()
    math(EXPR era "${y} / 400")
    math(EXPR yoe "${y} - ${era} * 400")
    math(EXPR doy "(153 * ${mp} + 2) / 5 + ${d} - 1")
    math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
    math(EXPR days "${era} * 146097 + ${doe} - 719468")
    set(${out} ${days} PARENT_SCOPE)
endfunction()

quillon_days_from_civil(_quillon_days ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
# Noon of the release day: what help2man and scdoc date the manual pages with.
math(EXPR QUILLON_RELEASE_EPOCH "${_quillon_days} * 86400 + 43200")
# The same day in RFC 2822 form, as a Debian changelog wants it.
math(EXPR _quillon_weekday "(${_quillon_days} + 4) % 7")
set(_quillon_weekdays Sun Mon Tue Wed Thu Fri Sat)
set(_quillon_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET _quillon_weekdays ${_quillon_weekday} _quillon_weekday_name)
math(EXPR _quillon_month_index "${CMAKE_MATCH_2} - 1")
list(GET _quillon_months ${_quillon_month_index} _quillon_month_name)
set(QUILLON_RELEASE_DATE_RFC2822
    "${_quillon_weekday_name}, ${CMAKE_MATCH_3} ${_quillon_month_name} ${CMAKE_MATCH_1} 12:00:00 +0000")

configure_file(${CMAKE_CURRENT_LIST_DIR}/QuillonVersion.h.in ${PROJECT_BINARY_DIR}/generated/QuillonVersion.h @ONLY)

# quillon_stamp_version(LIBRARY PROGRAM…): the library gets the commit of a git checkout for the
# long version text (generated/QuillonBuildCommit.h), refreshed at every build; on Windows each
# program gets a version resource.
function(quillon_stamp_version library)
    find_package(Git QUIET)
    set(header ${PROJECT_BINARY_DIR}/generated/QuillonBuildCommit.h)
    add_custom_target(quillon_build_commit
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} "-DGIT=${GIT_EXECUTABLE}" -DOUTPUT=${header}
                -P ${PROJECT_SOURCE_DIR}/cmake/BuildCommit.cmake
        BYPRODUCTS ${header}
        VERBATIM)
    add_dependencies(${library} quillon_build_commit)

    if(WIN32)
        enable_language(RC)
        set(resource ${PROJECT_BINARY_DIR}/generated/QuillonVersion.rc)
        configure_file(${PROJECT_SOURCE_DIR}/cmake/QuillonVersion.rc.in ${resource} @ONLY)
        foreach(program IN LISTS ARGN)
            target_sources(${program} PRIVATE ${resource})
        endforeach()
    endif()
endfunction()
