# What the Debian package holds beyond the programs (manual pages, bash completion, AppStream
# metainfo, copyright and changelog), and the package itself: `cpack -G DEB` in the build folder
# (scripts/package.sh) makes corvane-control_<version>_<arch>.deb from these install rules.

# Manual pages and the changelog are installed compressed, as Debian keeps them; `gzip -n`
# leaves out the time, so the same page always makes the same file.
set(CORVANE_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(CORVANE_DOC_FILES)
foreach(page corvane-control corvane-ctl corvane-board)
    configure_file(${CMAKE_SOURCE_DIR}/data/man/${page}.1.in ${CORVANE_MAN_DIR}/${page}.1 @ONLY)
    list(APPEND CORVANE_DOC_FILES ${CORVANE_MAN_DIR}/${page}.1)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/data/package/changelog.in ${CMAKE_BINARY_DIR}/package/changelog
               @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/com.corvane.control.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/package/com.corvane.control.metainfo.xml @ONLY)
set(CORVANE_GZIPPED)
foreach(file ${CORVANE_DOC_FILES} ${CMAKE_BINARY_DIR}/package/changelog)
    add_custom_command(OUTPUT ${file}.gz
                       COMMAND sh -c "gzip -9n -c \"$1\" > \"$1.gz\"" sh ${file}
                       DEPENDS ${file} VERBATIM)
    list(APPEND CORVANE_GZIPPED ${file}.gz)
endforeach()
add_custom_target(corvane_docs ALL DEPENDS ${CORVANE_GZIPPED})
# The launcher shares the program's page.
file(CREATE_LINK corvane-control.1.gz ${CORVANE_MAN_DIR}/corvane-control-launch.1.gz SYMBOLIC)

install(FILES ${CORVANE_MAN_DIR}/corvane-control.1.gz ${CORVANE_MAN_DIR}/corvane-ctl.1.gz
              ${CORVANE_MAN_DIR}/corvane-board.1.gz ${CORVANE_MAN_DIR}/corvane-control-launch.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/data/completion/corvane-ctl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${CMAKE_BINARY_DIR}/package/com.corvane.control.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/data/package/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-control)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvane Control developers <control@corvane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for the Corvane video encoder board")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvane Control is the operator's desktop program for the Corvane video
encoder and streaming board (the full Corvane and the small Corvane Lumo).
It reaches the board over an RS232 serial line or UDP, reads the board's
configuration into its windows and sends the board its commands. The package
also holds corvane-ctl, which drives one board or a rack of boards from
scripts, and corvane-board, a stand-in board for trying both without a board.")
# The whole package is built from the install rules above, with /usr as the prefix; DESTDIR
# keeps the prefix the desktop entry names the launcher by.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: what dpkg-shlibdeps finds the programs use, never a list of our own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
