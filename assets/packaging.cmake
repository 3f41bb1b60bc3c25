# The Debian package: `cpack -G DEB` in the build folder. Its dependencies
# are read off the program's libraries by dpkg-shlibdeps, so they name the
# exact Qt runtime packages (web engine included) the program links.
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "${QUORVANE_COMPANY}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "messenger status checker: online, offline or blocking you")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quorvane tells whether an MSN Messenger, AIM, Yahoo!, ICQ or IRC account is\n"
    "online, offline or of unknown status, by showing the status picture that an\n"
    "Online Status Indicator server publishes for it.")
set(CPACK_PACKAGE_CONTACT "Telmik <telmik@telmik-brasko.example>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Stand-ins for the Windows fonts the windows ask for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core")
set(CPACK_GENERATOR DEB)
include(CPack)
