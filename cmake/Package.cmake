# What `cmake --install` puts where, and the Debian package CPack builds from it
# (scripts/package). Included after every program target is defined; a build without the window
# (KVT_GUI off) has neither kvt nor kvt-report.

set(KVT_SHARE_DIR "${CMAKE_INSTALL_DATADIR}/kvt")

# The programs.
foreach(program kvt kvtcli kvt-devsim kvt-report)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    endif()
endforeach()

# The help text F1 shows from any working folder, and the sample language library for a user to
# copy into a working folder (the program loads it from there only). The library is a compiled
# object, so it goes under lib/, not share/.
install(FILES res/KVT.HLP DESTINATION "${KVT_SHARE_DIR}")
install(TARGETS kvt_lang_sample LIBRARY DESTINATION "lib/kvt")

if(TARGET kvt)
    install(FILES res/desktop/kvt.desktop DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
    install(FILES res/desktop/kvt.svg
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
endif()

# Manual pages of the command-line programs, made from their --help at build time.
set(_kvt_man_dir "${CMAKE_BINARY_DIR}/man")
file(MAKE_DIRECTORY "${_kvt_man_dir}")
set(_kvt_man_pages "")
foreach(entry
        "kvtcli|the service tool's device actions from the command line"
        "kvt-devsim|an emulated valve controller on a pseudo-terminal"
        "kvt-report|the printed report of a project as a PDF, without a display")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    if(NOT TARGET ${program})
        continue()
    endif()
    set(page "${_kvt_man_dir}/${program}.1")
    add_custom_command(
        OUTPUT "${page}.gz"
        COMMAND "${CMAKE_COMMAND}" "-DKVT_MAN_PROGRAM=$<TARGET_FILE:${program}>"
                "-DKVT_MAN_NAME=${program}" "-DKVT_MAN_SUMMARY=${summary}"
                "-DKVT_MAN_VERSION=${PROJECT_VERSION}" "-DKVT_MAN_OUTPUT=${page}"
                -P "${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake"
        COMMAND gzip -9nf "${page}"
        DEPENDS ${program} "${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake"
        COMMENT "Writing the manual page of ${program}"
        VERBATIM)
    list(APPEND _kvt_man_pages "${page}.gz")
endforeach()
add_custom_target(kvt_man_pages ALL DEPENDS ${_kvt_man_pages})
install(FILES ${_kvt_man_pages} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# The Debian package.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kvt")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "KVT service tool team")
set(CPACK_PACKAGE_CONTACT "KVT service tool team <kvt-team@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for motor-driven control valve controllers")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A desktop service tool (kvt) that reads, edits and writes a valve controller's parameter "
    "set over RS-232, keeps it in project files, records live signals on a scope view and handles "
    "device information, diagnosis and calibration. kvtcli runs the same device actions from "
    "the command line, and kvt-devsim emulates a controller on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
# The libraries (Qt 6, the C++ runtime) found by dpkg-shlibdeps in the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
