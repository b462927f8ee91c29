# Texts and menus kept as text tables in res/ become C++ at build time.
#
# Included from CMakeLists.txt it sets up two things:
#   - the built-in string table and menu (res/strings.txt, res/menu.txt), compiled into kvtcore
#     through KVT_GENERATED_CORE_SOURCES (target kvt_generated);
#   - the sample language library Lang_dll.DLL (res/lang/), built into ${CMAKE_BINARY_DIR}/lang.
#
# Run as a script it does the conversion:
#   cmake -DKVT_RES_MODE=builtin|language -DKVT_RES_STRINGS=<table> -DKVT_RES_MENU=<menu>
#         -DKVT_RES_OUTPUT=<file> -P cmake/Resources.cmake
# "builtin" writes the source of the program's own table, "language" the tables that
# res/lang/Lang_dll.cpp includes (docs/language-library.md).

# CMake lists split at ';' and do not split inside square brackets, so these characters travel
# through the line list as placeholders.
set(_KVT_SEMI "@KVT_SEMICOLON@")
set(_KVT_LBR "@KVT_LBRACKET@")
set(_KVT_RBR "@KVT_RBRACKET@")

function(_kvt_read_lines path out_var)
    file(READ "${path}" content)
    string(REPLACE "\r" "" content "${content}")
    string(REPLACE ";" "${_KVT_SEMI}" content "${content}")
    string(REPLACE "[" "${_KVT_LBR}" content "${content}")
    string(REPLACE "]" "${_KVT_RBR}" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(${out_var} "${lines}" PARENT_SCOPE)
endfunction()

function(_kvt_restore text out_var)
    string(REPLACE "${_KVT_SEMI}" ";" text "${text}")
    string(REPLACE "${_KVT_LBR}" "[" text "${text}")
    string(REPLACE "${_KVT_RBR}" "]" text "${text}")
    set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Turns a string table (lines '<id> "<text>"', ids ascending) into C++ initialiser lines
# '{id, "text"},'. The escapes of the table (\n \t \" \\) are those of a C++ literal, so a
# checked text is copied as it stands.
function(_kvt_string_initialisers path out_var)
    _kvt_read_lines("${path}" lines)
    set(result "")
    set(previous 0)
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "^[ \t]*$" OR line MATCHES "^[ \t]*#")
            continue()
        endif()
        if(NOT line MATCHES "^[ \t]*([0-9]+)[ \t]+\"(.*)\"[ \t]*$")
            message(FATAL_ERROR "${path}:${number}: expected <id> \"<text>\"")
        endif()
        set(id "${CMAKE_MATCH_1}")
        set(text "${CMAKE_MATCH_2}")
        # Every backslash starts one of the four escapes and every quote is escaped.
        string(REGEX REPLACE "\\\\[nt\"\\\\]" "" rest "${text}")
        if(rest MATCHES "[\"\\\\]")
            message(FATAL_ERROR
                "${path}:${number}: only \\n \\t \\\" \\\\ may follow a backslash, and quotes "
                "inside a text need a backslash")
        endif()
        if(id GREATER 65535 OR id LESS 1)
            message(FATAL_ERROR "${path}:${number}: id ${id} is outside 1..65535")
        endif()
        if(NOT id GREATER previous)
            message(FATAL_ERROR "${path}:${number}: id ${id} does not ascend (after ${previous})")
        endif()
        set(previous "${id}")
        _kvt_restore("${text}" text)
        string(APPEND result "    {${id}, \"${text}\"},\n")
    endforeach()
    set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

# Turns a menu text file into the body of a C++ string literal, one source line per line.
function(_kvt_menu_literal path out_var)
    _kvt_read_lines("${path}" lines)
    set(result "")
    foreach(line IN LISTS lines)
        string(REPLACE "\\" "\\\\" line "${line}")
        string(REPLACE "\"" "\\\"" line "${line}")
        _kvt_restore("${line}" line)
        string(APPEND result "    \"${line}\\n\"\n")
    endforeach()
    set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

function(_kvt_write_if_changed path content)
    if(EXISTS "${path}")
        file(READ "${path}" old)
        if(old STREQUAL content)
            return()
        endif()
    endif()
    file(WRITE "${path}" "${content}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
    foreach(var KVT_RES_MODE KVT_RES_STRINGS KVT_RES_MENU KVT_RES_OUTPUT)
        if(NOT DEFINED ${var})
            message(FATAL_ERROR "Resources.cmake: ${var} is not set")
        endif()
    endforeach()
    _kvt_string_initialisers("${KVT_RES_STRINGS}" strings)
    _kvt_menu_literal("${KVT_RES_MENU}" menu)
    get_filename_component(strings_name "${KVT_RES_STRINGS}" NAME)
    get_filename_component(menu_name "${KVT_RES_MENU}" NAME)
    set(head "// Generated from ${strings_name} and ${menu_name} by cmake/Resources.cmake; edit those.\n")
    if(KVT_RES_MODE STREQUAL "builtin")
        _kvt_write_if_changed("${KVT_RES_OUTPUT}" "${head}
#include \"data/BuiltinStrings.h\"

namespace kvt {
namespace {

constexpr BuiltinString kStrings[] = {
${strings}};

constexpr char kMenu[] =
${menu}    \"\";

}  // namespace

std::span<const BuiltinString> builtinStrings() {
    return kStrings;
}

const char* builtinMenuText() {
    return kMenu;
}

}  // namespace kvt
")
    elseif(KVT_RES_MODE STREQUAL "language")
        _kvt_write_if_changed("${KVT_RES_OUTPUT}" "${head}
constexpr LanguageString kStrings[] = {
${strings}};

constexpr char kMenu[] =
${menu}    \"\";
")
    else()
        message(FATAL_ERROR "Resources.cmake: KVT_RES_MODE must be builtin or language")
    endif()
    return()
endif()

# --- Included from CMakeLists.txt ---------------------------------------------------------------

set(KVT_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
file(MAKE_DIRECTORY "${KVT_GENERATED_DIR}")

set(_kvt_builtin_cpp "${KVT_GENERATED_DIR}/BuiltinStrings.cpp")
add_custom_command(
    OUTPUT "${_kvt_builtin_cpp}"
    COMMAND "${CMAKE_COMMAND}" -DKVT_RES_MODE=builtin
            "-DKVT_RES_STRINGS=${CMAKE_SOURCE_DIR}/res/strings.txt"
            "-DKVT_RES_MENU=${CMAKE_SOURCE_DIR}/res/menu.txt"
            "-DKVT_RES_OUTPUT=${_kvt_builtin_cpp}"
            -P "${CMAKE_CURRENT_LIST_FILE}"
    DEPENDS "${CMAKE_SOURCE_DIR}/res/strings.txt" "${CMAKE_SOURCE_DIR}/res/menu.txt"
            "${CMAKE_CURRENT_LIST_FILE}"
    COMMENT "Generating the built-in string table and menu"
    VERBATIM)
set(KVT_GENERATED_CORE_SOURCES "${_kvt_builtin_cpp}")

# The sample language library: a shared object named exactly Lang_dll.DLL, so that copying it
# into a working directory is all it takes to use it.
set(_kvt_lang_tables "${KVT_GENERATED_DIR}/lang/LangTables.inc")
file(MAKE_DIRECTORY "${KVT_GENERATED_DIR}/lang")
add_custom_command(
    OUTPUT "${_kvt_lang_tables}"
    COMMAND "${CMAKE_COMMAND}" -DKVT_RES_MODE=language
            "-DKVT_RES_STRINGS=${CMAKE_SOURCE_DIR}/res/lang/strings.txt"
            "-DKVT_RES_MENU=${CMAKE_SOURCE_DIR}/res/lang/menu.txt"
            "-DKVT_RES_OUTPUT=${_kvt_lang_tables}"
            -P "${CMAKE_CURRENT_LIST_FILE}"
    DEPENDS "${CMAKE_SOURCE_DIR}/res/lang/strings.txt" "${CMAKE_SOURCE_DIR}/res/lang/menu.txt"
            "${CMAKE_CURRENT_LIST_FILE}"
    COMMENT "Generating the tables of the sample language library"
    VERBATIM)
add_library(kvt_lang_sample SHARED "${CMAKE_SOURCE_DIR}/res/lang/Lang_dll.cpp"
    "${_kvt_lang_tables}")
target_include_directories(kvt_lang_sample PRIVATE "${CMAKE_SOURCE_DIR}/src"
    "${KVT_GENERATED_DIR}/lang")
set_target_properties(kvt_lang_sample PROPERTIES
    OUTPUT_NAME "Lang_dll" PREFIX "" SUFFIX ".DLL"
    LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lang"
    CXX_VISIBILITY_PRESET hidden)

# kvtcore depends on this target, so whatever links the core also finds the sample library built
# (the unit tests load it from ${CMAKE_BINARY_DIR}/lang).
add_custom_target(kvt_generated DEPENDS "${_kvt_builtin_cpp}")
add_dependencies(kvt_generated kvt_lang_sample)
