# Runs at install time: writes the desktop entry with the launcher's installed path, so that the
# entry works for whatever prefix `cmake --install` is given. Set before this script runs:
# CORVANE_DESKTOP_IN (the template), CORVANE_BINDIR and CORVANE_APPDIR (install folders, relative
# to the prefix or absolute) and CORVANE_STAGING (a folder of the build tree for the written file).

if(IS_ABSOLUTE "${CORVANE_BINDIR}")
    set(launcher "${CORVANE_BINDIR}/corvane-control-launch")
else()
    set(launcher "${CMAKE_INSTALL_PREFIX}/${CORVANE_BINDIR}/corvane-control-launch")
endif()
if(launcher MATCHES "[\n\r\t]")
    message(FATAL_ERROR "The install folder ${launcher} cannot be named in a desktop entry")
endif()

# Exec quoting: the path as one quoted argument, with \ " ` $ escaped inside the quotes; then the
# escapes of a desktop entry's string values (\ doubled) and of its field codes (% doubled).
set(exec "${launcher}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
set(exec "\"${exec}\"")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")

set(CORVANE_EXEC "${exec}")
# A folder of this install's own: a package and an install into another prefix may be made from
# the same build at the same time.
string(RANDOM LENGTH 16 staging)
set(staging "${CORVANE_STAGING}/${staging}")
configure_file("${CORVANE_DESKTOP_IN}" "${staging}/corvane-control.desktop" @ONLY)

if(IS_ABSOLUTE "${CORVANE_APPDIR}")
    set(appdir "${CORVANE_APPDIR}")
else()
    set(appdir "${CMAKE_INSTALL_PREFIX}/${CORVANE_APPDIR}")
endif()
file(INSTALL "${staging}/corvane-control.desktop" DESTINATION "${appdir}")
file(REMOVE_RECURSE "${staging}")
