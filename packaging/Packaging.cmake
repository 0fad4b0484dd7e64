# SPDX-License-Identifier: MIT
# The Debian package: `cmake --build BUILD --target package` writes
# kelvaro_<version>_<arch>.deb. Run-time dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The kelvaro developers <dev@kelvaro.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for a serial AVR high-voltage programmer")
set(CPACK_PACKAGE_DESCRIPTION
  "kelvaro drives a serial-attached high-voltage programmer for AVR\n\
microcontrollers: it identifies the chip, loads Intel HEX, binary and EEP\n\
images, erases, writes, reads and verifies FLASH and EEPROM, edits fuse and\n\
lock bits through named options and runs a whole programming pass with one\n\
button. The package also holds kelvaro-sim, a simulated programmer for trying\n\
it without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kelvaro.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads these as plug-ins, so dpkg-shlibdeps cannot see them. Without the
# SQLite driver no production record can be kept, and every command that
# changes a chip is refused; PostgreSQL is needed only for a shared record.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql")
# Qt's own dialogs (file, colour, message box buttons) in Chinese come from its
# translations; without a CJK font every Chinese caption draws as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${KV_PACKAGE_PREFIX})

# Debian wants the copyright and a compressed changelog under /usr/share/doc
# (a native package: changelog.gz).
set(kv_doc ${CMAKE_INSTALL_DATADIR}/doc/kelvaro)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${kv_doc})
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -n -9 -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog)
add_custom_target(kv_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${kv_doc})
include(CPack)
