# What `make install` puts where, and the packages CPack makes of it: a .deb
# and a .tar.gz on Linux, a .zip with the .exe and the README for Windows.

# The version the debug screen shows, read from the one place that says it.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/frontend/globals.h LANTERNVALE_VERSION_LINE
     REGEX "constexpr std::string_view version = \"")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" LANTERNVALE_VERSION "${LANTERNVALE_VERSION_LINE}")
if(LANTERNVALE_VERSION STREQUAL "")
  message(FATAL_ERROR "No version found in src/frontend/globals.h")
endif()

include(GNUInstallDirs)
if(WIN32)
  # Unpacked anywhere and started by a double click: the .exe, a player's
  # README with the line ends Notepad expects, the README and the licence side
  # by side, the texts named so that a click opens them.
  install(TARGETS lanternvale RUNTIME DESTINATION .)
  configure_file(${PROJECT_SOURCE_DIR}/doc/README-windows.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt README.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  install(TARGETS lanternvale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES doc/lanternvale.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES doc/lanternvale.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME lanternvale)
set(CPACK_PACKAGE_VERSION ${LANTERNVALE_VERSION})
set(CPACK_PACKAGE_VENDOR orvel_tam)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text-mode sandbox game with cultivation elements")
set(CPACK_PACKAGE_DESCRIPTION "Lanternvale: Silent Rivers is a single-player sandbox game played in a
terminal, in Simplified Chinese or English. You walk a world of 1024 by 1024
cells generated from one seed, find treasures and fight monsters; worlds are
kept as save files.")
set(CPACK_STRIP_FILES ON)
string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" CPACK_SYSTEM_NAME)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()

# A Debian version starts with a digit and sorts "~" before anything, so a
# test release comes before the first numbered one: test-predev-1 is 0~test.predev.1.
string(REPLACE "-" "." LANTERNVALE_DEBIAN_VERSION "0~${LANTERNVALE_VERSION}")
set(CPACK_DEBIAN_PACKAGE_VERSION ${LANTERNVALE_DEBIAN_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# The maintainer is whoever builds the package, as git knows them.
function(lanternvale_git_identity key result)
  execute_process(COMMAND git config ${key} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    set(value "")
  endif()
  set(${result} "${value}" PARENT_SCOPE)
endfunction()
lanternvale_git_identity(user.name LANTERNVALE_GIT_NAME)
lanternvale_git_identity(user.email LANTERNVALE_GIT_EMAIL)
if(LANTERNVALE_GIT_NAME STREQUAL "" OR LANTERNVALE_GIT_EMAIL STREQUAL "")
  set(LANTERNVALE_GIT_NAME "Lanternvale maintainers")
  set(LANTERNVALE_GIT_EMAIL "maintainers@lanternvale.invalid")
endif()
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LANTERNVALE_GIT_NAME} <${LANTERNVALE_GIT_EMAIL}>")

include(CPack)
