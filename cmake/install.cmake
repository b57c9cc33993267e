# Installed: the programs and their data in lib/quelmbox; bin/quelmbox starts
# the window in the user's own folder of settings and language files; the
# desktop entry, the icon and the udev rule that lets the user at the seat
# open FTDI adapters go where the desktop and udev look for them.
install(TARGETS quelmbox-cli RUNTIME DESTINATION lib/quelmbox)
if(TARGET quelmbox)
  install(TARGETS quelmbox RUNTIME DESTINATION lib/quelmbox)
endif()
install(FILES ${QUELM_DATA_FILES} DESTINATION lib/quelmbox)
install(PROGRAMS scripts/quelmbox-launch.sh DESTINATION bin RENAME quelmbox)
install(CODE "file(MAKE_DIRECTORY \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin)
  file(CREATE_LINK ../lib/quelmbox/quelmbox-cli \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/quelmbox-cli SYMBOLIC)")
install(FILES packaging/quelmbox.desktop DESTINATION share/applications)
install(FILES packaging/quelmbox.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES packaging/quelmbox-48.png DESTINATION share/icons/hicolor/48x48/apps RENAME quelmbox.png)
install(FILES ${QUELM_UDEV_RULE_FILE} DESTINATION lib/udev/rules.d)

# `cpack -G DEB` in a Release build: a Debian package for /usr whose
# dependencies dpkg-shlibdeps finds from the programs' libraries (Qt 6).
set(CPACK_PACKAGE_NAME quelmbox)
set(CPACK_PACKAGE_VENDOR "Quelm")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for Quelm detectors through the USB programming box")
set(CPACK_PACKAGE_CONTACT "Quelm tools team <tools@quelm.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
