# The Debian package, built by `cpack -G DEB` from the install rules of
# cmake/Install.cmake (scripts/package-deb.sh does the whole build).
# Package-only files come from packaging/: the copyright statement, the
# changelog (dated by SOURCE_DATE_EPOCH when set) and lintian's overrides.

# A neutral project address; lintian wants a host name that could exist.
set(TESSARO_MAINTAINER "Tessaro developers <tessaro@example.org>")

set(package_doc ${PROJECT_BINARY_DIR}/package-doc)
string(TIMESTAMP TESSARO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${package_doc}/changelog @ONLY)
add_custom_command(OUTPUT ${package_doc}/changelog.gz
  COMMAND ${TESSARO_GZIP} -9nc ${package_doc}/changelog > ${package_doc}/changelog.gz
  DEPENDS ${package_doc}/changelog VERBATIM)
add_custom_target(tessaro_package_files DEPENDS ${package_doc}/changelog.gz)
add_dependencies(tessaro_installed tessaro_package_files)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${package_doc}/changelog.gz
        DESTINATION ${TESSARO_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TESSARO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator's tool for a serial-attached RF data network")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tessaro runs on a PC wired by a serial port to one base station of a radio\n"
    "data network. It discovers the other bases and the portable terminals behind\n"
    "it and draws them as a topology, runs an RF link test that counts sends,\n"
    "echoes, losses and reply times per terminal, changes a base's number,\n"
    "channel, group, power, time-out, mode and baud rate, and downloads a new\n"
    "program into a base.\n"
    "\n"
    "Besides the window (tessaro) the package holds tessaro-linktest, the link\n"
    "test on the command line; tessaro-basesim, a simulated network on a\n"
    "pseudo-terminal; tessaro-replay, which shows what the tool makes of a\n"
    "recorded byte stream; and a udev rule that lowers the latency of FTDI USB\n"
    "serial adapters.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
