# The Debian packages: `cpack -G DEB` in the build folder makes two, the
# program (quorvane) and the status server (quorvane-server). Their
# dependencies are read off the binaries by dpkg-shlibdeps, so they name the
# exact Qt runtime packages each links.
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "${QUORVANE_COMPANY}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Telmik <telmik@telmik-brasko.example>")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program server)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME quorvane)
# One string each (several quoted pieces would make a list); its first line
# is the package's summary.
string(CONCAT CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "messenger status checker: online, offline or blocking you\n"
    "Quorvane tells whether an MSN Messenger, AIM, Yahoo!, ICQ or IRC account is\n"
    "online, offline or of unknown status, by showing the status picture that an\n"
    "Online Status Indicator server publishes for it.")
# The group's status server answers the program's lookups on this machine;
# the fonts stand in for the Windows fonts the windows ask for.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "quorvane-server, fonts-liberation2, fonts-dejavu-core, qt6-wayland")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME quorvane-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
string(CONCAT CPACK_DEBIAN_SERVER_DESCRIPTION
    "status server for Quorvane: online, offline or unknown for IRC and more\n"
    "quorvane-server answers the status addresses that Quorvane composes with a\n"
    "status picture, a word or JSON. It checks IRC presence live with ISON on one\n"
    "connection per network, and answers the closed MSN, AIM, Yahoo! and ICQ\n"
    "networks as unknown. It listens on 127.0.0.1, ports 80 and 6969.")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/assets/debian/server/postinst
    ${PROJECT_SOURCE_DIR}/assets/debian/server/prerm
    ${PROJECT_SOURCE_DIR}/assets/debian/server/postrm)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
