# The Debian package, made by CPack from the project's install rules:
#   cmake --build build && (cd build && cpack)
# writes build/brenvik-quadron_<version>-1_<arch>.deb.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenvik-quadron)
set(CPACK_PACKAGE_VENDOR "TOLVEN LABS")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "TOLVEN LABS <packages@brenvik-quadron.org>" CACHE STRING
    "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray control panel for a USB car-audio amplifier")
# Wrapped as Debian wants extended descriptions: CPack indents each line.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Brenvik Quadron keeps a car-audio amplifier attached over USB (HID, vendor\n"
  "0x8D88, product 0x0066) in step with its window: volume and mutes, sources\n"
  "and gains, speaker faders, subwoofer and equalizer. It lives in the system\n"
  "tray, has global hot keys for the volume and the subwoofer level, and can\n"
  "start at logon. A udev rule lets the user at the local seat open the\n"
  "amplifier without root.\n"
  ".\n"
  "quadron-demo runs the program against an emulated amplifier.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debugging information; the package does not.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUADRON_HOMEPAGE_URL})
# The shared libraries come from dpkg-shlibdeps. umockdev is added by hand: quadron-emulator
# preloads its library into the program instead of linking it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS umockdev)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
                                       ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
