/* The two C functions of a language library (Lang_dll.DLL). This header is C as well as C++ so
 * that a library can be written in either; docs/language-library.md explains how to make one. */
#ifndef KVT_DATA_LANGUAGE_LIBRARY_ABI_H
#define KVT_DATA_LANGUAGE_LIBRARY_ABI_H

#define KVT_LANG_STRING_SYMBOL "kvt_lang_string"
#define KVT_LANG_MENU_SYMBOL "kvt_lang_menu"

#if defined(__GNUC__)
#define KVT_LANG_EXPORT __attribute__((visibility("default")))
#else
#define KVT_LANG_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Copies the library's text for a string id into buffer, at most capacity bytes including the
 * terminating zero, and returns the number of bytes copied without the zero. Returns 0 when the
 * library has no text for the id (an empty text counts as none). Required. */
typedef int (*kvt_lang_string_fn)(unsigned id, char* buffer, int capacity);

/* The replacement for menu 32024 in the plain text form of res/menu.txt, zero-terminated and
 * valid while the library is loaded; a null pointer keeps the program's own menu. Optional. */
typedef const char* (*kvt_lang_menu_fn)(void);

#ifdef __cplusplus
}
#endif

#endif
