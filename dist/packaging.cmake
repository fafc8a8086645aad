# The Debian packages, made by CPack from the project's install rules, one per component:
#   brenvik-quadron       (component "program")  the program, its desktop files, udev rule and
#                                                 manual page
#   brenvik-quadron-demo  (component "demo")     quadron-demo and quadron-emulator, which need
#                                                 umockdev
#   cmake --build build && (cd build && cpack)
# writes build/brenvik-quadron_<version>-1_<arch>.deb and brenvik-quadron-demo_<version>-1_<arch>.deb.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenvik-quadron)
set(CPACK_PACKAGE_VENDOR "TOLVEN LABS")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "TOLVEN LABS <packages@brenvik-quadron.org>" CACHE STRING
    "Maintainer of the Debian packages")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debugging information; the packages do not.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program demo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUADRON_HOMEPAGE_URL})
# The shared libraries come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A cross-build's packages are for the target (the toolchain file names its Debian
# architecture); dpkg-shlibdeps, run by cpack, then reads the target's libraries.
if(CMAKE_CROSSCOMPILING)
  if(NOT QUADRON_DEBIAN_ARCH)
    message(FATAL_ERROR "Cross-building needs QUADRON_DEBIAN_ARCH, the target's Debian architecture")
  endif()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QUADRON_DEBIAN_ARCH})
  set(quadron_cpack_cross ${CMAKE_CURRENT_BINARY_DIR}/cpack-cross.cmake)
  file(WRITE ${quadron_cpack_cross} "set(ENV{DEB_HOST_ARCH} ${QUADRON_DEBIAN_ARCH})\n")
  set(CPACK_PROJECT_CONFIG_FILE ${quadron_cpack_cross})
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# Descriptions: the first line is the synopsis; CPack indents the rest as Debian wants.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME brenvik-quadron)
string(CONCAT CPACK_DEBIAN_PROGRAM_DESCRIPTION
  "tray control panel for a USB car-audio amplifier\n"
  "Brenvik Quadron keeps a car-audio amplifier attached over USB (HID, vendor\n"
  "0x8D88, product 0x0066) in step with its window: volume and mutes, sources\n"
  "and gains, speaker faders, subwoofer and equalizer. It lives in the system\n"
  "tray, has global hot keys for the volume and the subwoofer level, and can\n"
  "start at logon. A udev rule lets the user at the local seat open the\n"
  "amplifier without root.")
# The udev rule is applied, and on removal withdrawn, at once.
# Qt's own texts (message box buttons) in the language of the program's catalogue.
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
                                               ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)

set(CPACK_DEBIAN_DEMO_PACKAGE_NAME brenvik-quadron-demo)
string(CONCAT CPACK_DEBIAN_DEMO_DESCRIPTION
  "emulated amplifier for trying out Brenvik Quadron\n"
  "quadron-demo runs the Brenvik Quadron control panel against an emulated\n"
  "car-audio amplifier, so the program can be tried out without one.\n"
  "quadron-emulator runs any program with the emulated amplifier attached,\n"
  "described by a control file that is followed while the program runs.")
# quadron-demo starts the program of exactly this build. quadron-emulator preloads umockdev's
# library into the program rather than linking it, so dpkg-shlibdeps cannot see that need.
set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS
    "brenvik-quadron (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}), umockdev")

# The changelog shipped in the packages must describe the version they carry.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog quadron_changelog_top LIMIT_COUNT 1)
string(REGEX MATCH "\\(([^)]*)\\)" quadron_changelog_top "${quadron_changelog_top}")
if(NOT CMAKE_MATCH_1 STREQUAL "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
  message(FATAL_ERROR "dist/debian/changelog begins with version ${CMAKE_MATCH_1}, but the "
    "packages are ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}: add an entry for it.")
endif()

include(CPack)
