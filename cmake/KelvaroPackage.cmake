# The Debian package (cpack -G DEB in the build directory). Its dependencies come from the
# shared libraries the programs link (dpkg-shlibdeps), so apt pulls in Qt and the C++ runtime.
set(CPACK_PACKAGE_NAME kelvaro)
set(CPACK_PACKAGE_VENDOR "kelvaro")
set(CPACK_PACKAGE_CONTACT "kelvaro developers <kelvaro@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plan, program and run a home-automation installation")
set(CPACK_PACKAGE_DESCRIPTION
    "kelvaro is the desktop program with which the owner or installer of a home-automation
installation plans, programs and runs it: objects with types, states and pictures,
floor-plan views, stations and radio devices, and a small German keyword language in which
each object is programmed. It transfers the program to the control unit or runs it on the PC.
The package holds the desktop program kelvaro, the headless tool kelvaro-cli, the device
simulator kelvaro-sim and a demo installation.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialog texts in German; the program starts without them, with Qt's English ones.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The build is RelWithDebInfo; the package needs no debug information.
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
