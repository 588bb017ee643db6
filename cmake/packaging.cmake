# What `make install` puts where, and the packages CPack makes of it: a .deb
# and a .tar.gz on Linux, a .zip with the .exe, the README and the licence for
# Windows.

# The project's own settings for its packages: who answers for them (a
# packager of another distribution sets its own with -DLANTERNVALE_MAINTAINER)
# and the name AppStream knows the game by, which never changes.
set(LANTERNVALE_MAINTAINER "Lanternvale maintainers <maintainers@lanternvale.invalid>"
    CACHE STRING "The packages' maintainer, \"Name <address>\"")
set(LANTERNVALE_APPSTREAM_ID org.lanternvale.lanternvale)

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
  # README with the line ends Notepad expects, the README, the changes and the
  # licence side by side, the texts named so that a click opens them.
  install(TARGETS lanternvale RUNTIME DESTINATION .)
  configure_file(${PROJECT_SOURCE_DIR}/doc/README-windows.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt README.md CHANGELOG.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  include(${CMAKE_CURRENT_LIST_DIR}/package_documents.cmake)

  # The game goes to CMAKE_INSTALL_BINDIR: bin/ by default, as GNU programs
  # do under /usr/local; the packages are built with games/ (/usr/games).
  set(LANTERNVALE_ICONS_DIR ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
  set(LANTERNVALE_INSTALL_DIRS
      ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man6 ${CMAKE_INSTALL_DATAROOTDIR}/applications
      ${LANTERNVALE_ICONS_DIR}/scalable/apps ${LANTERNVALE_ICONS_DIR}/48x48/apps
      ${LANTERNVALE_ICONS_DIR}/256x256/apps ${CMAKE_INSTALL_DATAROOTDIR}/metainfo ${CMAKE_INSTALL_DOCDIR})
  # Only the distribution's tree has a use for what lintian is told.
  set(LANTERNVALE_LINTIAN_DIR ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    list(APPEND LANTERNVALE_INSTALL_DIRS ${LANTERNVALE_LINTIAN_DIR})
  endif()

  # What `make uninstall` removes: the directories this install makes are
  # noted before anything is copied, the record written after the project's
  # last install rule.
  install(CODE "set(LANTERNVALE_INSTALL_DIRS \"${LANTERNVALE_INSTALL_DIRS}\")
                set(LANTERNVALE_INSTALL_RECORD \"${PROJECT_BINARY_DIR}/install_record.cmake\")
                include(\"${CMAKE_CURRENT_LIST_DIR}/install_record.cmake\")
                lanternvale_note_made_directories()")
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL install CODE "lanternvale_write_install_record()")

  install(TARGETS lanternvale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
    # A plain strip leaves the compiler's notes (.comment, .note) in the
    # program; Debian's dh_strip takes them out, and so does a stripped install.
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
                    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/lanternvale\")
                  endif()")
  endif()
  install(FILES ${LANTERNVALE_DOCUMENTS_DIR}/lanternvale.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES doc/lanternvale.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES doc/lanternvale.svg DESTINATION ${LANTERNVALE_ICONS_DIR}/scalable/apps)
  install(FILES doc/lanternvale-48.png DESTINATION ${LANTERNVALE_ICONS_DIR}/48x48/apps RENAME lanternvale.png)
  install(FILES doc/lanternvale-256.png DESTINATION ${LANTERNVALE_ICONS_DIR}/256x256/apps RENAME lanternvale.png)
  install(FILES ${LANTERNVALE_DOCUMENTS_DIR}/${LANTERNVALE_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
  install(FILES README.md ${LANTERNVALE_DOCUMENTS_DIR}/copyright ${LANTERNVALE_DOCUMENTS_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    install(FILES doc/lanternvale.lintian-overrides DESTINATION ${LANTERNVALE_LINTIAN_DIR} RENAME lanternvale)
  endif()
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

set(CPACK_DEBIAN_PACKAGE_VERSION ${LANTERNVALE_DEBIAN_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LANTERNVALE_MAINTAINER}")

include(CPack)
