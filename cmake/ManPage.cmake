# Writes a manual page from a program's --help text, so that the page never drifts from it.
#   cmake -DKVT_MAN_PROGRAM=<executable> -DKVT_MAN_NAME=<name> -DKVT_MAN_SUMMARY=<one line>
#         -DKVT_MAN_VERSION=<version> -DKVT_MAN_OUTPUT=<file.1> -P cmake/ManPage.cmake
# The page has NAME, SYNOPSIS (the help's usage line), DESCRIPTION (the rest of the help, kept
# line for line as preformatted text) and SEE ALSO.
foreach(var KVT_MAN_PROGRAM KVT_MAN_NAME KVT_MAN_SUMMARY KVT_MAN_VERSION KVT_MAN_OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "ManPage.cmake: ${var} is not set")
    endif()
endforeach()

execute_process(COMMAND "${KVT_MAN_PROGRAM}" --help
    OUTPUT_VARIABLE help RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR help STREQUAL "")
    message(FATAL_ERROR "ManPage.cmake: '${KVT_MAN_PROGRAM} --help' failed (${result}): ${errors}")
endif()

# troff: a backslash is written \e; a line starting with '.' or an apostrophe would be a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REPLACE ";" "@KVT_SEMICOLON@" help "${help}")
string(REGEX REPLACE "\n$" "" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

set(usage "")
set(body "")
foreach(line IN LISTS lines)
    string(REPLACE "@KVT_SEMICOLON@" ";" line "${line}")
    if(usage STREQUAL "" AND line MATCHES "^[Uu]sage: (.*)$")
        set(usage "${CMAKE_MATCH_1}")
        continue()
    endif()
    if(line MATCHES "^[.']")
        set(line "\\&${line}")
    endif()
    string(APPEND body "${line}\n")
endforeach()

string(TOUPPER "${KVT_MAN_NAME}" upper)
string(REPLACE "-" "\\-" name "${KVT_MAN_NAME}")
set(page ".TH ${upper} 1 \"\" \"kvt ${KVT_MAN_VERSION}\" \"User Commands\"
.SH NAME
${name} \\- ${KVT_MAN_SUMMARY}
.SH SYNOPSIS
.nf
${usage}
.fi
.SH DESCRIPTION
.nf
${body}.fi
.SH SEE ALSO
kvtcli(1), kvt\\-devsim(1); the desktop program kvt shows its help text with F1.
")
file(WRITE "${KVT_MAN_OUTPUT}" "${page}")
