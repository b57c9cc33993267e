# What a Windows user downloads. `cpack -G ZIP` in the cross build: the
# command line and its data files in one folder, quelmbox-cli.exe beside
# simbox.txt and the language files it reads, and a short README.
install(TARGETS quelmbox-cli RUNTIME DESTINATION .)
# The plain text files get CR LF line ends, which every Windows editor shows
# as lines; the language files and param_box.dat have them already.
set(QUELM_CRLF_SOURCES ${CMAKE_SOURCE_DIR}/packaging/README-windows.txt ${CMAKE_SOURCE_DIR}/data/simbox.txt)
set(QUELM_WINDOWS_FILES ${QUELM_DATA_FILES})
list(REMOVE_ITEM QUELM_WINDOWS_FILES ${CMAKE_SOURCE_DIR}/data/simbox.txt)
foreach(text ${QUELM_CRLF_SOURCES})
  get_filename_component(name ${text} NAME)
  file(READ ${text} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  file(WRITE ${CMAKE_BINARY_DIR}/crlf/${name} "${content}")
  list(APPEND QUELM_WINDOWS_FILES ${CMAKE_BINARY_DIR}/crlf/${name})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${text})
endforeach()
install(FILES ${QUELM_WINDOWS_FILES} DESTINATION .)

# Built on Windows with Qt 6 for Windows: the window joins them, with the Qt
# libraries and plugins it needs put beside it by windeployqt, and CPack
# makes an installer as well (NSIS, when installed).
if(TARGET quelmbox)
  install(TARGETS quelmbox RUNTIME DESTINATION .)
  qt_generate_deploy_app_script(TARGET quelmbox OUTPUT_SCRIPT QUELM_DEPLOY_SCRIPT NO_UNSUPPORTED_PLATFORM_ERROR)
  install(SCRIPT ${QUELM_DEPLOY_SCRIPT})
  set(CPACK_PACKAGE_EXECUTABLES quelmbox "Quelm programming box")
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_FILE_NAME quelmbox-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quelmbox-cli-${PROJECT_VERSION}-windows-x64)
endif()
set(CPACK_PACKAGE_NAME quelmbox)
set(CPACK_PACKAGE_VENDOR "Quelm")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for Quelm detectors through the USB programming box")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quelmbox)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
