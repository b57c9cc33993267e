# What a Windows user downloads, made by CPack in the cross build: a ZIP
# (`cpack -G ZIP`) and, where the distribution's NSIS is installed, an
# installer (`cpack -G NSIS`). Both carry the command line and its data
# files, and the window with quelmbox-start.exe when the window is built.

# The resources of packaging/windows: icon, manifest, version. The .rc files
# find the icon and the manifest beside them, the version in the generated
# headers.
set(QUELM_WINDOWS_DIR ${CMAKE_SOURCE_DIR}/packaging/windows)
function(quelm_windows_resources target rc)
  get_target_property(sources ${target} SOURCES)
  if(NOT "${QUELM_WINDOWS_DIR}/${rc}" IN_LIST sources)
    target_sources(${target} PRIVATE ${QUELM_WINDOWS_DIR}/${rc})
  endif()
  target_include_directories(${target} PRIVATE ${QUELM_WINDOWS_DIR} ${QUELM_GENERATED_DIR})
  set_property(SOURCE ${QUELM_WINDOWS_DIR}/${rc} TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS
               ${QUELM_WINDOWS_DIR}/quelmbox.ico ${QUELM_WINDOWS_DIR}/quelmbox.manifest
               ${QUELM_WINDOWS_DIR}/version_info.rc)
endfunction()
quelm_windows_resources(quelmbox-cli quelmbox-cli.rc)

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

# The installer's template: CPack's own, with the 64-bit Unicode target named
# first (NSIS builds a 32-bit installer otherwise).
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in QUELM_NSIS_TEMPLATE)
string(FIND "${QUELM_NSIS_TEMPLATE}" ";" QUELM_NSIS_TEXT_START)
string(SUBSTRING "${QUELM_NSIS_TEMPLATE}" 0 ${QUELM_NSIS_TEXT_START} QUELM_NSIS_BOM)
string(SUBSTRING "${QUELM_NSIS_TEMPLATE}" ${QUELM_NSIS_TEXT_START} -1 QUELM_NSIS_TEXT)
file(WRITE ${CMAKE_BINARY_DIR}/nsis/NSIS.template.in "${QUELM_NSIS_BOM}Target amd64-unicode\n${QUELM_NSIS_TEXT}")

# The packages are set out once every target is known: the window's folder
# may be added after this file.
function(quelm_windows_package)
  # The window, with quelmbox-start.exe, which the Start-menu entry runs: it
  # starts the window in the user's own folder (%APPDATA%\quelmbox), filled from
  # the installed settings and language files, as bin/quelmbox does on Linux.
  if(TARGET quelmbox)
    quelm_windows_resources(quelmbox quelmbox.rc)
    add_executable(quelmbox-start WIN32 ${QUELM_WINDOWS_DIR}/quelmbox-start.cpp)
    quelm_windows_resources(quelmbox-start quelmbox-start.rc)
    target_link_libraries(quelmbox-start PRIVATE shell32 ole32)
    add_dependencies(quelmbox quelmbox-start)
    install(TARGETS quelmbox quelmbox-start RUNTIME DESTINATION .)
    set(CPACK_PACKAGE_EXECUTABLES quelmbox-start Quelmbox)
    set(CPACK_NSIS_INSTALLED_ICON_NAME quelmbox-start.exe)
    set(CPACK_PACKAGE_FILE_NAME quelmbox-${PROJECT_VERSION}-windows-x64)
  else()
    set(CPACK_PACKAGE_FILE_NAME quelmbox-cli-${PROJECT_VERSION}-windows-x64)
  endif()

  set(CPACK_GENERATOR ZIP)
  find_program(QUELM_MAKENSIS makensis)
  if(QUELM_MAKENSIS)
    list(APPEND CPACK_GENERATOR NSIS)
  endif()
  set(CPACK_PACKAGE_NAME quelmbox)
  set(CPACK_PACKAGE_VENDOR "Quelm")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for Quelm detectors through the USB programming box")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY Quelmbox)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_STRIP_FILES ON)

  # The installer: 64-bit, into Program Files, with the project's icon and no
  # licence page; the programs stand at the top of the installed folder as in
  # the ZIP.
  list(PREPEND CMAKE_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  set(CPACK_NSIS_MUI_ICON ${QUELM_WINDOWS_DIR}/quelmbox.ico)
  set(CPACK_NSIS_MUI_UNIICON ${QUELM_WINDOWS_DIR}/quelmbox.ico)
  set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
  set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
  # The installer's title and the Start-menu folder stay "Quelmbox" from one
  # version to the next; the list of installed programs names the version.
  set(CPACK_NSIS_PACKAGE_NAME Quelmbox)
  set(CPACK_NSIS_DISPLAY_NAME "Quelmbox ${PROJECT_VERSION}")
  # The ZIP unpacks into a folder of its own; the installer has its own.
  file(WRITE ${CMAKE_BINARY_DIR}/nsis/per_generator.cmake
       "if(CPACK_GENERATOR STREQUAL NSIS)\n  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)\nendif()\n")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/nsis/per_generator.cmake)
  include(CPack)
endfunction()
cmake_language(DEFER CALL quelm_windows_package)
